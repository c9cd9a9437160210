#include "render/dxf.h"
#include "render/dxf_export.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <sstream>

#include "settings/text_encoding.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane::render {
namespace {

constexpr double kPi = std::numbers::pi;

// A DXF file as its groups, and the records of one type (from its "0" group to the next).
using Group = std::pair<int, std::string>;
using Record = std::vector<Group>;

std::vector<Group> Groups(const std::string& dxf) {
    std::vector<Group> groups;
    std::istringstream in(dxf);
    std::string code, value;
    while (std::getline(in, code) && std::getline(in, value)) groups.push_back({std::stoi(code), value});
    return groups;
}

std::vector<Record> Records(const std::vector<Group>& groups, std::string_view type) {
    std::vector<Record> records;
    bool inside = false;
    for (const Group& g : groups) {
        if (g.first == 0) {
            inside = g.second == type;
            if (inside) records.emplace_back();
        }
        if (inside) records.back().push_back(g);
    }
    return records;
}

std::string Text(const Record& r, int code, int nth = 0) {
    for (const Group& g : r)
        if (g.first == code && nth-- == 0) return g.second;
    return "(none)";
}

double Real(const Record& r, int code, int nth = 0) {
    const std::string text = Text(r, code, nth);
    double value = NAN;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

struct Written {
    std::string Dxf;
    DxfReport Report;
    std::vector<Group> All;
    std::vector<Record> Of(std::string_view type) const { return Records(All, type); }
};

Written Write(const DrawingData& d, DrawingFormat format = DrawingFormat::Jww, DxfOptions options = {}) {
    std::ostringstream out;
    Written w;
    w.Report = WriteDxf(d, format, options, out);
    w.Dxf = out.str();
    w.All = Groups(w.Dxf);
    return w;
}

// A drawing whose layer groups are all shown, at the given scale.
DrawingData Drawing(double scale = 1) {
    DrawingData d;
    d.Header.FileVersion = 600;
    for (LayerGroupInfo& group : d.Header.LayerGroups) {
        group.State = 2;
        group.Scale = scale;
        for (LayerInfo& layer : group.Layers) layer.State = 2;
    }
    return d;
}

EntityBase Pen(uint16_t color, uint8_t style = 1, uint16_t group = 0, uint16_t layer = 0, uint16_t width = 0) {
    EntityBase b;
    b.PenColor = color, b.PenStyle = style, b.LayerGroup = group, b.Layer = layer, b.PenWidth = width;
    return b;
}

template <class R>
R& Add(EntityLists& l, std::vector<R>& records, EntityKind kind, const EntityBase& pen) {
    l.EntityOrder.push_back({static_cast<uint32_t>(kind), static_cast<uint32_t>(records.size())});
    R& r = records.emplace_back();
    static_cast<EntityBase&>(r) = pen;
    return r;
}

void AddLine(EntityLists& l, const EntityBase& pen, double x1, double y1, double x2, double y2) {
    LineRecord& r = Add(l, l.Lines, EntityKind::Line, pen);
    r.StartX = x1, r.StartY = y1, r.EndX = x2, r.EndY = y2;
}

TextRecord& AddText(EntityLists& l, const EntityBase& pen, const std::string& utf8, double size = 3) {
    TextRecord& t = Add(l, l.Texts, EntityKind::Text, pen);
    t.SizeX = t.SizeY = size;
    t.Text = Utf8ToShiftJis(utf8);
    return t;
}

void AddInsert(EntityLists& l, uint32_t block, const EntityBase& pen = Pen(1)) {
    BlockInsertRecord& r = Add(l, l.BlockInserts, EntityKind::BlockInsert, pen);
    r.ScaleX = r.ScaleY = 1;
    r.BlockNumber = block;
}

// The layer group's scale makes paper millimetres full size: a wall of 50 mm on a 1:100
// sheet is 5,000 units long; so are text heights, dimension parts, insertion points and
// line-type patterns. A block is at the full size of the group it was defined in; an
// insertion from a group of another scale scales it by the ratio.
TEST(DxfExport, LayerGroupScaleGivesFullSize) {
    DrawingData d = Drawing(100);
    d.Header.LayerGroups[3].Scale = 50;
    AddLine(d, Pen(2, 2, 1, 2), 0, 10, 50, 10);
    AddText(d, Pen(2, 1, 1, 2), "A", 3).SizeX = 1.5;
    BlockDefinition& block = d.BlockDefinitions.emplace_back();
    block.Number = 7;
    block.Name = "door";
    AddLine(block.Members(), Pen(2), 0, 0, 1, 0);
    AddInsert(d, 7, Pen(1, 1, 1, 2));
    d.BlockInserts[0].X = 10, d.BlockInserts[0].ScaleY = 2, d.BlockInserts[0].Angle = kPi / 2;
    AddInsert(d, 7, Pen(1, 1, 3, 0));
    DimensionRecord& dim = Add(d, d.Dimensions, EntityKind::Dimension, Pen(2, 1, 1, 2));
    dim.DimensionLine.EndX = 20, dim.DimensionText.SizeY = 2.5;

    const Written w = Write(d);
    // The blocks come first: the member of the block, the dimension's line, then the wall.
    const std::vector<Record> lines = w.Of("LINE");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_DOUBLE_EQ(Real(lines[0], 11), 100);
    EXPECT_EQ(Text(lines[0], 8), "0");
    EXPECT_DOUBLE_EQ(Real(lines[1], 11), 2000);
    EXPECT_EQ(Text(lines[2], 8), "1-2");
    EXPECT_DOUBLE_EQ(Real(lines[2], 11) - Real(lines[2], 10), 5000);
    EXPECT_DOUBLE_EQ(Real(lines[2], 21), 1000);
    EXPECT_DOUBLE_EQ(Real(lines[2], 48), 100);  // the dashes of line type 2 at full size
    const std::vector<Record> texts = w.Of("TEXT");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_DOUBLE_EQ(Real(texts[0], 40), 250);
    EXPECT_DOUBLE_EQ(Real(texts[1], 40), 300);
    EXPECT_DOUBLE_EQ(Real(texts[1], 41), 0.5);
    const std::vector<Record> inserts = w.Of("INSERT");
    ASSERT_EQ(inserts.size(), 3u);
    EXPECT_EQ(Text(inserts[0], 2), "door");
    EXPECT_DOUBLE_EQ(Real(inserts[0], 10), 1000);
    EXPECT_EQ(Text(inserts[0], 41), "(none)");
    EXPECT_DOUBLE_EQ(Real(inserts[0], 42), 2);
    EXPECT_DOUBLE_EQ(Real(inserts[0], 50), 90);
    EXPECT_DOUBLE_EQ(Real(inserts[1], 41), 0.5);  // from a 1:50 group
    EXPECT_DOUBLE_EQ(Real(inserts[1], 42), 0.5);
    EXPECT_EQ(Text(inserts[2], 2), "*U1");
    const std::vector<Group> header = w.All;
    const auto extmax = std::find(header.begin(), header.end(), Group{9, "$EXTMAX"});
    ASSERT_NE(extmax, header.end());
    EXPECT_DOUBLE_EQ(std::stod(extmax[1].second), 5000);
    EXPECT_NE(w.Dxf.find("$INSUNITS\n 70\n4\n"), std::string::npos);

    // Reals to twelve significant digits, whatever their size.
    DrawingData numbers = Drawing();
    const double values[] = {61.9469 * 100, -0.000123456789012345, 1.5e-7, 123456789012.5, -4e20, 0.1 + 0.2};
    for (double v : values) AddLine(numbers, Pen(2), v, 0, 0, 0);
    const std::vector<Record> written = Write(numbers).Of("LINE");
    for (size_t i = 0; i < std::size(values); ++i) {
        EXPECT_NEAR(Real(written[i], 10), values[i], std::abs(values[i]) * 1e-11) << Text(written[i], 10);
        EXPECT_LE(Text(written[i], 10).size(), 19u) << Text(written[i], 10);
    }
    EXPECT_EQ(Text(written[0], 10), "6194.69");
    EXPECT_EQ(Text(written[5], 10), "0.3");
}

// Colours come from the drawing's own tables (COLORREF 0x00BBGGRR) as true colours with
// the nearest AutoCAD colour index; black and white stay index 7 without a true colour.
TEST(DxfExport, ColoursAreTrueColoursWithTheNearestIndex) {
    const std::pair<Color, int> nearest[] = {{{255, 0, 0}, 1},     {{0, 0, 255}, 5},   {{255, 127, 0}, 30},
                                             {{128, 128, 128}, 8}, {{165, 0, 0}, 12},  {{0, 160, 0}, 92},
                                             {{255, 255, 255}, 255}, {{40, 40, 40}, 250}};
    for (const auto& [color, index] : nearest)
        EXPECT_EQ(NearestColorIndex(color), index) << int(color.R) << "," << int(color.G) << "," << int(color.B);

    DrawingData d = Drawing();
    d.Header.Pens[2].ScreenColor = 0x000000;
    d.Header.Pens[3].ScreenColor = 0x00FF8000;  // blue 255, green 128
    d.Header.SxfPens[2].ScreenColor = 0x000000FF;
    AddLine(d, Pen(2), 0, 0, 1, 0);
    AddLine(d, Pen(3), 0, 0, 1, 0);
    AddLine(d, Pen(102), 0, 0, 1, 0);
    SolidRecord& own = Add(d, d.Solids, EntityKind::Solid, Pen(10));
    own.Rgb = 0x0000C0FF;  // orange
    const Written w = Write(d);
    const std::vector<Record> lines = w.Of("LINE");
    EXPECT_EQ(Text(lines[0], 62), "7");
    EXPECT_EQ(Text(lines[0], 420), "(none)");
    EXPECT_EQ(Text(lines[1], 420), std::to_string(0x0080FF));
    EXPECT_EQ(Text(lines[1], 62), std::to_string(NearestColorIndex({0, 128, 255})));
    EXPECT_EQ(Text(lines[2], 420), std::to_string(0xFF0000));
    EXPECT_EQ(Text(lines[2], 62), "1");
    const Record hatch = w.Of("HATCH").at(0);
    EXPECT_EQ(Text(hatch, 420), std::to_string(0xFFC000));
    EXPECT_EQ(Text(hatch, 2), "SOLID");
}

// Widths: PenWidth (1/100 mm) where set, else the pen's printer width: dots of a 600 dpi
// printer, or 1/100 mm when the table holds a width above 15; the SXF pens' in 1/100 mm.
TEST(DxfExport, WidthsBecomeTheNearestLineweight) {
    const std::pair<double, int> nearest[] = {{0, 0}, {0.35, 35}, {0.1, 9}, {0.17, 18}, {0.5, 50}, {3, 211}};
    for (const auto& [millimetres, weight] : nearest) EXPECT_EQ(NearestLineweight(millimetres), weight) << millimetres;

    DrawingData d = Drawing();
    for (int pen = 1; pen <= 9; ++pen) d.Header.Pens[pen].PrinterWidth = static_cast<uint32_t>(pen);
    d.Header.SxfPens[5].PrinterWidth = 18;
    AddLine(d, Pen(2, 1, 0, 0, 50), 0, 0, 1, 0);
    AddLine(d, Pen(8), 0, 0, 1, 0);  // 8 dots: 0.34 mm
    AddLine(d, Pen(105), 0, 0, 1, 0);
    EXPECT_EQ(Text(Write(d).Of("LINE")[0], 370), "50");
    EXPECT_EQ(Text(Write(d).Of("LINE")[1], 370), "35");
    EXPECT_EQ(Text(Write(d).Of("LINE")[2], 370), "18");
    EXPECT_EQ(Text(Write(d, DrawingFormat::Jws).Of("LINE")[1], 370), "(none)");
    d.Header.FileVersion = 350;  // no PenWidth before 3.51: pen 2's 2 dots
    EXPECT_EQ(Text(Write(d).Of("LINE")[0], 370), "9");
    d.Header.Pens[8].PrinterWidth = 25;  // now the table is in 1/100 mm
    EXPECT_EQ(Text(Write(d).Of("LINE")[1], 370), "25");
}

// One text style per font, named as the font, with the usual files of the ＭＳ fonts.
TEST(DxfExport, FontsBecomeTextStyles) {
    const std::pair<std::string, std::string> files[] = {{"ＭＳ ゴシック", "msgothic.ttc"}, {"ＭＳ Ｐゴシック", "msgothic.ttc"},
                                                         {"@ＭＳ 明朝", "msmincho.ttc"},   {"ＭＳ Ｐ明朝", "msmincho.ttc"},
                                                         {"HG丸ｺﾞｼｯｸM-PRO", "HG丸ｺﾞｼｯｸM-PRO"}};
    for (const auto& [font, file] : files) EXPECT_EQ(DxfFontFile(font), file) << font;

    DrawingData d = Drawing();
    AddText(d, Pen(2), "明朝").FontName = Utf8ToShiftJis("ＭＳ 明朝");
    AddText(d, Pen(2), "no font");
    AddText(d, Pen(2), "明朝 again").FontName = Utf8ToShiftJis("ＭＳ 明朝");
    const Written w = Write(d);
    const std::vector<Record> styles = w.Of("STYLE");
    ASSERT_EQ(styles.size(), 2u);
    EXPECT_EQ(Text(styles[1], 2), "ＭＳ 明朝");
    EXPECT_EQ(Text(styles[1], 3), "msmincho.ttc");
    EXPECT_EQ(Text(styles[1], 1000), "ＭＳ 明朝");
    const std::vector<Record> texts = w.Of("TEXT");
    EXPECT_EQ(Text(texts[0], 7), "ＭＳ 明朝");
    EXPECT_EQ(Text(texts[1], 7), "Standard");
    EXPECT_EQ(Text(texts[2], 7), "ＭＳ 明朝");
}

// Names: the characters DXF forbids become "_"; layers are named from group and layer as
// the CAD program shows them, hidden ones off, display-only and protected ones locked.
TEST(DxfExport, NamesAndLayerStates) {
    const std::pair<std::string, std::string> names[] = {
        {"a<b>c/d\\e", "a_b_c_d_e"}, {"x\"y:z;w?v*u|t,s=r`q", "x_y_z_w_v_u_t_s_r_q"}, {" 　通り芯　 ", "通り芯"},
        {"tab\there", "tab_here"},   {"普通の名前", "普通の名前"}};
    for (const auto& [in, out] : names) EXPECT_EQ(DxfSymbolName(in), out) << in;
    EXPECT_EQ(DxfLayerName(0, 10, "通り芯"), "0-A 通り芯");
    EXPECT_EQ(DxfLayerName(15, 15, ""), "F-F");
    EXPECT_EQ(DxfLayerName(1, 2, "壁/柱"), "1-2 壁_柱");

    DrawingData d = Drawing();
    d.Header.LayerGroups[0].Layers[1].Name = Utf8ToShiftJis("通り:芯");
    d.Header.LayerGroups[0].Layers[2].State = 0;
    d.Header.LayerGroups[1].State = 1;
    d.Header.LayerGroups[2].Layers[3].Protect = 1;
    for (const auto& [group, layer] : {std::pair<uint16_t, uint16_t>{0, 1}, {0, 2}, {1, 0}, {2, 3}})
        AddLine(d, Pen(2, 1, group, layer), 0, 0, 1, 0);
    BlockDefinition& block = d.BlockDefinitions.emplace_back();
    block.Name = "a*b";
    AddLine(block.Members(), Pen(2, 1, 3, 3), 0, 0, 1, 0);  // members are on layer 0
    const std::vector<Record> layers = Write(d).Of("LAYER");
    ASSERT_EQ(layers.size(), 5u);
    EXPECT_EQ(Text(layers[1], 2), "0-1 通り_芯");
    EXPECT_EQ(Text(layers[1], 62), "7");
    EXPECT_EQ(Text(layers[2], 62), "-7");
    EXPECT_EQ(Text(layers[3], 70), "4");
    EXPECT_EQ(Text(layers[4], 2), "2-3");
    EXPECT_EQ(Text(layers[4], 70), "4");
    EXPECT_EQ(Text(Write(d).Of("BLOCK")[2], 2), "a_b");
}

// Blocks keep their nesting; an insertion through which a block would contain itself, and
// one of an undefined block, are left out with the block named; names are made unique.
TEST(DxfExport, NestedBlocksAndCycles) {
    DrawingData d = Drawing();
    for (uint32_t n : {1u, 2u, 3u}) {
        BlockDefinition& b = d.BlockDefinitions.emplace_back();
        b.Number = n;
        b.Name = n == 3 ? "inner" : "outer";
    }
    AddInsert(d.BlockDefinitions[0].Members(), 2);
    AddInsert(d.BlockDefinitions[1].Members(), 3);
    AddInsert(d.BlockDefinitions[2].Members(), 1);  // back to the first: a cycle
    AddInsert(d.BlockDefinitions[2].Members(), 9);  // not defined
    AddInsert(d, 1);
    const Written w = Write(d);
    std::vector<std::string> blocks;
    for (const Record& r : w.Of("BLOCK")) blocks.push_back(Text(r, 2));
    EXPECT_EQ(blocks, (std::vector<std::string>{"*Model_Space", "*Paper_Space", "outer", "outer~2", "inner"}));
    std::vector<std::string> inserted;
    for (const Record& r : w.Of("INSERT")) inserted.push_back(Text(r, 2));
    EXPECT_EQ(inserted, (std::vector<std::string>{"outer~2", "inner", "outer"}));
    ASSERT_EQ(w.Report.Warnings.size(), 2u);
    EXPECT_EQ(w.Report.Warnings[0], "the block \"outer\" inserts itself; that insertion is left out");
    EXPECT_NE(w.Report.Warnings[1].find("no block number 9"), std::string::npos);
    EXPECT_EQ(w.Report.MoreWarnings, 0u);

    // Past the first few, warnings are only counted.
    for (size_t i = 0; i < kMaxDxfWarnings; ++i) AddInsert(d, 100 + static_cast<uint32_t>(i));
    const Written many = Write(d);
    EXPECT_EQ(many.Report.Warnings.size(), kMaxDxfWarnings);
    EXPECT_EQ(many.Report.MoreWarnings, 2u);
}

// Arcs: radians in the drawing, degrees in an ARC; a flatness other than 1 makes an ELLIPSE
// whose major axis is the longer one, with counter-clockwise parameters.
TEST(DxfExport, ArcsCirclesAndEllipses) {
    DrawingData d = Drawing();
    auto arc = [&](double flatness, double tilt, double start, double sweep, bool full) {
        ArcRecord& r = Add(d, d.Arcs, EntityKind::Arc, Pen(2));
        r.Radius = 10, r.Flatness = flatness, r.TiltAngle = tilt, r.StartAngle = start, r.ArcAngle = sweep;
        r.FullCircle = full;
    };
    arc(1, 0, kPi / 2, kPi / 2, false);
    arc(1, 0, kPi / 2, -kPi / 2, false);  // clockwise: the same points from 0 to 90 degrees
    arc(1, 0, 0, 0, true);
    arc(0.5, kPi / 6, 0, kPi, false);
    arc(2, 0, 0, kPi / 2, false);  // the second axis is the longer one
    const Written w = Write(d);
    const std::vector<Record> arcs = w.Of("ARC");
    ASSERT_EQ(arcs.size(), 2u);
    EXPECT_NEAR(Real(arcs[0], 50), 90, 1e-9);
    EXPECT_NEAR(Real(arcs[0], 51), 180, 1e-9);
    EXPECT_NEAR(Real(arcs[1], 50), 0, 1e-9);
    EXPECT_NEAR(Real(arcs[1], 51), 90, 1e-9);
    EXPECT_EQ(w.Of("CIRCLE").size(), 1u);
    const std::vector<Record> ellipses = w.Of("ELLIPSE");
    ASSERT_EQ(ellipses.size(), 2u);
    EXPECT_NEAR(Real(ellipses[0], 11), 10 * std::cos(kPi / 6), 1e-9);
    EXPECT_NEAR(Real(ellipses[0], 21), 10 * std::sin(kPi / 6), 1e-9);
    EXPECT_NEAR(Real(ellipses[0], 40), 0.5, 1e-12);
    EXPECT_NEAR(Real(ellipses[0], 41), 0, 1e-9);
    EXPECT_NEAR(Real(ellipses[0], 42), kPi, 1e-9);
    EXPECT_NEAR(Real(ellipses[1], 11), 0, 1e-9);
    EXPECT_NEAR(std::abs(Real(ellipses[1], 21)), 20, 1e-9);
    EXPECT_NEAR(Real(ellipses[1], 40), 0.5, 1e-12);
    EXPECT_NEAR(Real(ellipses[1], 42) - Real(ellipses[1], 41), kPi / 2, 1e-9);
}

// 2007 keeps UTF-8; 2000 writes code page 932, and what it lacks as \U+XXXX (UTF-16 units).
// Texts escape DXF's caret and percent codes; temporary points are left out.
TEST(DxfExport, TextEncodingAndEscapes) {
    EXPECT_EQ(DxfEncode("居間𠮷", DxfVersion::R2007), "居間𠮷");
    EXPECT_EQ(DxfEncode("居間", DxfVersion::R2000), "\x8b\x8f\x8a\xd4");
    EXPECT_EQ(DxfEncode("A𠮷B", DxfVersion::R2000), "A\\U+D842\\U+DFB7B");
    EXPECT_EQ(DxfEncode("①?", DxfVersion::R2000), "\x87\x40?");
    EXPECT_EQ(DxfEncode("한", DxfVersion::R2000), "\\U+D55C");
    EXPECT_EQ(DxfEncode("～〜", DxfVersion::R2000), "\x81\x60\\U+301C");  // both 0x8160 in the code page

    DrawingData d = Drawing();
    AddText(d, Pen(2), "a^b 50%%");
    TextRecord& wide = AddText(d, Pen(2), "");
    wide.Text = ArchiveString::Wide(u"寝室𠮷");
    PointRecord& temporary = Add(d, d.Points, EntityKind::Point, Pen(2));
    temporary.Temporary = 1;
    Add(d, d.Points, EntityKind::Point, Pen(2));
    DxfOptions options;
    options.Version = DxfVersion::R2000;
    const Written w = Write(d, DrawingFormat::Jww, options);
    EXPECT_EQ(Text(w.Of("TEXT")[0], 1), "a^ b 50%%%%%%");
    EXPECT_EQ(Text(w.Of("TEXT")[1], 1), "\x90\x51\x8e\xba\\U+D842\\U+DFB7");
    EXPECT_EQ(w.Of("POINT").size(), 1u);
    EXPECT_NE(w.Dxf.find("AC1015"), std::string::npos);
    const std::string longText(5000, 'x');  // longer than the writer's buffer takes at once
    AddText(d, Pen(2), longText);
    EXPECT_EQ(Text(Write(d).Of("TEXT").at(2), 1), longText);
    EXPECT_NE(w.Dxf.find("ANSI_932"), std::string::npos);
}

// The structure readers rely on: unique handles below the seed, every owner and pointer an
// existing handle, every line type and style named by an entity defined; the embedded image
// beside the file with its pixel size.
TEST(DxfExport, HandlesOwnersAndImagesHoldTogether) {
    testing::TempFolder images;
    DrawingData d = testing::MakeFloorPlan(700, images.Path());
    DxfOptions options;
    options.ImageFolder = images.Path();
    options.ImageNamePrefix = "plan.";
    const Written w = Write(d, DrawingFormat::Jww, options);

    std::set<uint64_t> handles;
    auto hex = [](const std::string& text) { return std::stoull(text, nullptr, 16); };
    for (size_t i = 0; i < w.All.size(); ++i) {
        const Group& g = w.All[i];
        const bool seed = i > 0 && w.All[i - 1] == Group{9, "$HANDSEED"};
        if ((g.first == 5 || g.first == 105) && !seed) {
            EXPECT_TRUE(handles.insert(hex(g.second)).second) << g.second;
        }
    }
    const auto seed = std::find(w.All.begin(), w.All.end(), Group{9, "$HANDSEED"});
    ASSERT_NE(seed, w.All.end());
    EXPECT_GT(hex(seed[1].second), *handles.rbegin());
    for (const Group& g : w.All) {
        const bool pointer = g.first == 330 || g.first == 340 || g.first == 350 || g.first == 360 || g.first == 390;
        if (pointer && g.second != "0") {
            EXPECT_TRUE(handles.contains(hex(g.second))) << g.first << " " << g.second;
        }
    }
    std::set<std::string> lineTypes, styles;
    for (const Record& r : w.Of("LTYPE")) lineTypes.insert(Text(r, 2));
    for (const Record& r : w.Of("STYLE")) styles.insert(Text(r, 2));
    for (const char* type : {"LINE", "ARC", "CIRCLE"})
        for (const Record& r : w.Of(type)) EXPECT_TRUE(Text(r, 6) == "(none)" || lineTypes.contains(Text(r, 6))) << Text(r, 6);
    for (const Record& r : w.Of("TEXT")) EXPECT_TRUE(styles.contains(Text(r, 7))) << Text(r, 7);

    ASSERT_EQ(w.Report.Images.size(), 1u);
    EXPECT_EQ(w.Report.Images[0].Name, "plan." + d.EmbeddedImageList[0].FileName);
    const Record image = w.Of("IMAGE").at(0);
    EXPECT_DOUBLE_EQ(Real(image, 13), 16);
    EXPECT_DOUBLE_EQ(Real(image, 23), 12);
    EXPECT_DOUBLE_EQ(Real(image, 11) * 16, 10000);  // 100 mm wide on paper, at 1:100
    EXPECT_EQ(Text(w.Of("IMAGEDEF").at(0), 1), "plan." + d.EmbeddedImageList[0].FileName);
}

// NAME.dxf; a figure file whose drawing of the same name (ASCII case aside) goes into the
// same folder keeps its extension: NAME.jws.dxf.
TEST(DxfExport, DestinationNames) {
    namespace fs = std::filesystem;
    const std::vector<fs::path> in = {"d/A.JWW", "d/a.jws", "d/b.jws", "d/sub/a.jws", "d/c.jww"};
    const std::vector<fs::path> out = {"d/A.dxf", "d/a.jws.dxf", "d/b.dxf", "d/sub/a.dxf", "d/c.dxf"};
    EXPECT_EQ(DxfDestinations(in), out);
}

}  // namespace
}  // namespace tolvane::render
