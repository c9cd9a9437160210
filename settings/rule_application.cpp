#include "settings/rule_application.h"

namespace tolvane {

namespace {

// Settings loaded from files are checked against the dialog's ranges (LoadConversionSettings),
// so every target fits the pen fields: colours up to 356, line types up to 62, widths up to kMaxTargetWidth.
uint16_t AsColor(int32_t value) { return static_cast<uint16_t>(value); }
uint8_t AsLineType(int32_t value) { return static_cast<uint8_t>(value); }
uint16_t AsWidth(int32_t value) { return static_cast<uint16_t>(value); }

constexpr uint16_t kOwnRgbSolidColor = 10;

bool InColorRange(int32_t c) { return (c >= 1 && c <= 9) || (c >= 101 && c <= 356); }
bool InLineTypeRange(int32_t n) { return LineTypeSlotOf(n).has_value(); }

class TableMapper {
public:
    TableMapper(const ConversionSettings& settings, uint32_t version) : settings_(settings), version_(version) {}

    // The width is looked up by the colour as read, so it is taken before the colour changes.
    void WidthAndColor(EntityBase& e) const {
        e.PenWidth = AsWidth(MapWidth(settings_, e.PenColor, e.PenWidth));
        e.PenColor = AsColor(MapColor(settings_, e.PenColor));
    }
    void Color(EntityBase& e) const { e.PenColor = AsColor(MapColor(settings_, e.PenColor)); }
    void LineType(EntityBase& e) const { e.PenStyle = AsLineType(MapLineType(settings_, e.PenStyle)); }
    // ChangeSolidColors changes solids whose colour is a line colour, as the option's caption
    // says; a solid in its own RGB colour (10) keeps it, and with it its RGB value, which the
    // file stores only for colour 10.
    void SolidColor(SolidRecord& s) const {
        if (s.PenColor != kOwnRgbSolidColor) Color(s);
    }
    void Full(EntityBase& e) const {
        WidthAndColor(e);
        LineType(e);
    }

    // The auxiliary lines and points exist in files from 4.20 on; for older files the reader
    // fills them from the dimension's own attributes, and the raised version decides.
    void Dimension(DimensionRecord& d, bool colorsAndWidths, bool lineTypes) const {
        const bool withSubEntities = version_ >= 420;
        if (colorsAndWidths) {
            WidthAndColor(d.DimensionLine);
            Color(d.DimensionText);
            if (withSubEntities) {
                WidthAndColor(d.AuxLine1);
                WidthAndColor(d.AuxLine2);
                for (PointRecord* p : {&d.Point1, &d.Point2, &d.AuxPoint1, &d.AuxPoint2}) Color(*p);
            }
        }
        if (lineTypes) {
            LineType(d.DimensionLine);
            if (withSubEntities) {
                LineType(d.AuxLine1);
                LineType(d.AuxLine2);
            }
        }
    }

    // Text kinds and the dimension setting hold only the standard colours 1..9: a mapping to an
    // SXF colour leaves them as they are.
    bool StandardColor(int32_t color, int32_t& mapped) const {
        mapped = MapColor(settings_, color);
        return mapped >= 1 && mapped <= 9;
    }

private:
    const ConversionSettings& settings_;
    uint32_t version_;
};

// The first word of the dimension setting holds three colour numbers as its units, tens and
// hundreds digits; the digits from the thousands up are something else and stay. The word is
// a signed 32-bit value to the program, with truncating division (a negative word has
// negative digits, which map as any colour outside the tables does).
uint32_t MapDimensionSettingColors(const TableMapper& mapper, uint32_t word) {
    int64_t v = static_cast<int32_t>(word);
    for (int64_t unit : {1, 10, 100}) {
        const int64_t digit = (v / unit) % 10;
        int32_t mapped = 0;
        if (mapper.StandardColor(static_cast<int32_t>(digit), mapped)) v += (mapped - digit) * unit;
    }
    // A word within a few hundred of the top of the signed range can be pushed past it; it is
    // left as it was rather than wrapped round.
    if (v < INT32_MIN || v > INT32_MAX) return word;
    return static_cast<uint32_t>(static_cast<int32_t>(v));
}

}  // namespace

uint32_t RaiseVersion(const ConversionSettings& settings, uint32_t version) {
    if (settings.VersionRaise == VersionRaiseLevel::To351 && version < 351) return 351;
    if (settings.VersionRaise == VersionRaiseLevel::To420 && version < 420) return 420;
    return version;
}

int32_t MapColor(const ConversionSettings& settings, int32_t color) {
    const std::optional<int> slot = ColorSlotOf(color);
    if (!slot) return 1;
    const int32_t target = settings.ColorTable[static_cast<size_t>(*slot)];
    return target > 0 ? target : color;
}

int32_t MapLineType(const ConversionSettings& settings, int32_t lineType) {
    const std::optional<int> slot = LineTypeSlotOf(lineType);
    if (!slot) return 1;
    const int32_t target = settings.LineTypeTable[static_cast<size_t>(*slot)];
    return target > 0 ? target : lineType;
}

int32_t MapWidth(const ConversionSettings& settings, int32_t color, int32_t width) {
    int32_t result = width >= 0 && width <= kMaxTargetWidth ? width : 0;
    // Without ChangeExistingWidths, the table only gives widths to entities drawn at the base width.
    if (IsOptionOn(settings, ChangeExistingWidths) || width == 0) {
        if (const std::optional<int> slot = ColorSlotOf(color)) {
            const int32_t target = settings.WidthTable[static_cast<size_t>(*slot)];
            if (target >= 0) result = target;
        }
    }
    return result;
}

PenValues LookupRules(const ConversionSettings& settings, int32_t color, int32_t lineType, int32_t width) {
    PenValues result{color, lineType, width};
    // Every rule is tried against the pen as read; later matches override what they set.
    for (const CombinationRule& rule : settings.Rules) {
        if (!rule.Enabled || rule.SourceColor != color || rule.SourceLineType != lineType) continue;
        if (rule.TargetColor > 0) result.Color = rule.TargetColor;
        if (rule.TargetLineType > 0) result.LineType = rule.TargetLineType;
        if (rule.TargetWidth >= 0) result.Width = rule.TargetWidth;
        if (!InColorRange(result.Color)) result.Color = 1;
        if (!InLineTypeRange(result.LineType)) result.LineType = 1;
        if (result.Width < 0 || result.Width > kMaxTargetWidth) result.Width = 0;
    }
    return result;
}

void ApplyTables(const ConversionSettings& settings, DrawingData& drawing, bool withHeaderSettings) {
    const TableMapper map(settings, drawing.Header.FileVersion);
    const bool dimensionColors = IsOptionOn(settings, ChangeDimensionColorsAndWidths);
    const bool dimensionLineTypes = IsOptionOn(settings, ChangeDimensionLineTypes);
    const bool solidColors = IsOptionOn(settings, ChangeSolidColors);
    const bool blockColors = IsOptionOn(settings, ChangeBlockColorsAndWidths);
    const bool blockLineTypes = IsOptionOn(settings, ChangeBlockLineTypes);

    for (LineRecord& line : drawing.Lines) map.Full(line);
    for (ArcRecord& arc : drawing.Arcs) map.Full(arc);
    for (PointRecord& point : drawing.Points) map.Color(point);
    for (TextRecord& text : drawing.Texts) map.Color(text);
    if (dimensionColors || dimensionLineTypes) {
        for (DimensionRecord& d : drawing.Dimensions) map.Dimension(d, dimensionColors, dimensionLineTypes);
    }
    if (solidColors) {
        for (SolidRecord& solid : drawing.Solids) map.SolidColor(solid);
    }

    if (blockColors || blockLineTypes) {
        for (BlockDefinition& definition : drawing.BlockDefinitions) {
            if (!definition.HasMembers()) continue;
            EntityLists& block = definition.Members();
            auto member = [&](EntityBase& e) {
                if (blockColors) map.WidthAndColor(e);
                if (blockLineTypes) map.LineType(e);
            };
            for (LineRecord& line : block.Lines) member(line);
            for (ArcRecord& arc : block.Arcs) member(arc);
            if (blockColors) {
                for (PointRecord& point : block.Points) map.Color(point);
                for (TextRecord& text : block.Texts) map.Color(text);
            }
            if (dimensionColors || dimensionLineTypes) {
                for (DimensionRecord& d : block.Dimensions)
                    map.Dimension(d, dimensionColors && blockColors, dimensionLineTypes && blockLineTypes);
            }
            if (solidColors && blockColors) {
                for (SolidRecord& solid : block.Solids) map.SolidColor(solid);
            }
        }
    }

    if (withHeaderSettings && IsOptionOn(settings, ChangeTextSettingColors)) {
        for (TextKindEntry& kind : drawing.Header.TextKinds) {
            int32_t mapped = 0;
            if (map.StandardColor(static_cast<int32_t>(kind.Color), mapped)) kind.Color = static_cast<uint32_t>(mapped);
        }
    }
    if (withHeaderSettings && IsOptionOn(settings, ChangeDimensionSettingColors)) {
        drawing.Header.DimensionSettings[0] = MapDimensionSettingColors(map, drawing.Header.DimensionSettings[0]);
    }
}

void ApplyRules(const ConversionSettings& settings, DrawingData& drawing) {
    auto full = [&](EntityBase& e) {
        const PenValues pen = LookupRules(settings, e.PenColor, e.PenStyle, e.PenWidth);
        e.PenColor = AsColor(pen.Color);
        e.PenStyle = AsLineType(pen.LineType);
        e.PenWidth = AsWidth(pen.Width);
    };
    for (LineRecord& line : drawing.Lines) full(line);
    for (ArcRecord& arc : drawing.Arcs) full(arc);

    const bool blockColors = IsOptionOn(settings, ChangeBlockColorsAndWidths);
    const bool blockLineTypes = IsOptionOn(settings, ChangeBlockLineTypes);
    if (!blockColors && !blockLineTypes) return;
    auto member = [&](EntityBase& e) {
        const PenValues pen = LookupRules(settings, e.PenColor, e.PenStyle, e.PenWidth);
        if (blockColors) {
            e.PenColor = AsColor(pen.Color);
            e.PenWidth = AsWidth(pen.Width);
        }
        if (blockLineTypes) e.PenStyle = AsLineType(pen.LineType);
    };
    for (BlockDefinition& definition : drawing.BlockDefinitions) {
        if (!definition.HasMembers()) continue;
        for (LineRecord& line : definition.Members().Lines) member(line);
        for (ArcRecord& arc : definition.Members().Arcs) member(arc);
    }
}

}  // namespace tolvane
