#include "render/render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/compare.h"
#include "render/pens.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane::render {
namespace {

constexpr double kPi = std::numbers::pi;

// A drawing with every layer shown at scale 1 (a cleared header hides everything).
DrawingData ShownDrawing() {
    DrawingData d;
    d.Header.FileVersion = 600;
    for (LayerGroupInfo& group : d.Header.LayerGroups) {
        group.State = 2;
        group.Scale = 1;
        for (LayerInfo& layer : group.Layers) layer.State = 2;
    }
    return d;
}

EntityBase Pen(uint16_t color, uint8_t lineType = 1, uint16_t group = 0, uint16_t layer = 0) {
    EntityBase b;
    b.PenColor = color;
    b.PenStyle = lineType;
    b.LayerGroup = group;
    b.Layer = layer;
    return b;
}

void AddLine(EntityLists& l, const EntityBase& pen, double x1, double y1, double x2, double y2) {
    LineRecord r;
    static_cast<EntityBase&>(r) = pen;
    r.StartX = x1, r.StartY = y1, r.EndX = x2, r.EndY = y2;
    l.EntityOrder.push_back({uint32_t(EntityKind::Line), uint32_t(l.Lines.size())});
    l.Lines.push_back(r);
}

void AddInsert(EntityLists& l, uint32_t block, double x, double y, double sx, double sy, double angle, uint16_t group = 0) {
    BlockInsertRecord r;
    static_cast<EntityBase&>(r) = Pen(1, 1, group);
    r.X = x, r.Y = y, r.ScaleX = sx, r.ScaleY = sy, r.Angle = angle, r.BlockNumber = block;
    l.EntityOrder.push_back({uint32_t(EntityKind::BlockInsert), uint32_t(l.BlockInserts.size())});
    l.BlockInserts.push_back(r);
}

// The members of a new definition.
EntityLists& AddBlock(DrawingData& d, uint32_t number) {
    BlockDefinition& b = d.BlockDefinitions.emplace_back();
    b.Number = number;
    return b.Members();
}

void ExpectPoint(const PaperPoint& p, double x, double y) {
    EXPECT_NEAR(p.X, x, 1e-9);
    EXPECT_NEAR(p.Y, y, 1e-9);
}

// Placement: block insertions, nesting, layer group scales, figure files.
TEST(RenderPlacement, NestedInsertionWithScalesAndAngleLandsWhereItShould) {
    DrawingData d = ShownDrawing();
    AddLine(AddBlock(d, 1), Pen(2), 0, 0, 1, 0);
    TextRecord text;
    static_cast<EntityBase&>(text) = Pen(3);
    text.SizeX = text.SizeY = 2;
    text.Angle = 10;
    text.Text = "A";
    EntityLists& outer = AddBlock(d, 2);
    AddInsert(outer, 1, 10, 0, 2, 2, 0);
    outer.EntityOrder.push_back({uint32_t(EntityKind::Text), 0});
    outer.Texts.push_back(text);
    // Block 2 stretched three times along x, turned a quarter, moved to (100, 50).
    AddInsert(d, 2, 100, 50, 3, 1, kPi / 2);

    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jww);
    ASSERT_EQ(list.Items.size(), 2u);
    ASSERT_EQ(list.Items[0].Kind, ItemKind::Polyline);
    // (0,0)-(1,0) in block 1 is (10,0)-(12,0) in block 2, (30,0)-(36,0) stretched,
    // (0,30)-(0,36) turned and (100,80)-(100,86) moved.
    ExpectPoint(list.Points[list.Items[0].First], 100, 80);
    ExpectPoint(list.Points[list.Items[0].First + 1], 100, 86);
    EXPECT_EQ(list.Items[0].ColorNumber, 2);
    const TextShape& t = list.Texts[list.Items[1].First];
    ExpectPoint(t.Position, 100, 50);
    EXPECT_NEAR(t.Angle, 100, 1e-9);
    EXPECT_NEAR(t.Height, 2 * std::sqrt(3.0), 1e-9);
    EXPECT_EQ(list.SkippedInsertions, 0u);
}

// Coordinates are paper millimetres already: a layer group at 1:100 and one at 1:1 put the
// same coordinates at the same place, texts keep their size, block members follow the
// insertion.
TEST(RenderPlacement, LayerGroupScaleDoesNotMoveShapesOnPaper) {
    DrawingData d = ShownDrawing();
    d.Header.LayerGroups[3].Scale = 100;
    AddLine(d, Pen(2, 1, 3), 10, 0, 20, 5);
    AddLine(d, Pen(2, 1, 0), 10, 0, 20, 5);
    AddLine(AddBlock(d, 7), Pen(2, 1, 0), 0, 0, 1, 0);
    AddInsert(d, 7, 5, 5, 1, 1, 0, 3);
    TextRecord text;
    static_cast<EntityBase&>(text) = Pen(3, 1, 3);
    text.StartX = 3, text.SizeX = 5, text.SizeY = 5, text.Text = "S=1/100";
    d.EntityOrder.push_back({uint32_t(EntityKind::Text), 0});
    d.Texts.push_back(text);

    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jww);
    ASSERT_EQ(list.Items.size(), 4u);
    ExpectPoint(list.Points[list.Items[0].First + 1], 20, 5);
    ExpectPoint(list.Points[list.Items[1].First + 1], 20, 5);
    ExpectPoint(list.Points[list.Items[2].First], 5, 5);
    ExpectPoint(list.Points[list.Items[2].First + 1], 6, 5);
    const TextShape& t = list.Texts[list.Items[3].First];
    ExpectPoint(t.Position, 3, 0);
    EXPECT_EQ(t.Height, 5);
}

TEST(RenderPlacement, FigureFileIsDrawnInItsOwnCoordinatesWithNoLayerStates) {
    DrawingData d;  // a figure file has no layer states; its header stays cleared
    d.Jws.LayerGroupScales.fill(100);
    AddLine(d, Pen(2, 1, 4, 9), 1000, 0, 2000, 0);
    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jws);
    ASSERT_EQ(list.Items.size(), 1u);
    ExpectPoint(list.Points[list.Items[0].First + 1], 2000, 0);
    EXPECT_EQ(list.Items[0].Paint, DefaultColor(2));
}

TEST(RenderPlacement, HiddenLayersAndLayerGroupsAreNotDrawn) {
    DrawingData d = ShownDrawing();
    d.Header.LayerGroups[1].Layers[5].State = 0;
    d.Header.LayerGroups[2].State = 0;
    AddLine(d, Pen(2, 1, 1, 5), 0, 0, 1, 1);  // hidden layer
    AddLine(d, Pen(2, 1, 2, 0), 0, 0, 1, 1);  // hidden group
    AddLine(d, Pen(2, 1, 1, 4), 0, 0, 7, 7);  // shown
    AddLine(d, Pen(2, 1, 16, 0), 0, 0, 1, 1);  // no such group
    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jww);
    ASSERT_EQ(list.Items.size(), 1u);
    ExpectPoint(list.Points[list.Items[0].First + 1], 7, 7);
}

// Arcs: the ellipse's parameters and their image under an insertion.
TEST(RenderShapes, EllipseArcHasItsTiltFlatnessAndSweep) {
    DrawingData d = ShownDrawing();
    ArcRecord arc;
    static_cast<EntityBase&>(arc) = Pen(2);
    arc.CenterX = 5, arc.Radius = 10, arc.Flatness = 0.5, arc.TiltAngle = kPi / 2;
    arc.StartAngle = kPi / 4, arc.ArcAngle = kPi / 2;
    d.Arcs.push_back(arc);
    arc.FullCircle = 1;
    d.Arcs.push_back(arc);
    d.EntityOrder = {{uint32_t(EntityKind::Arc), 0}, {uint32_t(EntityKind::Arc), 1}};
    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jww);
    ASSERT_EQ(list.Arcs.size(), 2u);
    const ArcShape& a = list.Arcs[0];
    ExpectPoint(a.Center, 5, 0);
    ExpectPoint(a.AxisA, 0, 10);  // the long axis turned upright
    ExpectPoint(a.AxisB, -5, 0);
    EXPECT_NEAR(a.Start, kPi / 4, 1e-12);
    EXPECT_NEAR(a.Sweep, kPi / 2, 1e-12);
    EXPECT_NEAR(list.Arcs[1].Start, 0, 1e-12);
    EXPECT_NEAR(list.Arcs[1].Sweep, 2 * kPi, 1e-12);
    const Bounds b = list.Extent();
    EXPECT_NEAR(b.MinX, 0, 1e-9);
    EXPECT_NEAR(b.MaxY, 10, 1e-9);
}

// Dimensions of old files: only the line and the text carry geometry.
TEST(RenderShapes, DimensionDrawsAuxiliaryLinesAndPointsOnlyWhenStored) {
    DrawingData d = ShownDrawing();
    DimensionRecord dim;
    static_cast<EntityBase&>(dim.DimensionLine) = Pen(6);
    dim.DimensionLine.EndX = 100;
    static_cast<EntityBase&>(dim.DimensionText) = Pen(6);
    dim.DimensionText.SizeX = dim.DimensionText.SizeY = 2.5, dim.DimensionText.Text = "100";
    d.Dimensions.push_back(dim);  // as read from a file before 4.20
    static_cast<EntityBase&>(dim.AuxLine1) = Pen(6);
    dim.AuxLine1.EndY = -10;
    static_cast<EntityBase&>(dim.Point1) = Pen(6);
    dim.Point1.X = 100;
    d.Dimensions.push_back(dim);
    d.EntityOrder = {{uint32_t(EntityKind::Dimension), 0}, {uint32_t(EntityKind::Dimension), 1}};
    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jww);
    std::vector<ItemKind> kinds;
    for (const DisplayItem& item : list.Items) kinds.push_back(item.Kind);
    EXPECT_EQ(kinds, (std::vector<ItemKind>{ItemKind::Polyline, ItemKind::Text, ItemKind::Polyline, ItemKind::Polyline,
                                            ItemKind::Dot, ItemKind::Text}));
}

TEST(RenderShapes, ImageReferenceBecomesAFrameWithItsName) {
    DrawingData d = ShownDrawing();
    TextRecord text;
    static_cast<EntityBase&>(text) = Pen(2);
    text.StartX = 10, text.StartY = 20;
    text.Text = "^@BM%temp%photo.bmp,100,75.5,0,0,1,0";
    d.Texts.push_back(text);
    d.EntityOrder = {{uint32_t(EntityKind::Text), 0}};
    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jww);
    ASSERT_EQ(list.Items.size(), 1u);
    ASSERT_EQ(list.Items[0].Kind, ItemKind::ImageFrame);
    ExpectPoint(list.Points[list.Items[0].First + 2], 110, 95.5);
    EXPECT_EQ(list.Texts[list.Items[0].Count].Text, "photo.bmp");
}

// Pens: colour numbers to RGB from the drawing's tables or the default palette, widths,
// line types from the tables.
TEST(RenderPens, ColorsComeFromTheDrawingsTablesOrTheDefaultPalette) {
    DrawingHeader h;
    h.Pens[3].ScreenColor = 0x00332211;
    h.SxfPens[5].ScreenColor = 0x00ABCDEF;
    const PenTables own(h, true);
    EXPECT_EQ(own.ColorOf(3), (Color{0x11, 0x22, 0x33}));
    EXPECT_EQ(own.ColorOf(105), (Color{0xEF, 0xCD, 0xAB}));
    EXPECT_EQ(own.ColorOf(4), (Color{0, 0, 0}));  // a table in use: black is a colour
    h.Pens[2].ScreenColor = 0x00FFFFFF;
    EXPECT_EQ(PenTables(h, true).ColorOf(2), (Color{0, 0, 0}));  // white screen pen on paper

    const PenTables empty(DrawingHeader{}, true);
    EXPECT_EQ(empty.ColorOf(3), DefaultColor(3));
    EXPECT_EQ(empty.ColorOf(102), (Color{255, 0, 0}));  // SXF colour 2 is red
    EXPECT_NE(DefaultColor(3), DefaultColor(8));
    EXPECT_EQ(PenTables(h, false).ColorOf(3), DefaultColor(3));  // a figure file has no tables
}

TEST(RenderPens, SolidWithColorTenUsesItsOwnRgb) {
    DrawingData d = ShownDrawing();
    SolidRecord s;
    static_cast<EntityBase&>(s) = Pen(10);
    s.Rgb = 0x00C0FFEE;
    s.Corner2X = s.Corner3X = s.Corner3Y = s.Corner4Y = 1;
    d.Solids.push_back(s);
    d.EntityOrder = {{uint32_t(EntityKind::Solid), 0}};
    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jww);
    ASSERT_EQ(list.Items.size(), 1u);
    EXPECT_EQ(list.Items[0].Paint, (Color{0xEE, 0xFF, 0xC0}));
    EXPECT_EQ(list.Items[0].Count, 4u);
}

TEST(RenderPens, WidthFromPenWidthFromVersion351ElseTheScreenWidth) {
    DrawingHeader h;
    h.FileVersion = 351;
    h.Pens[2].ScreenWidth = 3;
    EntityBase pen = Pen(2);
    pen.PenWidth = 35;
    EXPECT_DOUBLE_EQ(PenTables(h, true).WidthOf(pen), 0.35);
    h.FileVersion = 300;
    EXPECT_DOUBLE_EQ(PenTables(h, true).WidthOf(pen), 3 * kMillimetresPerDot);
    pen.PenColor = 4;
    EXPECT_DOUBLE_EQ(PenTables(h, true).WidthOf(pen), kBaseWidth);
    // SXF pens hold 1/100 mm.
    h.SxfPens[5].ScreenWidth = 18;
    pen.PenColor = 105;
    EXPECT_DOUBLE_EQ(PenTables(h, true).WidthOf(pen), 0.18);
}

TEST(RenderPens, LineTypePatternsFromTheTablesAndTheirBits) {
    const double u = kMillimetresPerDot;
    EXPECT_EQ(DashesFromBits(0xFF00FF00, 32, 1), (std::vector<double>{8 * u, 8 * u, 8 * u, 8 * u}));
    // A pattern that begins with a gap is turned to begin with its dash.
    EXPECT_EQ(DashesFromBits(0x00FFFFFF, 32, 2), (std::vector<double>{48 * u, 16 * u}));
    EXPECT_EQ(DashesFromBits(0xF0000000, 8, 1), (std::vector<double>{4 * u, 4 * u}));
    EXPECT_TRUE(DashesFromBits(0xFFFFFFFF, 32, 1).empty());
    EXPECT_TRUE(DashesFromBits(0, 32, 1).empty());

    DrawingHeader h;
    h.LineTypes[0] = {0xFFF0FFF0, 32, 1, 1};  // line type 2
    h.SxfLineTypes[3].SegmentCount = 2;       // line type 33
    h.SxfLineTypes[3].SegmentPitches[0] = 5;
    h.SxfLineTypes[3].SegmentPitches[1] = 1.25;
    const PenTables pens(h, true);
    EXPECT_EQ(pens.Patterns()[pens.DashOf(2)], (std::vector<double>{12 * u, 4 * u, 12 * u, 4 * u}));
    EXPECT_EQ(pens.Patterns()[pens.DashOf(33)], (std::vector<double>{5, 1.25}));
    EXPECT_EQ(pens.DashOf(1), 0);
    EXPECT_NE(pens.DashOf(3), 0);  // empty entry: our default dashes
}

// Hostile block structures end, and end soon.
TEST(RenderLimits, CyclicAndSelfReferencingBlocksStop) {
    DrawingData d = ShownDrawing();
    EntityLists& one = AddBlock(d, 1);
    AddLine(one, Pen(2), 0, 0, 1, 0);
    AddInsert(one, 2, 0, 0, 1, 1, 0);
    EntityLists& two = AddBlock(d, 2);
    AddLine(two, Pen(3), 0, 0, 1, 0);
    AddInsert(two, 1, 0, 0, 1, 1, 0);
    AddInsert(two, 2, 0, 0, 1, 1, 0);
    AddInsert(d, 1, 0, 0, 1, 1, 0);
    AddInsert(d, 99, 0, 0, 1, 1, 0);  // not defined
    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jww);
    EXPECT_EQ(list.Items.size(), 2u);
    EXPECT_EQ(list.SkippedInsertions, 3u);
}

TEST(RenderLimits, DeepNestingAndExponentialInsertionsAreCut) {
    DrawingData d = ShownDrawing();
    for (uint32_t n = 1; n <= 30; ++n) {
        EntityLists& b = AddBlock(d, n);
        AddLine(b, Pen(2), 0, 0, 1, 0);
        AddInsert(b, n + 1, 0, 0, 1, 1, 0);
    }
    AddInsert(d, 1, 0, 0, 1, 1, 0);
    RenderLimits limits;
    limits.MaxBlockDepth = 5;
    const DisplayList deep = BuildDisplayList(d, DrawingFormat::Jww, limits);
    EXPECT_EQ(deep.Items.size(), 5u);
    EXPECT_EQ(deep.SkippedInsertions, 1u);

    // Ten blocks of a hundred insertions of the next would make 10^20 lines.
    DrawingData wide = ShownDrawing();
    for (uint32_t n = 1; n <= 10; ++n) {
        EntityLists& b = AddBlock(wide, n);
        AddLine(b, Pen(2), 0, 0, 1, 0);
        for (int i = 0; i < 100; ++i) AddInsert(b, n + 1, i, 0, 1, 1, 0);
    }
    AddInsert(wide, 1, 0, 0, 1, 1, 0);
    limits.MaxBlockDepth = 16;
    limits.MaxItems = 20000;
    const DisplayList cut = BuildDisplayList(wide, DrawingFormat::Jww, limits);
    EXPECT_TRUE(cut.ItemLimitReached);
    // Every expanded block draws one line, and expansions count against the limit too.
    EXPECT_LE(cut.Items.size(), 10000u);
    EXPECT_GT(cut.Items.size(), 9900u);

    // Blocks of nothing but insertions draw nothing, and still stop.
    DrawingData empty = ShownDrawing();
    for (uint32_t n = 1; n <= 12; ++n) {
        EntityLists& b = AddBlock(empty, n);
        for (int i = 0; i < 100; ++i) AddInsert(b, n + 1, i, 0, 1, 1, 0);
    }
    AddInsert(empty, 1, 0, 0, 1, 1, 0);
    const DisplayList nothing = BuildDisplayList(empty, DrawingFormat::Jww, limits);
    EXPECT_TRUE(nothing.ItemLimitReached);
    EXPECT_TRUE(nothing.Items.empty());
}

// Without limits of its own the list grows with the drawing's file: nested blocks of a few
// kilobytes stop at some tens of megabytes of shapes. The limit of bytes counts texts.
TEST(RenderLimits, TheListIsBoundedByTheSizeOfTheDrawing) {
    DrawingData d = ShownDrawing();
    for (uint32_t n = 1; n <= 12; ++n) {
        EntityLists& b = AddBlock(d, n);
        AddLine(b, Pen(2), 0, 0, 1, 0);
        for (int i = 0; i < 10; ++i) AddInsert(b, n + 1, i, 0, 1, 1, 0);
    }
    AddInsert(d, 1, 0, 0, 1, 1, 0);
    const DisplayList cut = BuildDisplayList(d, DrawingFormat::Jww);
    EXPECT_TRUE(cut.ItemLimitReached);
    const size_t bytes = cut.Items.size() * sizeof(DisplayItem) + cut.Points.size() * sizeof(PaperPoint);
    EXPECT_GT(bytes, 4u << 20);
    EXPECT_LE(bytes, 9u << 20);

    DrawingData texts = ShownDrawing();
    TextRecord text;
    static_cast<EntityBase&>(text) = Pen(3);
    text.Text = std::string(1000, 'x');
    for (int i = 0; i < 10; ++i) {
        texts.EntityOrder.push_back({uint32_t(EntityKind::Text), uint32_t(texts.Texts.size())});
        texts.Texts.push_back(text);
    }
    RenderLimits limits;
    limits.MaxListBytes = 10 * (sizeof(DisplayItem) + sizeof(TextShape)) + 5000;  // the shapes, half their characters
    const DisplayList fewer = BuildDisplayList(texts, DrawingFormat::Jww, limits);
    EXPECT_TRUE(fewer.ItemLimitReached);
    EXPECT_GE(fewer.Items.size(), 5u);
    EXPECT_LE(fewer.Items.size(), 6u);
}

// Walked in pieces, the list stops where the whole list stops, at the bytes of a text shared by
// the insertions of a block (counted once a walk) or at the number of shapes, and at every walk.
TEST(RenderLimits, AWalkInPiecesStopsWhereTheWholeListStops) {
    DrawingData d = ShownDrawing();
    TextRecord text;
    static_cast<EntityBase&>(text) = Pen(3);
    text.SizeX = text.SizeY = 2;
    text.Text = std::string(1000, 'x');
    EntityLists& block = AddBlock(d, 1);
    AddLine(block, Pen(2), 0, 0, 1, 0);
    block.EntityOrder.push_back({uint32_t(EntityKind::Text), 0});
    block.Texts.push_back(text);
    for (int i = 0; i < 10; ++i) AddInsert(d, 1, i, 0, 1, 1, 0);
    RenderLimits byBytes, byItems;
    byBytes.MaxListBytes = 1000 + 5 * (3 * sizeof(DisplayItem) + 2 * sizeof(PaperPoint) + sizeof(TextShape));
    byItems.MaxItems = 13;
    for (const RenderLimits& limits : {byBytes, byItems}) {
        const DisplayList whole = BuildDisplayList(d, DrawingFormat::Jww, limits);
        ASSERT_TRUE(whole.ItemLimitReached);
        DisplayListWalk walk(d, DrawingFormat::Jww, limits, 4);
        for (int pass = 0; pass < 2; ++pass) {
            size_t items = 0;
            const DisplayListWalk::Totals totals = walk.Walk([&](const DisplayList& piece) {
                EXPECT_LE(piece.Items.size(), 4u);
                items += piece.Items.size();
            });
            EXPECT_TRUE(totals.ItemLimitReached);
            EXPECT_EQ(totals.Items, whole.Items.size());
            EXPECT_EQ(items, whole.Items.size());
        }
    }
}

// Every array of the list is made at its final size, none grown by doubling.
TEST(RenderLimits, ArraysAreMadeAtTheirFinalSize) {
    testing::TempFolder images;
    const DisplayList list = BuildDisplayList(testing::MakeFloorPlan(700, images.Path()), DrawingFormat::Jww);
    EXPECT_EQ(list.Items.capacity(), list.Items.size());
    EXPECT_EQ(list.Points.capacity(), list.Points.size());
    EXPECT_EQ(list.Arcs.capacity(), list.Arcs.size());
    EXPECT_EQ(list.Texts.capacity(), list.Texts.size());
    EXPECT_FALSE(list.Arcs.empty());
    EXPECT_FALSE(list.Texts.empty());
}

// A shape with a coordinate that is not a number, or one beyond any paper (1e308 is a number),
// is left out, and so is a reference to no record; the extent stays that of the rest.
TEST(RenderLimits, NonFiniteAndFarCoordinatesAndBadReferencesAreLeftOut) {
    DrawingData d = ShownDrawing();
    AddLine(d, Pen(2), 0, 0, std::nan(""), 0);
    AddLine(d, Pen(2), 0, 0, 1, 0);
    AddLine(d, Pen(2), -1e308, 0, 1e308, 0);
    AddLine(d, Pen(2), 0, 1e10, 0, 0);
    d.EntityOrder.push_back({uint32_t(EntityKind::Arc), 5});
    d.EntityOrder.push_back({77, 0});
    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jww);
    EXPECT_EQ(list.Items.size(), 1u);
    const Bounds extent = list.Extent();
    EXPECT_EQ(extent.MinX, 0);
    EXPECT_EQ(extent.MaxX, 1);
}

// A block inserted many times draws its texts from one string; a text drawn once has its own.
TEST(RenderShapes, InsertionsOfABlockShareItsTexts) {
    DrawingData d = ShownDrawing();
    TextRecord text;
    static_cast<EntityBase&>(text) = Pen(3);
    text.SizeX = text.SizeY = 2;
    text.Text = "\x95\x94\x89\xae";  // 部屋
    EntityLists& room = AddBlock(d, 1);
    room.EntityOrder.push_back({uint32_t(EntityKind::Text), 0});
    room.Texts.push_back(text);
    for (int i = 0; i < 3; ++i) AddInsert(d, 1, 10.0 * i, 0, 1, 1, 0);
    AddBlock(d, 2).Texts.push_back(text);
    d.BlockDefinitions.back().Members().EntityOrder.push_back({uint32_t(EntityKind::Text), 0});
    AddInsert(d, 2, 0, 50, 1, 1, 0);
    d.EntityOrder.push_back({uint32_t(EntityKind::Text), 0});
    d.Texts.push_back(text);

    const DisplayList list = BuildDisplayList(d, DrawingFormat::Jww);
    ASSERT_EQ(list.Texts.size(), 5u);
    EXPECT_NE(list.Texts[0].Text.Identity(), nullptr);
    EXPECT_EQ(list.Texts[1].Text.Identity(), list.Texts[0].Text.Identity());
    EXPECT_EQ(list.Texts[2].Text.Identity(), list.Texts[0].Text.Identity());
    EXPECT_EQ(list.Texts[3].Text.Identity(), nullptr);  // block 2 is inserted once
    EXPECT_EQ(list.Texts[4].Text.Identity(), nullptr);
    for (const TextShape& t : list.Texts) {
        EXPECT_EQ(t.Text.Utf8(), "\xE9\x83\xA8\xE5\xB1\x8B");
        EXPECT_EQ(t.Text.Characters(), 2u);
    }
}

// Before and after a conversion.
TEST(RenderCompare, ChangesOnlyGreysWhatTheSettingsKeep) {
    DrawingData d = ShownDrawing();
    d.Header.FileVersion = 300;
    AddLine(d, Pen(2), 0, 0, 1, 0);
    AddLine(d, Pen(3), 0, 0, 1, 0);
    ConversionSettings settings;
    ResetConversionSettings(settings);
    settings.ColorTable[2] = 8;
    settings.WidthTable[3] = 50;
    ComputeVersionRaise(settings);

    const DrawingData converted = ConvertedCopy(d, DrawingFormat::Jww, settings);
    EXPECT_EQ(d.Lines[0].PenColor, 2);  // the drawing itself is untouched
    EXPECT_GE(converted.Header.FileVersion, 351u);  // widths need version 3.51

    const DisplayList after = RenderView(d, DrawingFormat::Jww, settings, View::After);
    EXPECT_EQ(after.Items[0].Paint, DefaultColor(8));
    EXPECT_FLOAT_EQ(after.Items[1].Width, 0.5f);  // the raised version makes the width count

    const DisplayList changes = RenderView(d, DrawingFormat::Jww, settings, View::ChangesOnly);
    ASSERT_EQ(changes.Items.size(), 2u);
    EXPECT_TRUE(changes.Items[0].Changed);
    EXPECT_EQ(changes.Items[0].Paint, DefaultColor(8));
    EXPECT_TRUE(changes.Items[1].Changed);

    // The drawing given up is converted itself, to the same view.
    DrawingData given = d;
    const DisplayList inPlace = RenderView(std::move(given), DrawingFormat::Jww, settings, View::ChangesOnly);
    ASSERT_EQ(inPlace.Items.size(), 2u);
    EXPECT_TRUE(inPlace.Items[0].Changed);
    EXPECT_EQ(inPlace.Items[0].Paint, DefaultColor(8));
    EXPECT_FLOAT_EQ(inPlace.Items[1].Width, 0.5f);

    settings.WidthTable[3] = -1;
    ComputeVersionRaise(settings);
    const DisplayList colourOnly = RenderView(d, DrawingFormat::Jww, settings, View::ChangesOnly);
    EXPECT_FALSE(colourOnly.Items[1].Changed);
    EXPECT_EQ(colourOnly.Items[1].Paint, kUnchangedColor);
}

// Pieces of the list after, marked against the pens kept from a walk in pieces, get the marks
// of the whole list; a list after of another length has every shape marked.
TEST(RenderCompare, PiecesAreMarkedAsTheWholeList) {
    DrawingData d = ShownDrawing();
    d.Header.FileVersion = 351;
    for (uint16_t color = 1; color <= 4; ++color)
        for (uint8_t lineType = 1; lineType <= 3; ++lineType) AddLine(d, Pen(color, lineType), 0, 0, color, lineType);
    ConversionSettings settings;
    ResetConversionSettings(settings);
    settings.ColorTable[2] = 8;
    settings.LineTypeTable[2] = 4;
    settings.WidthTable[4] = 50;
    ComputeVersionRaise(settings);

    PensBefore pens;
    DisplayListWalk before(d, DrawingFormat::Jww, {}, 5);
    before.Walk([&](const DisplayList& piece) { pens.Add(piece); });
    DisplayList whole = BuildDisplayList(d, DrawingFormat::Jww);
    Convert(d, DrawingFormat::Jww, settings);
    DisplayList after = BuildDisplayList(d, DrawingFormat::Jww);
    MarkChanges(whole, after);
    const auto changed = [](const DisplayItem& item) { return item.Changed; };
    ASSERT_EQ(after.Items.size(), 12u);
    EXPECT_EQ(std::ranges::count_if(after.Items, changed), 8);  // colour 2, line type 2, width of colour 4

    for (const size_t afterItems : {after.Items.size(), after.Items.size() + 1}) {
        DisplayListWalk walk(d, DrawingFormat::Jww, {}, 5);
        size_t offset = 0;
        walk.Walk([&](DisplayList& piece) {
            MarkChanges(pens, afterItems, offset, piece);
            for (size_t i = 0; i < piece.Items.size(); ++i)
                EXPECT_EQ(piece.Items[i].Changed, afterItems != after.Items.size() || after.Items[offset + i].Changed)
                    << offset + i;
            offset += piece.Items.size();
        });
        EXPECT_EQ(offset, after.Items.size());
    }
}

}  // namespace
}  // namespace tolvane::render
