#include "conversion/inspect.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <tuple>

#include "formats/jws.h"
#include "formats/jww.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

using Pens = std::map<std::tuple<int, int, int, int>, std::pair<uint64_t, uint64_t>>;
using Layers = std::map<std::pair<int, int>, uint64_t>;

// The record of an entity (for its layer) and the record of its pen: a dimension's line.
std::pair<const EntityBase*, const EntityBase*> RecordAndPen(const EntityLists& l, const EntityRef& ref) {
    const size_t i = ref.Index;
    switch (static_cast<EntityKind>(ref.Kind)) {
        case EntityKind::Line: return {&l.Lines.at(i), &l.Lines[i]};
        case EntityKind::Arc: return {&l.Arcs.at(i), &l.Arcs[i]};
        case EntityKind::Point: return {&l.Points.at(i), &l.Points[i]};
        case EntityKind::Text: return {&l.Texts.at(i), &l.Texts[i]};
        case EntityKind::Solid: return {&l.Solids.at(i), &l.Solids[i]};
        case EntityKind::Dimension: return {&l.Dimensions.at(i), &l.Dimensions[i].DimensionLine};
        default: return {&l.BlockInserts.at(i), &l.BlockInserts[i]};
    }
}

// Counted the other way round: through the order lists, as the file stored the entities,
// rather than through the arrays the inspector walks.
void CountByOrder(const EntityLists& l, bool inBlock, Pens& pens, Layers& layers) {
    const std::array<int, 8> entityOfKind = {0, 0, 1, 2, 3, 5, 4, 6};  // EntityKind to PenEntity
    for (const EntityRef& ref : l.EntityOrder) {
        const auto [record, pen] = RecordAndPen(l, ref);
        auto& n = pens[{entityOfKind.at(ref.Kind), pen->PenColor, pen->PenStyle, pen->PenWidth}];
        ++(inBlock ? n.second : n.first);
        if (!inBlock) ++layers[{record->LayerGroup, record->Layer}];
    }
}

// The generated examples (every layout version, a figure file) and a few real drawings, read
// from their files as the inspector reads them.
TEST(Inspect, CountsThePensAndLayersOfTheModel) {
    TempFolder folder;
    std::vector<fs::path> files;
    for (uint32_t version : {230u, 351u, 420u, 700u}) {
        files.push_back(folder.Path() / ("plan-" + std::to_string(version) + ".jww"));
        ASSERT_TRUE(WriteJww(files.back(), testing::MakeFloorPlan(version), version, folder.Path()));
    }
    files.push_back(folder.Path() / "figure.jws");
    ASSERT_TRUE(WriteJws(files.back(), testing::MakeFigure(351), 351));
    if (const fs::path corpus = testing::CorpusFolder("jww"); !corpus.empty())
        for (const char* name : {"Test1.jww", "Test7.jww", "template.jww"}) files.push_back(corpus / name);

    DrawingData scratch;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const FileInspection inspection = InspectFile(file, scratch);
        ASSERT_TRUE(inspection.Ok) << inspection.Error;
        DrawingData d;
        ASSERT_TRUE(file.extension() == ".jws" ? ReadJws(file, d) : ReadJww(file, d, folder.Path() / "images"));
        Pens pens, seenPens;
        Layers layers, seenLayers;
        CountByOrder(d, false, pens, layers);
        for (const BlockDefinition& b : d.BlockDefinitions) CountByOrder(b.Members(), true, pens, layers);
        for (const PenUse& u : inspection.Drawing.Pens)
            seenPens[{static_cast<int>(u.Pen.Entity), u.Pen.Color, u.Pen.LineType, u.Pen.Width}] = {u.Count, u.InBlocks};
        for (const LayerUse& l : inspection.Drawing.Layers) seenLayers[{l.Group, l.Layer}] = l.Count;
        EXPECT_EQ(seenPens, pens);
        EXPECT_EQ(seenLayers, layers);
    }
    EXPECT_FALSE(fs::exists(folder.Path() / "images"));  // nothing extracted by the inspector
}

// Names and header colours come from a drawing's header, none from a figure file's. A
// dimension counts with the pen of its line, not its own (which the conversion keeps).
TEST(Inspect, NamesHeaderColoursAndDimensions) {
    DrawingData d = testing::MakeFloorPlan(420);
    d.Header.DimensionSettings[0] = 4321;
    d.Dimensions.resize(1);
    d.Dimensions[0].PenColor = 2;
    d.Dimensions[0].DimensionLine.PenColor = 250;
    d.Lines[0].LayerGroup = 2;
    d.Lines[0].Layer = 40;  // beyond the table, as only a damaged file has it
    const DrawingInspection jww = InspectDrawing(d, DrawingFileKind::Jww);
    EXPECT_EQ(jww.TextKindColors, (std::array<uint32_t, 10>{1, 2, 3, 4, 5, 6, 7, 8, 9, 1}));
    EXPECT_EQ(jww.DimensionSettingColors, (std::array<int32_t, 3>{1, 2, 3}));
    EXPECT_EQ(LayerNumberText(jww.Layers[0].Group, jww.Layers[0].Layer), "0-1");
    EXPECT_EQ(jww.Layers[0].Name, d.Header.LayerGroups[0].Layers[1].Name);
    EXPECT_EQ(jww.Layers[0].GroupName, d.Header.LayerGroups[0].Name);
    EXPECT_EQ(LayerNumberText(jww.Layers.back().Group, jww.Layers.back().Layer), "2-28");
    for (const PenUse& p : jww.Pens) EXPECT_TRUE(p.Pen.Entity != PenEntity::Dimension || p.Pen.Color == 250);

    const DrawingInspection jws = InspectDrawing(d, DrawingFileKind::Jws);
    EXPECT_FALSE(jws.HasHeaderColors);
    EXPECT_TRUE(jws.Layers[0].Name.empty() && jws.Layers[0].GroupName.empty());
}

// Pens summed over files, each file counted once per pen it uses.
TEST(Inspect, SummaryCountsTheFilesOfEachPen) {
    DrawingInspection a, b;
    a.Pens = {{{PenEntity::Line, 1, 1, 0}, 5, 1}, {{PenEntity::Text, 3, 1, 0}, 2, 0}};
    b.Pens = {{{PenEntity::Line, 1, 1, 0}, 7, 0}};
    PenSummary summary;
    for (const DrawingInspection* i : {&a, &b, &b}) summary.Add(*i);
    const std::vector<PenTotal> totals = summary.Totals();
    ASSERT_EQ(totals.size(), 2u);
    EXPECT_EQ(std::tie(totals[0].Count, totals[0].InBlocks, totals[0].Files), std::make_tuple(19u, 1u, 3u));
    EXPECT_EQ(std::tie(totals[1].Pen.Entity, totals[1].Files), std::make_tuple(PenEntity::Text, 1u));
}

// Several workers report in file order; a file that cannot be read says why; a stop leaves
// the rest out.
TEST(Inspect, WorkersReportInOrderAndStop) {
    TempFolder folder;
    std::vector<fs::path> files(12);
    for (size_t i = 0; i < files.size(); ++i) {
        files[i] = folder.Path() / ("p" + std::to_string(i) + ".jww");
        ASSERT_TRUE(WriteJww(files[i], testing::MakeFloorPlan(i % 2 ? 351 : 600), i % 2 ? 351 : 600, {}));
    }
    testing::WriteFile(files[5], std::string("JwwData.cut"));
    std::vector<size_t> order;
    InspectOptions options;
    options.Jobs = 3;
    options.Reported = [&](size_t index, FileInspection& inspection) {
        order.push_back(index);
        EXPECT_EQ(inspection.File, files[index]);
        EXPECT_EQ(inspection.Error.empty(), index != 5);
    };
    EXPECT_EQ(InspectFiles(files, options), files.size());
    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    std::atomic<bool> stop{false};
    options = {1, &stop, [&](size_t index, FileInspection&) { stop = index == 3; }};
    EXPECT_EQ(InspectFiles(files, options), 4u);
}

}  // namespace
}  // namespace tolvane
