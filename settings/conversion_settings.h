// What the user decides about a conversion: the individual-mode tables, the options, the ten
// combination rules and the mode, with the numbering of colours and line types that the
// tables, the dialog's lists and the settings files share.
//
// Colours: 1..9 standard, 101..356 SXF colours 1..256. Line types: 1..9, 11..15 random
// lines, 16..19 double-length types, 31..45 SXF types 1..15, 47..62 SXF user types 17..32.
// In every target, 0 keeps a colour or line type and -1 keeps a width.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/drawing.h"

namespace tolvane {

inline constexpr int kColorSlots = 265;
inline constexpr int kLineTypeSlots = 49;
inline constexpr int kOptionCount = 8;
inline constexpr int kRuleCount = 10;
// Colour table, line-type table and options form one numbered sequence: the keys C1..C322.
inline constexpr int kSequenceLength = kColorSlots + kLineTypeSlots + kOptionCount;

// Positions in ConversionOptions; sequence numbers 315..322.
enum ConversionOption : int {
    ChangeTextSettingColors = 0,
    ChangeDimensionSettingColors = 1,
    ChangeSolidColors = 2,
    ChangeDimensionColorsAndWidths = 3,
    ChangeBlockColorsAndWidths = 4,
    ChangeDimensionLineTypes = 5,
    ChangeBlockLineTypes = 6,
    ChangeExistingWidths = 7,
};

// The mode of a conversion. The settings file stores it as an integer and keeps any value it
// holds; a run converts every value but Combined individually.
enum class ConversionModeKind : int32_t { Individual = 0, Combined = 1 };

// How far a conversion raises the data version of a drawing below it; derived from the
// tables and rules. The values are the program's own and are never stored.
enum class VersionRaiseLevel : int32_t { None = 0, To351 = 1, To420 = 2 };

// The widest width a target can set, in 1/100 mm.
inline constexpr int kMaxTargetWidth = kMaxPenWidth;

struct CombinationRule {
    bool Enabled = false;
    int32_t SourceColorIndex = 0;     // position in ColorNames (colour slot - 1)
    int32_t SourceLineTypeIndex = 0;  // position in LineTypeNames (line-type slot - 1)
    int32_t TargetColor = 0;
    int32_t TargetLineType = 0;
    int32_t TargetWidth = -1;
    int32_t SourceColor = 0;     // derived by ResolveRuleSources
    int32_t SourceLineType = 0;  // derived by ResolveRuleSources
};

struct ConversionSettings {
    // Indexed by slot: entry 0 is unused, so that ColorTable[s] is the entry of slot s.
    std::array<int32_t, kColorSlots + 1> ColorTable{};
    std::array<int32_t, kLineTypeSlots + 1> LineTypeTable{};
    std::array<int32_t, kOptionCount> ConversionOptions{};
    std::array<int32_t, kColorSlots + 1> WidthTable{};
    VersionRaiseLevel VersionRaise = VersionRaiseLevel::None;  // derived
    std::string LastSettingsFile;
    ConversionModeKind ConversionMode = ConversionModeKind::Individual;
    std::array<CombinationRule, kRuleCount> Rules{};

    // Value n (1..322) of the numbered sequence.
    int32_t& SequenceValue(int n);
    int32_t SequenceValue(int n) const;
};

void ResetConversionSettings(ConversionSettings& settings);

inline bool IsCombinedMode(const ConversionSettings& settings) {
    return settings.ConversionMode == ConversionModeKind::Combined;
}

// An option is on when its value is 1; ChangeExistingWidths for any non-zero value.
bool IsOptionOn(const ConversionSettings& settings, ConversionOption option);
bool IsOptionValueOn(ConversionOption option, int32_t value);

std::optional<int> ColorSlotOf(int color);
int ColorOfSlot(int slot);
std::optional<int> LineTypeSlotOf(int lineType);
int LineTypeOfSlot(int slot);

bool IsValidTargetColor(int n);     // 0..9, 101..356
bool IsValidTargetLineType(int n);  // 0..9, 11..19, 31..62
bool IsValidWidth(int n);           // -1..kMaxTargetWidth

void ComputeVersionRaise(ConversionSettings& settings);
void ResolveRuleSources(ConversionSettings& settings);
int EnabledRuleCount(const ConversionSettings& settings);

// The display names of the 265 colour slots and the 49 line-type slots, in Shift-JIS.
const std::vector<std::string>& ColorNames();
const std::vector<std::string>& LineTypeNames();

}  // namespace tolvane
