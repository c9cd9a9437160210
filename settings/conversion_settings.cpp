#include "settings/conversion_settings.h"

#include <stdexcept>

#include "settings/text_encoding.h"

namespace tolvane {

namespace {

constexpr int kFirstLineTypeNumber = kColorSlots + 1;                   // 266
constexpr int kFirstOptionNumber = kColorSlots + kLineTypeSlots + 1;    // 315

std::vector<std::string> BuildColorNames() {
    std::vector<std::string> names;
    names.reserve(kColorSlots);
    for (int slot = 1; slot <= 8; ++slot) names.push_back(Utf8ToShiftJis("線色 ") + std::to_string(slot));
    names.push_back(Utf8ToShiftJis("補助線色"));
    static const char* const kSxfStandard[16] = {
        "SXF 1:black",   "SXF 2:red",       "SXF 3:green",      "SXF 4:blue",
        "SXF 5:yellow",  "SXF 6:magenta",   "SXF 7:cyan",       "SXF 8:white",
        "SXF 9:deeppink", "SXF10:brown",    "SXF11:orange",     "SXF12:lightgreen",
        "SXF13:lightblue", "SXF14:lavender", "SXF15:lightgray", "SXF16:darkgray"};
    for (const char* name : kSxfStandard) names.emplace_back(name);
    // Slots 26..265 are the SXF user-defined colours 17..256.
    const std::string user = Utf8ToShiftJis("SXF USER定義線色 ");
    for (int n = 17; n <= 256; ++n) names.push_back(user + std::to_string(n));
    return names;
}

std::vector<std::string> BuildLineTypeNames() {
    static const char* const kFixed[33] = {
        // Line types 1..8 carry half-width digits, the random and double-length types full-width ones.
        "線種1:実線", "線種2:点線１", "線種3:点線２", "線種4:点線３", "線種5:一点鎖線１", "線種6:一点鎖線２",
        "線種7:二点鎖線１", "線種8:二点鎖線２", "補助線種",
        "ランダム線１", "ランダム線２", "ランダム線３", "ランダム線４", "ランダム線５",
        "倍長線種１", "倍長線種２", "倍長線種３", "倍長線種４",
        "SXF 1:実線", "SXF 2:破線", "SXF 3:跳び破線", "SXF 4:一点長鎖線", "SXF 5:二点長鎖線",
        "SXF 6:三点長鎖線", "SXF 7:点線", "SXF 8:一点鎖線", "SXF 9:二点鎖線", "SXF10:一点短鎖線",
        "SXF11:一点二短鎖線", "SXF12:二点短鎖線", "SXF13:二点二短鎖線", "SXF14:三点短鎖線",
        "SXF15:三点二短鎖線"};
    std::vector<std::string> names;
    names.reserve(kLineTypeSlots);
    for (const char* name : kFixed) names.push_back(Utf8ToShiftJis(name));
    // Slots 34..49 are the SXF user-defined line types 17..32.
    const std::string user = Utf8ToShiftJis("SXF USER定義線種 ");
    for (int n = 17; n <= 32; ++n) names.push_back(user + std::to_string(n));
    return names;
}

}  // namespace

int32_t& ConversionSettings::SequenceValue(int n) {
    if (n >= 1 && n < kFirstLineTypeNumber) return ColorTable[static_cast<size_t>(n)];
    if (n >= kFirstLineTypeNumber && n < kFirstOptionNumber)
        return LineTypeTable[static_cast<size_t>(n - kColorSlots)];
    if (n >= kFirstOptionNumber && n <= kSequenceLength)
        return ConversionOptions[static_cast<size_t>(n - kFirstOptionNumber)];
    throw std::out_of_range("settings sequence number " + std::to_string(n));
}

int32_t ConversionSettings::SequenceValue(int n) const {
    return const_cast<ConversionSettings&>(*this).SequenceValue(n);
}

void ResetConversionSettings(ConversionSettings& settings) {
    settings.ColorTable.fill(0);
    settings.LineTypeTable.fill(0);
    settings.ConversionOptions.fill(0);
    settings.WidthTable.fill(-1);
    settings.VersionRaise = VersionRaiseLevel::None;
    settings.LastSettingsFile.clear();
    settings.ConversionMode = ConversionModeKind::Individual;
    settings.Rules.fill(CombinationRule{});
}

bool IsOptionOn(const ConversionSettings& settings, ConversionOption option) {
    return IsOptionValueOn(option, settings.ConversionOptions[static_cast<size_t>(option)]);
}

bool IsOptionValueOn(ConversionOption option, int32_t value) {
    // A hand-edited file may hold other values; only the existing-widths switch reads them as on.
    return option == ChangeExistingWidths ? value != 0 : value == 1;
}

std::optional<int> ColorSlotOf(int color) {
    if (color >= 1 && color <= 9) return color;
    if (color >= 101 && color <= 356) return color - 91;
    return std::nullopt;
}

int ColorOfSlot(int slot) {
    if (slot >= 1 && slot <= 9) return slot;
    if (slot >= 10 && slot <= kColorSlots) return slot + 91;
    return 0;
}

std::optional<int> LineTypeSlotOf(int lineType) {
    if (lineType >= 1 && lineType <= 9) return lineType;
    if (lineType >= 11 && lineType <= 19) return lineType - 1;
    if (lineType >= 31 && lineType <= 45) return lineType - 12;
    if (lineType >= 47 && lineType <= 62) return lineType - 13;
    return std::nullopt;
}

int LineTypeOfSlot(int slot) {
    if (slot >= 1 && slot <= 9) return slot;
    if (slot >= 10 && slot <= 18) return slot + 1;
    if (slot >= 19 && slot <= 33) return slot + 12;
    if (slot >= 34 && slot <= kLineTypeSlots) return slot + 13;
    return 0;
}

bool IsValidTargetColor(int n) { return (n >= 0 && n <= 9) || (n >= 101 && n <= 356); }

// 46 (SXF line type 16) is accepted as a target although it has no slot as a source.
bool IsValidTargetLineType(int n) { return (n >= 0 && n <= 9) || (n >= 11 && n <= 19) || (n >= 31 && n <= 62); }

bool IsValidWidth(int n) { return n >= -1 && n <= kMaxTargetWidth; }

void ComputeVersionRaise(ConversionSettings& settings) {
    // Widths are stored from version 3.51 on, SXF colours and line types from 4.20 on. The base
    // width 0 needs no raise. Tables count in either mode; disabled rules never count.
    VersionRaiseLevel raise = VersionRaiseLevel::None;
    bool width = false;
    for (int s = 1; s <= kColorSlots && !width; ++s) width = settings.WidthTable[static_cast<size_t>(s)] >= 1;
    for (const CombinationRule& rule : settings.Rules) {
        if (width) break;
        width = rule.Enabled && rule.TargetWidth >= 1;
    }
    if (width) raise = VersionRaiseLevel::To351;

    bool sxf = false;
    for (int s = 1; s <= kColorSlots && !sxf; ++s) sxf = settings.ColorTable[static_cast<size_t>(s)] >= 100;
    for (int s = 1; s <= kLineTypeSlots && !sxf; ++s) sxf = settings.LineTypeTable[static_cast<size_t>(s)] >= 31;
    for (const CombinationRule& rule : settings.Rules) {
        if (sxf) break;
        sxf = rule.Enabled && (rule.TargetColor >= 100 || rule.TargetLineType >= 31);
    }
    if (sxf) raise = VersionRaiseLevel::To420;
    settings.VersionRaise = raise;
}

void ResolveRuleSources(ConversionSettings& settings) {
    // A position outside a list means that no entry is selected, as -1 does: the source is 0.
    for (CombinationRule& rule : settings.Rules) {
        const int32_t c = rule.SourceColorIndex;
        rule.SourceColor = c < 0 || c >= kColorSlots ? 0 : ColorOfSlot(c + 1);
        const int32_t l = rule.SourceLineTypeIndex;
        rule.SourceLineType = l < 0 || l >= kLineTypeSlots ? 0 : LineTypeOfSlot(l + 1);
    }
}

int EnabledRuleCount(const ConversionSettings& settings) {
    int count = 0;
    for (const CombinationRule& rule : settings.Rules) count += rule.Enabled ? 1 : 0;
    return count;
}

const std::vector<std::string>& ColorNames() {
    static const std::vector<std::string> names = BuildColorNames();
    return names;
}

const std::vector<std::string>& LineTypeNames() {
    static const std::vector<std::string> names = BuildLineTypeNames();
    return names;
}

}  // namespace tolvane
