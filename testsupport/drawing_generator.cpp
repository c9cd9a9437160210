#include "testsupport/drawing_generator.h"

#include "formats/jww.h"
#include "settings/text_encoding.h"

#include <fstream>
#include <string>

namespace tolvane::testing {

namespace {

// Shift-JIS texts.
const std::string kGothic = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック
const std::string kLiving = "\x8b\x8f\x8a\xd4";                                      // 居間
const std::string kBedroom = "\x90\x51\x8e\xba";                                     // 寝室
const std::string kKitchen = "\x91\xe4\x8f\x8a";                                     // 台所
const std::string kBath = "\x97\x81\x8e\xba";                                        // 浴室
const std::string kEntrance = "\x8c\xba\x8a\xd6";                                    // 玄関
const std::string kJapaneseRoom = "\x98\x61\x8e\xba";                                // 和室
const std::string kPlan = "\x95\xbd\x96\xca\x90\x7d";                                // 平面図
const std::string kHouse = "\x8f\x5a\x91\xee";                                       // 住宅
const std::string kSample = "\x83\x54\x83\x93\x83\x76\x83\x8b";                      // サンプル
const std::string kWall = "\x95\xc7";                                                // 壁
const std::string kDimension = "\x90\xa1\x96\x40";                                   // 寸法
const std::string kDoor = "\x83\x68\x83\x41";                                        // ドア
const std::string kWindow = "\x91\x8b";                                              // 窓
const std::string kPhoto = "\x8e\xca\x90\x5e";                                       // 写真

EntityBase Pen(uint8_t style, uint16_t color, uint16_t width, uint16_t layer, uint16_t group = 0) {
    EntityBase b;
    b.PenStyle = style;
    b.PenColor = color;
    b.PenWidth = width;
    b.Layer = layer;
    b.LayerGroup = group;
    return b;
}

// The plans are drawn at 1:100, and a drawing stores paper millimetres: the helpers take world
// millimetres (a wall of 10 m is 10000) and store a hundredth of them. Text sizes are paper
// sizes already.
constexpr double kPaperPerWorld = 0.01;
double Paper(double world) { return world * kPaperPerWorld; }

template <class Record>
Record& Add(EntityLists& lists, std::vector<Record>& records, EntityKind kind, const EntityBase& base) {
    lists.EntityOrder.push_back({static_cast<uint32_t>(kind), static_cast<uint32_t>(records.size())});
    Record& r = records.emplace_back();
    static_cast<EntityBase&>(r) = base;
    return r;
}

void AddLine(EntityLists& l, const EntityBase& pen, double x1, double y1, double x2, double y2) {
    LineRecord& r = Add(l, l.Lines, EntityKind::Line, pen);
    r.StartX = Paper(x1);
    r.StartY = Paper(y1);
    r.EndX = Paper(x2);
    r.EndY = Paper(y2);
}

void AddArc(EntityLists& l, const EntityBase& pen, double cx, double cy, double radius, double start, double sweep) {
    ArcRecord& r = Add(l, l.Arcs, EntityKind::Arc, pen);
    r.CenterX = Paper(cx);
    r.CenterY = Paper(cy);
    r.Radius = Paper(radius);
    r.StartAngle = start;
    r.ArcAngle = sweep;
    r.Flatness = 1.0;
    r.FullCircle = sweep >= 6.283 ? 1 : 0;
}

void AddText(EntityLists& l, const EntityBase& pen, double x, double y, const std::string& text, uint32_t kind = 3) {
    TextRecord& r = Add(l, l.Texts, EntityKind::Text, pen);
    r.StartX = Paper(x);
    r.StartY = Paper(y);
    r.SizeX = 3.0 + kind * 0.5;
    r.SizeY = 3.0 + kind * 0.5;
    r.EndX = r.StartX + r.SizeX * static_cast<double>(text.size()) / 2.0;
    r.EndY = r.StartY;
    r.TextKind = kind;
    r.FontName = kGothic;
    r.Text = text;
}

void AddDimension(EntityLists& l, double x1, double y1, double x2, double y2, const std::string& text, uint32_t version) {
    DimensionRecord& d = Add(l, l.Dimensions, EntityKind::Dimension, Pen(1, 6, 0, 5));
    static_cast<EntityBase&>(d.DimensionLine) = Pen(1, 6, 0, 5);
    d.DimensionLine.StartX = Paper(x1);
    d.DimensionLine.StartY = Paper(y1);
    d.DimensionLine.EndX = Paper(x2);
    d.DimensionLine.EndY = Paper(y2);
    static_cast<EntityBase&>(d.DimensionText) = Pen(1, 6, 0, 5);
    d.DimensionText.StartX = Paper((x1 + x2) / 2);
    d.DimensionText.StartY = Paper((y1 + y2) / 2 + 100);
    d.DimensionText.TextKind = 2;
    d.DimensionText.SizeX = d.DimensionText.SizeY = 2.5;
    d.DimensionText.FontName = kGothic;
    d.DimensionText.Text = text;
    const EntityBase own = d;
    if (version >= 420) {
        d.SxfMode = 1;
        static_cast<EntityBase&>(d.AuxLine1) = own;
        d.AuxLine1.StartX = Paper(x1);
        d.AuxLine1.StartY = Paper(y1 - 300);
        d.AuxLine1.EndX = Paper(x1);
        d.AuxLine1.EndY = Paper(y1);
        static_cast<EntityBase&>(d.AuxLine2) = own;
        d.AuxLine2.StartX = Paper(x2);
        d.AuxLine2.StartY = Paper(y2 - 300);
        d.AuxLine2.EndX = Paper(x2);
        d.AuxLine2.EndY = Paper(y2);
        for (PointRecord* p : {&d.Point1, &d.Point2, &d.AuxPoint1, &d.AuxPoint2}) {
            static_cast<EntityBase&>(*p) = own;
            p->PenStyle = 1;
        }
        d.Point1.X = Paper(x1);
        d.Point1.Y = Paper(y1);
        d.Point2.X = Paper(x2);
        d.Point2.Y = Paper(y2);
        d.AuxPoint2.PenStyle = 100;  // an arrow-head mark with its extra fields
        d.AuxPoint2.Code = 3;
        d.AuxPoint2.Scale = 1.0;
    } else {
        // What the reader fills in for a dimension of an old file.
        for (LineRecord* a : {&d.AuxLine1, &d.AuxLine2}) static_cast<EntityBase&>(*a) = own;
        for (PointRecord* p : {&d.Point1, &d.Point2, &d.AuxPoint1, &d.AuxPoint2}) {
            static_cast<EntityBase&>(*p) = own;
            p->PenStyle = 0;
        }
    }
}

void AddSolid(EntityLists& l, const EntityBase& pen, double x, double y, double size, uint32_t rgb) {
    SolidRecord& s = Add(l, l.Solids, EntityKind::Solid, pen);
    s.Corner1X = Paper(x);
    s.Corner1Y = Paper(y);
    s.Corner2X = Paper(x + size);
    s.Corner2Y = Paper(y);
    s.Corner3X = Paper(x + size);
    s.Corner3Y = Paper(y + size);
    s.Corner4X = Paper(x);
    s.Corner4Y = Paper(y + size);
    s.Rgb = pen.PenColor == 10 ? rgb : 0;
}

void AddInsert(EntityLists& l, double x, double y, double angle, uint32_t block) {
    BlockInsertRecord& b = Add(l, l.BlockInserts, EntityKind::BlockInsert, Pen(1, 1, 0, 3));
    b.X = Paper(x);
    b.Y = Paper(y);
    b.ScaleX = b.ScaleY = 1.0;
    b.Angle = angle;
    b.BlockNumber = block;
}

// The plan's entities, drawn with the pens that a version can hold.
void AddPlanEntities(EntityLists& l, uint32_t version, double ox, double oy) {
    const bool sxf = version >= 420;
    const uint16_t width = version >= 351 ? 35 : 0;
    const EntityBase outerWall = Pen(1, sxf ? 101 : 2, width, 1);
    const EntityBase innerWall = Pen(1, 3, 0, 1);
    const EntityBase centre = Pen(sxf ? 38 : 5, 6, 0, 2);
    const EntityBase hidden = Pen(2, 1, 0, 2);
    const EntityBase helper = Pen(9, 9, 0, 15);
    // Outer walls, 10 m by 8 m, drawn double.
    for (double t : {0.0, 150.0}) {
        AddLine(l, outerWall, ox + t, oy + t, ox + 10000 - t, oy + t);
        AddLine(l, outerWall, ox + 10000 - t, oy + t, ox + 10000 - t, oy + 8000 - t);
        AddLine(l, outerWall, ox + 10000 - t, oy + 8000 - t, ox + t, oy + 8000 - t);
        AddLine(l, outerWall, ox + t, oy + 8000 - t, ox + t, oy + t);
    }
    AddLine(l, innerWall, ox + 4000, oy + 150, ox + 4000, oy + 7850);
    AddLine(l, innerWall, ox + 150, oy + 4000, ox + 4000, oy + 4000);
    AddLine(l, innerWall, ox + 7000, oy + 150, ox + 7000, oy + 4500);
    AddLine(l, Pen(3, 4, 0, 1), ox + 4000, oy + 4500, ox + 9850, oy + 4500);
    AddLine(l, centre, ox - 500, oy + 4000, ox + 10500, oy + 4000);
    AddLine(l, centre, ox + 4000, oy - 500, ox + 4000, oy + 8500);
    AddLine(l, hidden, ox + 7500, oy + 6000, ox + 9500, oy + 6000);
    AddLine(l, helper, ox, oy - 1000, ox + 10000, oy - 1000);
    AddLine(l, Pen(sxf ? 47 : 12, sxf ? 120 : 7, 0, 3), ox + 500, oy + 500, ox + 1500, oy + 500);
    // Door swings and columns.
    AddArc(l, Pen(1, 1, 0, 3), ox + 4000, oy + 1000, 800, 1.5708, 1.5708);
    AddArc(l, Pen(1, 1, 0, 3), ox + 7000, oy + 2000, 800, 3.1416, 1.5708);
    AddArc(l, Pen(1, sxf ? 105 : 5, width, 1), ox + 2000, oy + 6000, 150, 0, 6.2832);
    AddArc(l, Pen(16, 8, 0, 2), ox + 8500, oy + 6500, 600, 0, 3.1416);
    // Points: a plain one and a marked one with its extra fields.
    PointRecord& p = Add(l, l.Points, EntityKind::Point, Pen(1, 2, 0, 4));
    p.X = Paper(ox + 5000);
    p.Y = Paper(oy + 5000);
    PointRecord& mark = Add(l, l.Points, EntityKind::Point, Pen(100, 3, 0, 4));
    mark.X = Paper(ox + 6000);
    mark.Y = Paper(oy + 6000);
    mark.Code = 2;
    mark.Angle = 45.0;
    mark.Scale = 1.5;
    // Room names and a title.
    AddText(l, Pen(1, 3, 0, 6), ox + 1500, oy + 2000, kLiving);
    AddText(l, Pen(1, 3, 0, 6), ox + 1500, oy + 6000, kBedroom);
    AddText(l, Pen(1, 3, 0, 6), ox + 5500, oy + 2000, kKitchen);
    AddText(l, Pen(1, 3, 0, 6), ox + 8500, oy + 2000, kBath);
    AddText(l, Pen(1, 3, 0, 6), ox + 5500, oy + 6000, kJapaneseRoom);
    AddText(l, Pen(1, 3, 0, 6), ox + 8500, oy + 3000, kEntrance);
    AddText(l, Pen(1, sxf ? 102 : 5, 0, 6), ox + 500, oy - 2000, kHouse + " " + kPlan + " S=1/100", 5);
    // Dimensions along two walls.
    AddDimension(l, ox, oy - 600, ox + 10000, oy - 600, "10000", version);
    AddDimension(l, ox - 600, oy, ox - 600, oy + 8000, "8000", version);
    // Solids: a column in a pen colour and a floor patch in its own RGB colour.
    AddSolid(l, Pen(1, 4, 0, 1), ox + 1925, oy + 5925, 150, 0);
    AddSolid(l, Pen(1, 10, 0, 7), ox + 7100, oy + 250, 800, 0x00C0E0FF);
    // Doors and windows as blocks.
    AddInsert(l, ox + 4000, oy + 1000, 0, 1);
    AddInsert(l, ox + 7000, oy + 2000, 1.5708, 1);
    AddInsert(l, ox + 2000, oy, 0, 2);
    AddInsert(l, ox + 6000, oy + 8000, 0, 2);
}

void AddBlockDefinitions(DrawingData& d, uint32_t version) {
    const bool sxf = version >= 420;
    BlockDefinition& door = d.BlockDefinitions.emplace_back();
    static_cast<EntityBase&>(door) = Pen(1, 1, 0, 3);
    door.Number = 1;
    door.Time = 1700000000;
    door.Name = kDoor;
    AddLine(door.Members(), Pen(1, 1, 0, 3), 0, 0, 800, 0);
    AddArc(door.Members(), Pen(2, 1, 0, 3), 0, 0, 800, 0, 1.5708);
    AddText(door.Members(), Pen(1, 3, 0, 3), 100, 100, "D1", 1);
    BlockDefinition& window = d.BlockDefinitions.emplace_back();
    static_cast<EntityBase&>(window) = Pen(1, 1, 0, 3);
    window.Number = 2;
    window.Referenced = 1;
    window.Time = 1700000100;
    window.Name = kWindow;
    AddLine(window.Members(), Pen(1, sxf ? 103 : 4, 0, 3), 0, 0, 1600, 0);
    AddLine(window.Members(), Pen(1, 4, 0, 3), 0, 150, 1600, 150);
    AddSolid(window.Members(), Pen(1, 10, 0, 3), 0, 0, 100, 0x00808080);
    AddInsert(window.Members(), 800, 75, 0, 1);
}

}  // namespace

std::string MakeBitmap(int width, int height) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const int pixelBytes = rowBytes * height;
    std::string b;
    auto u16 = [&](uint32_t v) { b += char(v & 0xFF); b += char((v >> 8) & 0xFF); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    b += "BM";
    u32(static_cast<uint32_t>(54 + pixelBytes));
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<uint32_t>(width));
    u32(static_cast<uint32_t>(height));
    u16(1);
    u16(24);
    u32(0);
    u32(static_cast<uint32_t>(pixelBytes));
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            b += char(x * 255 / width);
            b += char(y * 255 / height);
            b += char(128);
        }
        b.append(static_cast<size_t>(rowBytes - width * 3), '\0');
    }
    return b;
}

void FillRealisticHeader(DrawingHeader& h, uint32_t version) {
    h.Signature = "JwwData.";
    h.FileVersion = version;
    h.Memo = kHouse + " " + kPlan + " " + kSample;
    h.PaperSize = 3;  // A3
    h.WriteLayerGroup = 0;
    for (size_t g = 0; g < h.LayerGroups.size(); ++g) {
        LayerGroupInfo& group = h.LayerGroups[g];
        group.State = g == 0 ? 2 : 1;
        group.WriteLayer = 1;
        group.Scale = 100.0;
        for (LayerInfo& layer : group.Layers) layer.State = 2;
    }
    h.LayerGroups[0].Name = kPlan;
    h.LayerGroups[0].Layers[1].Name = kWall;
    h.LayerGroups[0].Layers[5].Name = kDimension;
    h.LayerGroups[0].Layers[6].Name = "text";
    h.ReservedWords[0] = 1;
    h.DimensionSettings = {123, 0, 1, 0, 0};
    h.ReservedWord15 = 1;
    h.MaxDrawWidth = 1;
    h.GridSpacingX = h.GridSpacingY = 910.0;
    h.ShadowLatitude = 35.0;
    h.SkyMapLevel = version >= 231 ? 1.0 : 0;
    h.SkyMapRadius = version >= 231 ? 5.0 : 0;
    if (version >= 231) {
        for (size_t i = 0; i < h.MarkJumps.size(); ++i) h.MarkJumps[i].LayerGroup = static_cast<int32_t>(i) - 1;
    }
    for (size_t i = 0; i < h.ParallelSpacings.size(); ++i) h.ParallelSpacings[i] = 50.0 * static_cast<double>(i + 1);
    static constexpr uint32_t kScreenColors[10] = {0xFFFFFF, 0x000000, 0x0000FF, 0x00FF00, 0xFF0000,
                                                   0xFF00FF, 0xFFFF00, 0x00FFFF, 0x808080, 0xFF8000};
    for (size_t i = 0; i < h.Pens.size(); ++i) {
        h.Pens[i].ScreenColor = kScreenColors[i];
        h.Pens[i].ScreenWidth = 1;
        h.Pens[i].PrinterColor = 0;
        h.Pens[i].PrinterWidth = static_cast<uint32_t>(i) + 1;
        h.Pens[i].PointRadius = 0.3;
    }
    for (size_t i = 0; i < h.LineTypes.size(); ++i) h.LineTypes[i] = {0xFF00FF00u >> i, 16, 1, 1};
    for (RandomLineEntry& r : h.RandomLines) r = {0xFFFF, 4, 10, 4, 10};
    for (LineTypeEntry& t : h.DoubleLineTypes) t = {0xF0F0F0F0, 32, 2, 2};
    h.DisplayOptions = {1, 0, 1, 0, 0, 1, 0, 0, 0, 1};
    h.PrintOptionUnits = 3;
    h.PrintOptionTens = version >= 600 ? 1 : 0;  // below 600 the file has no tens
    h.DrawTime = 3600;
    h.LastLineLength = 1000;
    h.LastBoxWidth = 910;
    h.LastBoxHeight = 1820;
    h.LastCircleRadius = 150;
    h.SolidRgb = 0x808080;
    if (version >= 420) {
        static const char* kSxfColorNames[17] = {"", "black", "red", "green", "blue", "yellow", "magenta",
                                                 "cyan", "white", "deeppink", "brown", "orange", "lightgreen",
                                                 "lightblue", "lavender", "lightgray", "darkgray"};
        for (size_t i = 0; i < 17; ++i) {
            h.SxfPens[i].Name = kSxfColorNames[i];
            h.SxfPens[i].ScreenColor = static_cast<uint32_t>(i * 0x0F0F0F);
            h.SxfPens[i].PrinterWidth = 1;
        }
        static const char* kSxfLineTypeNames[4] = {"", "continuous", "dashed", "dashed spaced"};
        for (size_t i = 0; i < 4; ++i) {
            h.SxfLineTypes[i].Name = kSxfLineTypeNames[i];
            h.SxfLineTypes[i].SegmentCount = static_cast<uint32_t>(i);
            for (size_t k = 0; k < i; ++k) h.SxfLineTypes[i].SegmentPitches[k] = 1.5 * static_cast<double>(k + 1);
        }
    }
    for (size_t i = 0; i < h.TextKinds.size(); ++i) {
        const double size = 2.0 + static_cast<double>(i);
        h.TextKinds[i] = {size, size, 0.0, static_cast<uint32_t>(i % 9 + 1)};
    }
    h.CurrentTextWidth = h.CurrentTextHeight = 3.0;
    h.CurrentTextColor = 1;
    h.CurrentTextKind = 3;
    h.TextLineSpacing = 1.0;
    h.TextLineCount = 1.0;
}

DrawingData MakeFloorPlan(uint32_t version, const std::filesystem::path& imageFolder) {
    DrawingData d;
    d.Clear();
    FillRealisticHeader(d.Header, version);
    AddPlanEntities(d, version, 0, 0);
    AddBlockDefinitions(d, version);
    if (version >= 700 && !imageFolder.empty()) {
        AddText(d, Pen(1, 2, 0, 8), 500, 9000, "^@BM%temp%photo.bmp,100,75,0,0,1,0", 1);
        AddText(d, Pen(1, 2, 0, 8), 500, 10000, kPhoto, 3);
        const std::string bitmap = MakeBitmap(16, 12);
        std::filesystem::create_directories(imageFolder);
        const std::string fileName = ExtractedImageFileName(0, "photo.bmp");
        std::ofstream(imageFolder / fileName, std::ios::binary) << bitmap;
        d.EmbeddedImageList.push_back({"photo.bmp", static_cast<uint32_t>(bitmap.size()), fileName});
    }
    return d;
}

DrawingData MakeLargeDrawing(uint32_t version, size_t targetBytes) {
    DrawingData d;
    d.Clear();
    FillRealisticHeader(d.Header, version);
    AddBlockDefinitions(d, version);
    // One plan is about 3 KB of entities.
    const size_t plans = targetBytes / 3000 + 1;
    for (size_t i = 0; i < plans; ++i)
        AddPlanEntities(d, version, static_cast<double>(i % 100) * 12000.0, static_cast<double>(i / 100) * 10000.0);
    return d;
}

DrawingData MakeFigure(uint32_t version) {
    DrawingData d;
    d.Clear();
    d.Header.FileVersion = version;
    d.Jws.Signature = "JwsData";
    d.Jws.HeaderReals1 = {1.0, 0.0};
    d.Jws.LayerGroupScales.fill(100.0);
    d.Jws.HeaderWords = {0, 1, 0, 0, 0, 0};
    AddPlanEntities(d, version, 0, 0);
    AddBlockDefinitions(d, version);
    return d;
}

namespace {

void Widen(ArchiveString& s) { s = ArchiveString::Wide(Utf8ToWide(ArchiveStringToUtf8(s))); }

void WidenTexts(EntityLists& lists) {
    for (TextRecord& t : lists.Texts) {
        Widen(t.FontName);
        Widen(t.Text);
    }
    for (DimensionRecord& dimension : lists.Dimensions) {
        Widen(dimension.DimensionText.FontName);
        Widen(dimension.DimensionText.Text);
    }
}

}  // namespace

void MakeStringsWide(DrawingData& d) {
    DrawingHeader& h = d.Header;
    Widen(h.Memo);
    for (LayerGroupInfo& g : h.LayerGroups) {
        Widen(g.Name);
        for (LayerInfo& l : g.Layers) Widen(l.Name);
    }
    for (SxfPenEntry& p : h.SxfPens) Widen(p.Name);
    for (SxfLineTypeEntry& t : h.SxfLineTypes) Widen(t.Name);
    WidenTexts(d);
    for (BlockDefinition& definition : d.BlockDefinitions) {
        Widen(definition.Name);
        WidenTexts(definition.Members());
    }
    for (EmbeddedImage& image : d.EmbeddedImageList) Widen(image.Name);
    d.Strings = StringForm::Wide;
}

}  // namespace tolvane::testing
