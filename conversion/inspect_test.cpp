#include "conversion/inspect.h"

#include <gtest/gtest.h>

#include <algorithm>
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

using Counted = std::map<std::tuple<int, int, int, int>, std::pair<uint64_t, uint64_t>>;

// The pens counted the other way round: through the order lists, as the file stored the
// entities, rather than through the arrays the inspector walks.
void CountByOrder(const EntityLists& lists, bool inBlock, Counted& pens) {
    for (const EntityRef& ref : lists.EntityOrder) {
        const EntityBase* pen = nullptr;
        int entity = 0;
        switch (static_cast<EntityKind>(ref.Kind)) {
            case EntityKind::Line: pen = &lists.Lines.at(ref.Index), entity = 0; break;
            case EntityKind::Arc: pen = &lists.Arcs.at(ref.Index), entity = 1; break;
            case EntityKind::Point: pen = &lists.Points.at(ref.Index), entity = 2; break;
            case EntityKind::Text: pen = &lists.Texts.at(ref.Index), entity = 3; break;
            case EntityKind::Solid: pen = &lists.Solids.at(ref.Index), entity = 4; break;
            case EntityKind::Dimension: pen = &lists.Dimensions.at(ref.Index).DimensionLine, entity = 5; break;
            case EntityKind::BlockInsert: pen = &lists.BlockInserts.at(ref.Index), entity = 6; break;
            default: FAIL() << "kind " << ref.Kind;
        }
        auto& n = pens[{entity, pen->PenColor, pen->PenStyle, pen->PenWidth}];
        ++(inBlock ? n.second : n.first);
    }
}

void ExpectCountsOfTheModel(const DrawingData& d, const DrawingInspection& inspection) {
    Counted expected;
    CountByOrder(d, false, expected);
    for (const BlockDefinition& b : d.BlockDefinitions) CountByOrder(b, true, expected);
    Counted seen;
    for (const PenUse& use : inspection.Pens)
        seen[{static_cast<int>(use.Pen.Entity), use.Pen.Color, use.Pen.LineType, use.Pen.Width}] = {use.Count, use.InBlocks};
    EXPECT_EQ(seen, expected);

    std::map<std::pair<int, int>, uint64_t> layers;
    for (const EntityRef& ref : d.EntityOrder) {
        const auto kind = static_cast<EntityKind>(ref.Kind);
        const EntityBase& e = kind == EntityKind::Line        ? d.Lines[ref.Index]
                              : kind == EntityKind::Arc       ? d.Arcs[ref.Index]
                              : kind == EntityKind::Point     ? d.Points[ref.Index]
                              : kind == EntityKind::Text      ? d.Texts[ref.Index]
                              : kind == EntityKind::Solid     ? d.Solids[ref.Index]
                              : kind == EntityKind::Dimension ? static_cast<const EntityBase&>(d.Dimensions[ref.Index])
                                                              : d.BlockInserts[ref.Index];
        ++layers[{e.LayerGroup, e.Layer}];
    }
    std::map<std::pair<int, int>, uint64_t> seenLayers;
    for (const LayerUse& l : inspection.Layers) seenLayers[{l.Group, l.Layer}] = l.Count;
    EXPECT_EQ(seenLayers, layers);
}

// The generated examples (every layout version, a figure file) and a few real drawings: pens
// and layers as the model holds them, read from the files the inspector reads.
TEST(Inspect, CountsThePensAndLayersOfTheModel) {
    TempFolder folder;
    std::vector<fs::path> files;
    for (uint32_t version : {230u, 351u, 420u, 600u, 700u}) {
        files.push_back(folder.Path() / ("plan-" + std::to_string(version) + ".jww"));
        ASSERT_TRUE(WriteJww(files.back(), testing::MakeFloorPlan(version), version, folder.Path()));
    }
    files.push_back(folder.Path() / "figure.jws");
    ASSERT_TRUE(WriteJws(files.back(), testing::MakeFigure(351), 351));
    if (const fs::path corpus = testing::CorpusFolder("jww"); !corpus.empty())
        for (const char* name : {"Test1.jww", "Test7.jww", "template.jww"}) files.push_back(corpus / name);
    if (const fs::path corpus = testing::CorpusFolder("jww-wide-strings"); !corpus.empty())
        files.push_back(corpus / "3blocks.jww");

    DrawingData scratch;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const FileInspection inspection = InspectFile(file, scratch);
        ASSERT_TRUE(inspection.Ok) << inspection.Error;
        DrawingData d;
        ASSERT_TRUE(file.extension() == ".jws" ? ReadJws(file, d) : ReadJww(file, d, folder.Path() / "images"));
        ExpectCountsOfTheModel(d, inspection.Drawing);
        EXPECT_EQ(inspection.Drawing.Version, d.Header.FileVersion);
    }
    EXPECT_FALSE(fs::exists(folder.Path() / "images"));  // nothing extracted by the inspector
}

// Names come from the header of a drawing; a figure file has neither names nor header colours.
// A dimension counts with the pen of its line, not its own (which the conversion keeps).
TEST(Inspect, LayerNamesHeaderColoursAndDimensions) {
    DrawingData d = testing::MakeFloorPlan(420);
    d.Header.DimensionSettings[0] = 4321;
    d.Dimensions.resize(1);
    d.Dimensions[0].PenColor = 2;
    d.Dimensions[0].DimensionLine.PenColor = 250;
    d.Lines[0].LayerGroup = 2;
    d.Lines[0].Layer = 40;  // beyond the table, as only a damaged file has it
    const DrawingInspection jww = InspectDrawing(d, DrawingFileKind::Jww);
    EXPECT_TRUE(jww.HasHeaderColors);
    EXPECT_EQ(jww.TextKindColors, (std::array<uint32_t, 10>{1, 2, 3, 4, 5, 6, 7, 8, 9, 1}));
    EXPECT_EQ(jww.DimensionSettingColors, (std::array<int32_t, 3>{1, 2, 3}));
    ASSERT_GE(jww.Layers.size(), 2u);
    EXPECT_EQ(jww.Layers[0].Group, 0);
    EXPECT_EQ(jww.Layers[0].Layer, 1);
    EXPECT_EQ(jww.Layers[0].GroupName, d.Header.LayerGroups[0].Name);
    EXPECT_EQ(jww.Layers[0].Name, d.Header.LayerGroups[0].Layers[1].Name);
    EXPECT_EQ(jww.Layers.back().Group, 2);
    EXPECT_EQ(jww.Layers.back().Layer, 40);
    EXPECT_TRUE(jww.Layers.back().Name.empty());
    const auto dimension = std::find_if(jww.Pens.begin(), jww.Pens.end(),
                                        [](const PenUse& p) { return p.Pen.Entity == PenEntity::Dimension; });
    ASSERT_NE(dimension, jww.Pens.end());
    EXPECT_EQ(dimension->Pen.Color, 250);

    const DrawingInspection jws = InspectDrawing(d, DrawingFileKind::Jws);
    EXPECT_FALSE(jws.HasHeaderColors);
    for (const LayerUse& l : jws.Layers) EXPECT_TRUE(l.Name.empty() && l.GroupName.empty());
}

// Pens summed over files, each file counted once per pen it uses.
TEST(Inspect, SummaryCountsTheFilesOfEachPen) {
    DrawingInspection a, b;
    a.Pens = {{{PenEntity::Line, 1, 1, 0}, 5, 1}, {{PenEntity::Text, 3, 1, 0}, 2, 0}};
    b.Pens = {{{PenEntity::Line, 1, 1, 0}, 7, 0}, {{PenEntity::Arc, 1, 1, 0}, 1, 0}};
    PenSummary summary;
    summary.Add(a);
    summary.Add(b);
    summary.Add(b);
    const std::vector<PenTotal> totals = summary.Totals();
    ASSERT_EQ(totals.size(), 3u);
    EXPECT_EQ(totals[0].Pen.Entity, PenEntity::Line);
    EXPECT_EQ(std::tie(totals[0].Count, totals[0].InBlocks, totals[0].Files), std::make_tuple(19u, 1u, 3u));
    EXPECT_EQ(totals[1].Pen.Entity, PenEntity::Arc);
    EXPECT_EQ(std::tie(totals[1].Count, totals[1].Files), std::make_tuple(2u, 2u));
    EXPECT_EQ(totals[2].Pen.Entity, PenEntity::Text);
    EXPECT_EQ(totals[2].Files, 1u);
}

// Several workers report in file order; a file that cannot be read says why; a stop leaves
// the rest out.
TEST(Inspect, WorkersReportInOrderAndStop) {
    TempFolder folder;
    std::vector<fs::path> files;
    for (int i = 0; i < 12; ++i) {
        files.push_back(folder.Path() / ("p" + std::to_string(i) + ".jww"));
        const uint32_t version = i % 2 ? 351 : 600;
        if (i == 5) {
            testing::WriteFile(files.back(), std::string("JwwData.cut"));
        } else {
            ASSERT_TRUE(WriteJww(files.back(), testing::MakeFloorPlan(version), version, {}));
        }
    }
    std::vector<size_t> order;
    InspectOptions options;
    options.Jobs = 3;
    options.Reported = [&](size_t index, FileInspection& inspection) {
        order.push_back(index);
        EXPECT_EQ(inspection.File, files[index]);
        EXPECT_EQ(inspection.Ok, index != 5) << inspection.Error;
        EXPECT_EQ(inspection.Error.empty(), index != 5);
    };
    EXPECT_EQ(InspectFiles(files, options), files.size());
    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    std::atomic<bool> stop{false};
    options.Jobs = 1;
    options.Stop = &stop;
    options.Reported = [&](size_t index, FileInspection&) {
        if (index == 3) stop = true;
    };
    EXPECT_EQ(InspectFiles(files, options), 4u);
}

}  // namespace
}  // namespace tolvane
