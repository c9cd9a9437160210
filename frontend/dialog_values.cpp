#include "frontend/dialog_values.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <variant>

#include "settings/profile.h"
#include "settings/settings_file.h"
#include "settings/text_encoding.h"
#include "frontend/texts.h"

namespace tolvane {

// The hints and reasons of the dialog name the width limit.
static_assert(kMaxTargetWidth == 30000);

namespace {

std::string Decimal(int32_t value) { return std::to_string(value); }

bool InList(int position, int listSize) { return position >= 0 && position < listSize; }

std::optional<BadValue> CheckRule(const RuleRowValues& rule, int row) {
    if (!IsValidTargetColor(ParseCell(rule.TargetColor))) return BadValue{BadValue::Place::RuleField, row, 1};
    if (!IsValidTargetLineType(ParseCell(rule.TargetLineType))) return BadValue{BadValue::Place::RuleField, row, 2};
    if (!IsValidWidth(ParseCell(rule.TargetWidth))) return BadValue{BadValue::Place::RuleField, row, 3};
    return std::nullopt;
}

void StoreTables(const DialogValues& values, ConversionSettings& settings) {
    for (int s = 1; s <= kColorSlots; ++s) {
        settings.ColorTable[s] = ParseCell(values.ColorCells[s]);
        settings.WidthTable[s] = ParseCell(values.WidthCells[s]);
    }
    for (int s = 1; s <= kLineTypeSlots; ++s) settings.LineTypeTable[s] = ParseCell(values.LineTypeCells[s]);
    for (int i = 0; i < kOptionCount; ++i) settings.ConversionOptions[i] = values.Options[i] ? 1 : 0;
}

void StoreRules(const DialogValues& values, ConversionSettings& settings) {
    for (int r = 0; r < kRuleCount; ++r) {
        const RuleRowValues& row = values.Rules[r];
        CombinationRule& rule = settings.Rules[r];
        rule.Enabled = row.Enabled;
        rule.SourceColorIndex = row.SourceColorIndex;
        rule.SourceLineTypeIndex = row.SourceLineTypeIndex;
        rule.TargetColor = ParseCell(row.TargetColor);
        rule.TargetLineType = ParseCell(row.TargetLineType);
        rule.TargetWidth = ParseCell(row.TargetWidth);
    }
}

}  // namespace

int32_t ParseCell(const std::string& utf8) { return ParseInt(Utf8ToShiftJis(utf8)); }

DialogValues DialogValuesOf(const SettingsFileKeys& keys) {
    // Values out of range are shown as they stand, so that OK points at them.
    DialogValues values;
    const auto text = [](const std::optional<int32_t>& value, int32_t missing) { return Decimal(value.value_or(missing)); };
    const auto position = [](const std::optional<int32_t>& value, int listSize) {
        const int32_t at = value.value_or(0);
        return InList(at, listSize) ? at : -1;
    };
    for (int s = 1; s <= kColorSlots; ++s) {
        values.ColorCells[s] = text(keys.C[s], 0);
        values.WidthCells[s] = text(keys.W[s], -1);
    }
    for (int s = 1; s <= kLineTypeSlots; ++s) values.LineTypeCells[s] = text(keys.C[kColorSlots + s], 0);
    // A box shows what a run does with the option, so that a hand-edited value of 2 does not
    // look like a switch that is on.
    for (int i = 0; i < kOptionCount; ++i)
        values.Options[i] = IsOptionValueOn(static_cast<ConversionOption>(i), keys.C[kColorSlots + kLineTypeSlots + 1 + i].value_or(0));
    // A run uses the rules only for mode 1, so any other mode shows the tables.
    values.Page = keys.Mode.value_or(0) == 1 ? 1 : 0;
    for (int r = 0; r < kRuleCount; ++r) {
        const SettingsFileKeys::Rule& rule = keys.Rules[r];
        RuleRowValues& row = values.Rules[r];
        row.Enabled = rule.Enabled.value_or(false);
        row.SourceColorIndex = position(rule.SourceColorIndex, kColorSlots);
        row.SourceLineTypeIndex = position(rule.SourceLineTypeIndex, kLineTypeSlots);
        row.TargetColor = text(rule.TargetColor, 0);
        row.TargetLineType = text(rule.TargetLineType, 0);
        row.TargetWidth = text(rule.TargetWidth, -1);
    }
    return values;
}

DialogValues DialogValuesOf(const ConversionSettings& settings) {
    SettingsFileKeys keys;
    for (int s = 1; s <= kColorSlots; ++s) {
        keys.C[s] = settings.ColorTable[s];
        keys.W[s] = settings.WidthTable[s];
    }
    for (int s = 1; s <= kLineTypeSlots; ++s) keys.C[kColorSlots + s] = settings.LineTypeTable[s];
    for (int i = 0; i < kOptionCount; ++i) keys.C[kColorSlots + kLineTypeSlots + 1 + i] = settings.ConversionOptions[i];
    keys.Mode = static_cast<int32_t>(settings.ConversionMode);
    for (int r = 0; r < kRuleCount; ++r) {
        const CombinationRule& rule = settings.Rules[r];
        keys.Rules[r] = {rule.Enabled,      rule.SourceColorIndex, rule.SourceLineTypeIndex,
                         rule.TargetColor,  rule.TargetLineType,   rule.TargetWidth};
    }
    return DialogValuesOf(keys);
}

ConversionSettings SettingsOfDialog(const DialogValues& values) {
    ConversionSettings settings;
    ResetConversionSettings(settings);
    StoreTables(values, settings);
    StoreRules(values, settings);
    settings.ConversionMode = values.Page == 1 ? ConversionModeKind::Combined : ConversionModeKind::Individual;
    return settings;
}

std::optional<BadValue> CheckTables(DialogValues& values) {
    for (int row = 1; row <= kColorSlots; ++row) {
        const int32_t color = ParseCell(values.ColorCells[row]);
        if (!IsValidTargetColor(color)) return BadValue{BadValue::Place::ColorGrid, row, 1};
        values.ColorCells[row] = Decimal(color);
        const int32_t width = ParseCell(values.WidthCells[row]);
        if (!IsValidWidth(width)) return BadValue{BadValue::Place::ColorGrid, row, 2};
        values.WidthCells[row] = Decimal(width);
    }
    for (int row = 1; row <= kLineTypeSlots; ++row) {
        const int32_t lineType = ParseCell(values.LineTypeCells[row]);
        if (!IsValidTargetLineType(lineType)) return BadValue{BadValue::Place::LineTypeGrid, row, 1};
        values.LineTypeCells[row] = Decimal(lineType);
    }
    return std::nullopt;
}

std::optional<BadValue> CheckRules(const DialogValues& values) {
    for (int r = 0; r < kRuleCount; ++r) {
        if (auto bad = CheckRule(values.Rules[r], r + 1)) return bad;
    }
    return std::nullopt;
}

std::optional<BadValue> ConfirmDialog(DialogValues& values, ConversionSettings& settings) {
    if (auto bad = CheckTables(values)) return bad;
    StoreTables(values, settings);
    if (auto bad = CheckRules(values)) return bad;
    StoreRules(values, settings);
    settings.ConversionMode = values.Page == 1 ? ConversionModeKind::Combined : ConversionModeKind::Individual;
    ComputeVersionRaise(settings);
    return std::nullopt;
}

std::string VersionRaiseMessage(VersionRaiseLevel versionRaise) {
    switch (versionRaise) {
        case VersionRaiseLevel::To351: return std::string(dialog_text::kRaise351);
        case VersionRaiseLevel::To420: return std::string(dialog_text::kRaise420);
        case VersionRaiseLevel::None: break;
    }
    return {};
}

bool SetRange(DialogValues& values, RangeTarget target, std::string& input, int top, int bottom) {
    const int32_t value = ParseCell(input);
    const bool accepted = target == RangeTarget::Color  ? IsValidTargetColor(value)
                          : target == RangeTarget::Width ? IsValidWidth(value)
                                                         : IsValidTargetLineType(value);
    if (!accepted) return false;
    input = Decimal(value);
    std::string* cells = target == RangeTarget::Color  ? values.ColorCells.data()
                         : target == RangeTarget::Width ? values.WidthCells.data()
                                                        : values.LineTypeCells.data();
    const int rows = target == RangeTarget::LineType ? kLineTypeSlots : kColorSlots;
    for (int row = std::max(top, 1); row <= std::min(bottom, rows); ++row) cells[row] = input;
    return true;
}

bool SaveDialogSettings(const DialogValues& values, const std::string& file) {
    return SaveConversionSettings(SettingsOfDialog(values), file);
}

std::string RangeReason(RangeTarget target) {
    switch (target) {
        case RangeTarget::Color: return std::string(dialog_text::kBadColor);
        case RangeTarget::Width: return std::string(dialog_text::kBadWidth);
        case RangeTarget::LineType: return std::string(dialog_text::kBadLineType);
    }
    return {};
}

std::string BadValueReason(const BadValue& bad) {
    using namespace dialog_text;
    switch (bad.Where) {
        case BadValue::Place::ColorGrid:
            return std::to_string(bad.Row) + std::string(kRowOf) +
                   RangeReason(bad.Column == 1 ? RangeTarget::Color : RangeTarget::Width);
        case BadValue::Place::LineTypeGrid: return std::to_string(bad.Row) + std::string(kRowOf) + RangeReason(RangeTarget::LineType);
        case BadValue::Place::RuleField: {
            static const RangeTarget targets[] = {RangeTarget::Color, RangeTarget::LineType, RangeTarget::Width};
            return std::string(kRulePrefix) + std::to_string(bad.Row) + std::string(kRuleTargetOf) +
                   RangeReason(targets[std::clamp(bad.Column, 1, 3) - 1]);
        }
    }
    return {};
}

bool LoadSettingsIntoDialog(DialogValues& values, const std::filesystem::path& file, SettingsFileError* error) {
    auto opened = OpenSettingsFile(file);
    if (const auto* refused = std::get_if<SettingsFileError>(&opened)) {
        if (error) *error = *refused;
        return false;
    }
    values = DialogValuesOf(std::get<OpenedSettings>(opened).Keys);
    return true;
}

}  // namespace tolvane
