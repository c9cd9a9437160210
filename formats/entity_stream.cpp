// Each record's reader and writer stand next to each other, so that a version condition on
// one side without its twin on the other shows at once.
#include "formats/entity_stream.h"

#include <array>
#include <string_view>

namespace tolvane {

namespace {

constexpr std::array<std::string_view, 8> kClassNames = {
    "", "CDataSen", "CDataEnko", "CDataTen", "CDataMoji", "CDataSunpou", "CDataSolid", "CDataBlock"};
constexpr std::string_view kBlockDefinitionClass = "CDataList";

// The smallest possible objects: a tag, a base without width and a point's fields; a tag, a
// base, three words, an empty name and an empty member count.
constexpr size_t kMinEntityBytes = 2 + 13 + 20;
constexpr size_t kMinBlockDefinitionBytes = 2 + 13 + 12 + 1 + 2;

// The class indexes a file has given to the entity classes (by kind) and to the block
// definition class; 0 while a class has not been introduced. Shared by the entity list and
// all block definitions, in the reader and the writer alike.
struct ClassIndexes {
    std::array<uint32_t, 8> ByKind{};
    uint32_t BlockDefinition = 0;
};

// ---- EntityBase -------------------------------------------------------------------------

void ReadEntityBase(ArchiveReader& in, EntityBase& b, uint32_t version) {
    b.Group = in.ReadU32();
    b.PenStyle = in.ReadU8();
    b.PenColor = in.ReadU16();
    b.PenWidth = version >= 351 ? in.ReadU16() : 0;
    b.Layer = in.ReadU16();
    b.LayerGroup = in.ReadU16();
    b.Flags = in.ReadU16();
}

void WriteEntityBase(ArchiveWriter& out, const EntityBase& stored, EntityKind kind, uint32_t version) {
    const EntityBase b = CheckEntityBase(stored, kind, version);
    out.WriteU32(b.Group);
    out.WriteU8(b.PenStyle);
    out.WriteU16(b.PenColor);
    if (version >= 351) out.WriteU16(b.PenWidth);
    out.WriteU16(b.Layer);
    out.WriteU16(b.LayerGroup);
    out.WriteU16(b.Flags);
}

// ---- Records (after their bases) --------------------------------------------------------

void ReadLineFields(ArchiveReader& in, LineRecord& r) {
    r.StartX = in.ReadDouble();
    r.StartY = in.ReadDouble();
    r.EndX = in.ReadDouble();
    r.EndY = in.ReadDouble();
}

void WriteLineFields(ArchiveWriter& out, const LineRecord& r) {
    out.WriteDouble(r.StartX);
    out.WriteDouble(r.StartY);
    out.WriteDouble(r.EndX);
    out.WriteDouble(r.EndY);
}

void ReadArcFields(ArchiveReader& in, ArcRecord& r) {
    r.CenterX = in.ReadDouble();
    r.CenterY = in.ReadDouble();
    r.Radius = in.ReadDouble();
    r.StartAngle = in.ReadDouble();
    r.ArcAngle = in.ReadDouble();
    r.TiltAngle = in.ReadDouble();
    r.Flatness = in.ReadDouble();
    r.FullCircle = in.ReadU32();
}

void WriteArcFields(ArchiveWriter& out, const ArcRecord& r) {
    out.WriteDouble(r.CenterX);
    out.WriteDouble(r.CenterY);
    out.WriteDouble(r.Radius);
    out.WriteDouble(r.StartAngle);
    out.WriteDouble(r.ArcAngle);
    out.WriteDouble(r.TiltAngle);
    out.WriteDouble(r.Flatness);
    out.WriteU32(r.FullCircle);
}

// The extra fields follow only for PenStyle 100; the writer decides on the stored value,
// which its attribute check keeps.
void ReadPointFields(ArchiveReader& in, PointRecord& r) {
    r.X = in.ReadDouble();
    r.Y = in.ReadDouble();
    r.Temporary = in.ReadU32();
    if (r.PenStyle == 100) {
        r.Code = in.ReadU32();
        r.Angle = in.ReadDouble();
        r.Scale = in.ReadDouble();
    }
}

void WritePointFields(ArchiveWriter& out, const PointRecord& r) {
    out.WriteDouble(r.X);
    out.WriteDouble(r.Y);
    out.WriteU32(r.Temporary);
    if (r.PenStyle == 100) {
        out.WriteU32(r.Code);
        out.WriteDouble(r.Angle);
        out.WriteDouble(r.Scale);
    }
}

void ReadTextFields(ArchiveReader& in, TextRecord& r) {
    r.StartX = in.ReadDouble();
    r.StartY = in.ReadDouble();
    r.EndX = in.ReadDouble();
    r.EndY = in.ReadDouble();
    r.TextKind = in.ReadU32();
    r.SizeX = in.ReadDouble();
    r.SizeY = in.ReadDouble();
    r.Spacing = in.ReadDouble();
    r.Angle = in.ReadDouble();
    r.FontName = in.ReadString();
    r.Text = in.ReadString();
}

void WriteTextFields(ArchiveWriter& out, const TextRecord& r, ImageTextRewrite rewrite) {
    out.WriteDouble(r.StartX);
    out.WriteDouble(r.StartY);
    out.WriteDouble(r.EndX);
    out.WriteDouble(r.EndY);
    out.WriteU32(r.TextKind);
    out.WriteDouble(r.SizeX);
    out.WriteDouble(r.SizeY);
    out.WriteDouble(r.Spacing);
    out.WriteDouble(r.Angle);
    out.WriteString(CleanArchiveText(r.FontName));
    const ArchiveString text = CleanArchiveText(r.Text);
    if (rewrite == ImageTextRewrite::JwsShortPrefix && text.StartsWith(kImageTextPrefix)) {
        ArchiveString shortened = text.Substring(0, kImageTextMarker.size());  // "^@BM%temp%abc" -> "^@BMabc"
        for (size_t i = kImageTextPrefix.size(); i < text.Length(); ++i) shortened.Append(text.UnitAt(i));
        out.WriteString(shortened);
    } else {
        out.WriteString(text);
    }
}

// Below 420 a dimension holds only its line and text; the reader gives the missing
// sub-entities the dimension's own base, so that the rule application and a raised write
// find them filled.
void ReadDimensionFields(ArchiveReader& in, DimensionRecord& r, uint32_t version) {
    ReadEntityBase(in, r.DimensionLine, version);
    ReadLineFields(in, r.DimensionLine);
    ReadEntityBase(in, r.DimensionText, version);
    ReadTextFields(in, r.DimensionText);
    if (version >= 420) {
        r.SxfMode = in.ReadU16();
        ReadEntityBase(in, r.AuxLine1, version);
        ReadLineFields(in, r.AuxLine1);
        ReadEntityBase(in, r.AuxLine2, version);
        ReadLineFields(in, r.AuxLine2);
        for (PointRecord* p : {&r.Point1, &r.Point2, &r.AuxPoint1, &r.AuxPoint2}) {
            ReadEntityBase(in, *p, version);
            ReadPointFields(in, *p);
        }
    } else {
        const EntityBase& own = r;
        r.SxfMode = 0;
        r.AuxLine1 = LineRecord{};
        static_cast<EntityBase&>(r.AuxLine1) = own;
        r.AuxLine2 = LineRecord{};
        static_cast<EntityBase&>(r.AuxLine2) = own;
        for (PointRecord* p : {&r.Point1, &r.Point2, &r.AuxPoint1, &r.AuxPoint2}) {
            *p = PointRecord{};
            static_cast<EntityBase&>(*p) = own;
            p->PenStyle = 0;
        }
    }
}

void WriteDimensionFields(ArchiveWriter& out, const DimensionRecord& r, uint32_t version) {
    WriteEntityBase(out, r.DimensionLine, EntityKind::Line, version);
    WriteLineFields(out, r.DimensionLine);
    WriteEntityBase(out, r.DimensionText, EntityKind::Text, version);
    WriteTextFields(out, r.DimensionText, ImageTextRewrite::None);
    if (version >= 420) {
        out.WriteU16(r.SxfMode);
        WriteEntityBase(out, r.AuxLine1, EntityKind::Line, version);
        WriteLineFields(out, r.AuxLine1);
        WriteEntityBase(out, r.AuxLine2, EntityKind::Line, version);
        WriteLineFields(out, r.AuxLine2);
        for (const PointRecord* p : {&r.Point1, &r.Point2, &r.AuxPoint1, &r.AuxPoint2}) {
            WriteEntityBase(out, *p, EntityKind::Point, version);
            WritePointFields(out, *p);
        }
    }
}

void ReadSolidFields(ArchiveReader& in, SolidRecord& r) {
    r.Corner1X = in.ReadDouble();
    r.Corner1Y = in.ReadDouble();
    r.Corner2X = in.ReadDouble();
    r.Corner2Y = in.ReadDouble();
    r.Corner3X = in.ReadDouble();
    r.Corner3Y = in.ReadDouble();
    r.Corner4X = in.ReadDouble();
    r.Corner4Y = in.ReadDouble();
    if (r.PenColor == 10) r.Rgb = in.ReadU32();
}

void WriteSolidFields(ArchiveWriter& out, const SolidRecord& r) {
    out.WriteDouble(r.Corner1X);
    out.WriteDouble(r.Corner1Y);
    out.WriteDouble(r.Corner2X);
    out.WriteDouble(r.Corner2Y);
    out.WriteDouble(r.Corner3X);
    out.WriteDouble(r.Corner3Y);
    out.WriteDouble(r.Corner4X);
    out.WriteDouble(r.Corner4Y);
    if (r.PenColor == 10) out.WriteU32(r.Rgb);
}

void ReadBlockInsertFields(ArchiveReader& in, BlockInsertRecord& r) {
    r.X = in.ReadDouble();
    r.Y = in.ReadDouble();
    r.ScaleX = in.ReadDouble();
    r.ScaleY = in.ReadDouble();
    r.Angle = in.ReadDouble();
    r.BlockNumber = in.ReadU32();
}

void WriteBlockInsertFields(ArchiveWriter& out, const BlockInsertRecord& r) {
    out.WriteDouble(r.X);
    out.WriteDouble(r.Y);
    out.WriteDouble(r.ScaleX);
    out.WriteDouble(r.ScaleY);
    out.WriteDouble(r.Angle);
    out.WriteU32(r.BlockNumber);
}

// ---- Tagged entities --------------------------------------------------------------------

template <class Record>
Record& Append(std::vector<Record>& records, EntityLists& lists, EntityKind kind) {
    lists.EntityOrder.push_back({static_cast<uint32_t>(kind), static_cast<uint32_t>(records.size())});
    return records.emplace_back();
}

// A reference is looked up among the classes in the order block insertion, solid,
// dimension, text, point, arc, line.
EntityKind ResolveEntityKind(ArchiveReader& in, ClassIndexes& classes) {
    const uint64_t at = in.Position();
    const ArchiveTag tag = in.ReadTag();
    if (tag.IsNewClass) {
        for (uint32_t kind = 1; kind <= 7; ++kind) {
            if (tag.ClassName == kClassNames[kind]) {
                classes.ByKind[kind] = tag.ClassIndex;
                return static_cast<EntityKind>(kind);
            }
        }
        throw ArchiveError("unknown entity class \"" + tag.ClassName + "\" at byte " + std::to_string(at));
    }
    for (uint32_t kind = 7; kind >= 1; --kind) {
        if (classes.ByKind[kind] != 0 && classes.ByKind[kind] == tag.ClassIndex) return static_cast<EntityKind>(kind);
    }
    throw ArchiveError("the object tag at byte " + std::to_string(at) + " refers to class index " +
                       std::to_string(tag.ClassIndex) + ", which is no known entity class");
}

void ReadEntity(ArchiveReader& in, EntityLists& lists, ClassIndexes& classes, uint32_t version) {
    switch (ResolveEntityKind(in, classes)) {
        case EntityKind::Line: {
            LineRecord& r = Append(lists.Lines, lists, EntityKind::Line);
            ReadEntityBase(in, r, version);
            ReadLineFields(in, r);
            break;
        }
        case EntityKind::Arc: {
            ArcRecord& r = Append(lists.Arcs, lists, EntityKind::Arc);
            ReadEntityBase(in, r, version);
            ReadArcFields(in, r);
            break;
        }
        case EntityKind::Point: {
            PointRecord& r = Append(lists.Points, lists, EntityKind::Point);
            ReadEntityBase(in, r, version);
            ReadPointFields(in, r);
            break;
        }
        case EntityKind::Text: {
            TextRecord& r = Append(lists.Texts, lists, EntityKind::Text);
            ReadEntityBase(in, r, version);
            ReadTextFields(in, r);
            break;
        }
        case EntityKind::Dimension: {
            DimensionRecord& r = Append(lists.Dimensions, lists, EntityKind::Dimension);
            ReadEntityBase(in, r, version);
            ReadDimensionFields(in, r, version);
            break;
        }
        case EntityKind::Solid: {
            SolidRecord& r = Append(lists.Solids, lists, EntityKind::Solid);
            ReadEntityBase(in, r, version);
            ReadSolidFields(in, r);
            break;
        }
        case EntityKind::BlockInsert: {
            BlockInsertRecord& r = Append(lists.BlockInserts, lists, EntityKind::BlockInsert);
            ReadEntityBase(in, r, version);
            ReadBlockInsertFields(in, r);
            break;
        }
        case EntityKind::BlockDefinition:
            break;  // never resolved for an entity
    }
    in.NextIndex();
}

template <class Record>
const Record& At(const std::vector<Record>& records, uint32_t index) {
    if (index >= records.size())
        throw ArchiveError("the order list refers to entity " + std::to_string(index) + " of " +
                           std::to_string(records.size()));
    return records[index];
}

void WriteEntity(ArchiveWriter& out, const EntityLists& lists, const EntityRef& ref, ClassIndexes& classes,
                 uint32_t version, ImageTextRewrite rewrite) {
    if (ref.Kind < 1 || ref.Kind > 7) throw ArchiveError("the order list holds an entity of kind " + std::to_string(ref.Kind));
    const auto kind = static_cast<EntityKind>(ref.Kind);
    out.WriteTag(classes.ByKind[ref.Kind], kClassNames[ref.Kind], static_cast<uint16_t>(version));
    switch (kind) {
        case EntityKind::Line: {
            const LineRecord& r = At(lists.Lines, ref.Index);
            WriteEntityBase(out, r, kind, version);
            WriteLineFields(out, r);
            break;
        }
        case EntityKind::Arc: {
            const ArcRecord& r = At(lists.Arcs, ref.Index);
            WriteEntityBase(out, r, kind, version);
            WriteArcFields(out, r);
            break;
        }
        case EntityKind::Point: {
            const PointRecord& r = At(lists.Points, ref.Index);
            WriteEntityBase(out, r, kind, version);
            WritePointFields(out, r);
            break;
        }
        case EntityKind::Text: {
            const TextRecord& r = At(lists.Texts, ref.Index);
            WriteEntityBase(out, r, kind, version);
            WriteTextFields(out, r, rewrite);
            break;
        }
        case EntityKind::Dimension: {
            const DimensionRecord& r = At(lists.Dimensions, ref.Index);
            WriteEntityBase(out, r, kind, version);
            WriteDimensionFields(out, r, version);
            break;
        }
        case EntityKind::Solid: {
            const SolidRecord& r = At(lists.Solids, ref.Index);
            WriteEntityBase(out, r, kind, version);
            WriteSolidFields(out, r);
            break;
        }
        case EntityKind::BlockInsert: {
            const BlockInsertRecord& r = At(lists.BlockInserts, ref.Index);
            WriteEntityBase(out, r, kind, version);
            WriteBlockInsertFields(out, r);
            break;
        }
        case EntityKind::BlockDefinition:
            break;
    }
    out.NextIndex();
}

// An array grown by doubling holds its old and its new copy at once, twice its records. The
// entities of a list are therefore read twice: first only to count them by kind (each into a
// scratch record), then into arrays made at their final size.
void ReadEntities(ArchiveReader& in, EntityLists& lists, ClassIndexes& classes, uint32_t version, uint32_t count) {
    const ArchiveReader::Mark start = in.Here();
    const ClassIndexes classesAtStart = classes;
    std::array<size_t, 8> byKind{};
    EntityLists scratch;
    for (uint32_t i = 0; i < count; ++i) {
        ReadEntity(in, scratch, classes, version);
        ++byKind[scratch.EntityOrder.back().Kind];
        scratch.EntityOrder.clear();
        scratch.Lines.clear();
        scratch.Arcs.clear();
        scratch.Points.clear();
        scratch.Texts.clear();
        scratch.Dimensions.clear();
        scratch.Solids.clear();
        scratch.BlockInserts.clear();
    }
    in.Rewind(start);
    classes = classesAtStart;
    lists.EntityOrder.reserve(lists.EntityOrder.size() + count);
    lists.Lines.reserve(lists.Lines.size() + byKind[1]);
    lists.Arcs.reserve(lists.Arcs.size() + byKind[2]);
    lists.Points.reserve(lists.Points.size() + byKind[3]);
    lists.Texts.reserve(lists.Texts.size() + byKind[4]);
    lists.Dimensions.reserve(lists.Dimensions.size() + byKind[5]);
    lists.Solids.reserve(lists.Solids.size() + byKind[6]);
    lists.BlockInserts.reserve(lists.BlockInserts.size() + byKind[7]);
    for (uint32_t i = 0; i < count; ++i) ReadEntity(in, lists, classes, version);
}

void ReadEntityList(ArchiveReader& in, EntityLists& lists, ClassIndexes& classes, uint32_t version) {
    const uint32_t count = in.ReadCount(kMinEntityBytes);
    if (count > 0) ReadEntities(in, lists, classes, version, count);
}

void WriteEntityList(ArchiveWriter& out, const EntityLists& lists, ClassIndexes& classes, uint32_t version,
                     ImageTextRewrite rewrite) {
    out.WriteCount(static_cast<uint32_t>(lists.EntityOrder.size()));
    for (const EntityRef& ref : lists.EntityOrder) WriteEntity(out, lists, ref, classes, version, rewrite);
}

// ---- Block definitions ------------------------------------------------------------------

// The class of a definition is taken as CDataList whatever name introduced it.
void ReadBlockDefinitionTag(ArchiveReader& in, ClassIndexes& classes) {
    const uint64_t at = in.Position();
    const ArchiveTag tag = in.ReadTag();
    if (tag.IsNewClass) {
        classes.BlockDefinition = tag.ClassIndex;
    } else if (classes.BlockDefinition == 0 || tag.ClassIndex != classes.BlockDefinition) {
        throw ArchiveError("the block definition at byte " + std::to_string(at) + " refers to class index " +
                           std::to_string(tag.ClassIndex) + ", which is not the block definition class");
    }
}

// A negative time word announces a 64-bit time stamp in the next 8 bytes; it is dropped and
// the definition's position (from 1) stands in for it.
void ReadBlockDefinition(ArchiveReader& in, BlockDefinition& d, uint32_t position, ClassIndexes& classes,
                         uint32_t version) {
    ReadBlockDefinitionTag(in, classes);
    ReadEntityBase(in, d, version);
    d.Number = in.ReadU32();
    d.Referenced = in.ReadU32();
    d.Time = in.ReadU32();
    if (d.Time & 0x80000000u) {
        in.Skip(8);
        d.Time = position;
    }
    d.Name = in.ReadString();
    const uint32_t count = in.ReadCount(kMinEntityBytes);
    in.NextIndex();
    if (count > 0) ReadEntities(in, d.Members(), classes, version, count);
}

void WriteBlockDefinition(ArchiveWriter& out, const BlockDefinition& d, ClassIndexes& classes, uint32_t version,
                          ImageTextRewrite rewrite) {
    out.WriteTag(classes.BlockDefinition, kBlockDefinitionClass, static_cast<uint16_t>(version));
    WriteEntityBase(out, d, EntityKind::BlockDefinition, version);
    out.WriteU32(d.Number);
    out.WriteU32(d.Referenced);
    out.WriteU32(d.Time);
    out.WriteString(CleanArchiveText(d.Name));
    const EntityLists& members = d.Members();
    out.WriteCount(static_cast<uint32_t>(members.EntityOrder.size()));
    out.NextIndex();
    for (const EntityRef& ref : members.EntityOrder) WriteEntity(out, members, ref, classes, version, rewrite);
}

}  // namespace

void ReadEntityStream(ArchiveReader& in, DrawingData& drawing, uint32_t version) {
    ClassIndexes classes;
    ReadEntityList(in, drawing, classes, version);
    // A definition without members takes less than three times its smallest record, so the
    // count, which must fit in the rest of the file, can be reserved.
    const uint32_t count = in.ReadCount(kMinBlockDefinitionBytes);
    drawing.BlockDefinitions.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        ReadBlockDefinition(in, drawing.BlockDefinitions.emplace_back(), i + 1, classes, version);
}

void WriteEntityStream(ArchiveWriter& out, const DrawingData& drawing, uint32_t version, ImageTextRewrite rewrite) {
    ClassIndexes classes;
    WriteEntityList(out, drawing, classes, version, rewrite);
    out.WriteCount(static_cast<uint32_t>(drawing.BlockDefinitions.size()));
    for (const BlockDefinition& d : drawing.BlockDefinitions) WriteBlockDefinition(out, d, classes, version, rewrite);
}

uint8_t StandardLineTypeOfSxf(uint8_t penStyle) {
    // SXF line types 1..15 (31..45) by their look; the user-defined ones become solid.
    static constexpr uint8_t kStandard[15] = {1, 4, 3, 6, 8, 8, 2, 5, 7, 6, 6, 8, 8, 17, 17};
    if (penStyle >= 31 && penStyle <= 45) return kStandard[penStyle - 31];
    if (penStyle >= 46 && penStyle <= 62) return 1;
    return penStyle;
}

uint16_t StandardColorOfSxf(uint16_t penColor) {
    // SXF colours 1..16 (101..116) by their hue; the user-defined ones become colour 2.
    static constexpr uint16_t kStandard[16] = {2, 8, 3, 6, 4, 5, 1, 2, 5, 8, 4, 3, 6, 5, 2, 2};
    if (penColor >= 101 && penColor <= 116) return kStandard[penColor - 101];
    if (penColor >= 117 && penColor <= 356) return 2;
    return penColor;
}

EntityBase CheckEntityBase(const EntityBase& base, EntityKind kind, uint32_t version) {
    EntityBase b = base;
    const bool lineLike = kind == EntityKind::Line || kind == EntityKind::Arc;
    const bool coloured = kind >= EntityKind::Line && kind <= EntityKind::Solid;
    // SXF numbers exist in the file format only from version 420 on.
    if (version < 420) {
        if (lineLike) b.PenStyle = StandardLineTypeOfSxf(b.PenStyle);
        if (coloured) b.PenColor = StandardColorOfSxf(b.PenColor);
    }
    const uint8_t s = b.PenStyle;
    if (lineLike && !((s >= 1 && s <= 9) || (s >= 11 && s <= 19) || (s >= 31 && s <= 62))) b.PenStyle = 1;
    if (kind == EntityKind::Point && s != 1 && s != 100) b.PenStyle = 1;
    if (kind == EntityKind::Text && !(s >= 1 && s <= 9)) b.PenStyle = 1;
    const uint16_t c = b.PenColor;
    const bool standardOrSxf = (c >= 1 && c <= 9) || (c >= 101 && c <= 356);
    if (coloured && kind != EntityKind::Solid && !standardOrSxf) b.PenColor = 2;
    if (kind == EntityKind::Solid && !standardOrSxf && c != 10) b.PenColor = 2;
    if (b.Layer > 15) b.Layer = 0;
    if (b.LayerGroup > 15) b.LayerGroup = 0;
    if (b.PenWidth > kMaxPenWidth) b.PenWidth = 0;
    return b;
}

}  // namespace tolvane
