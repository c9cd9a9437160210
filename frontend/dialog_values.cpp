#include "frontend/dialog_values.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "settings/profile.h"
#include "settings/settings_file.h"
#include "settings/text_encoding.h"

namespace tolvane {

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

DialogValues DialogValuesOf(const ConversionSettings& settings) {
    DialogValues values;
    for (int s = 1; s <= kColorSlots; ++s) {
        values.ColorCells[s] = Decimal(settings.ColorTable[s]);
        values.WidthCells[s] = Decimal(settings.WidthTable[s]);
    }
    for (int s = 1; s <= kLineTypeSlots; ++s) values.LineTypeCells[s] = Decimal(settings.LineTypeTable[s]);
    // A box shows what a run does with the option, so that a hand-edited value of 2 does not
    // look like a switch that is on.
    for (int i = 0; i < kOptionCount; ++i) values.Options[i] = IsOptionOn(settings, static_cast<ConversionOption>(i));
    // A run uses the rules only for mode 1, so any other stored mode shows the tables.
    values.Page = IsCombinedMode(settings) ? 1 : 0;
    for (int r = 0; r < kRuleCount; ++r) {
        const CombinationRule& rule = settings.Rules[r];
        RuleRowValues& row = values.Rules[r];
        row.Enabled = rule.Enabled;
        row.SourceColorIndex = InList(rule.SourceColorIndex, kColorSlots) ? rule.SourceColorIndex : -1;
        row.SourceLineTypeIndex = InList(rule.SourceLineTypeIndex, kLineTypeSlots) ? rule.SourceLineTypeIndex : -1;
        row.TargetColor = Decimal(rule.TargetColor);
        row.TargetLineType = Decimal(rule.TargetLineType);
        row.TargetWidth = Decimal(rule.TargetWidth);
    }
    return values;
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
        case VersionRaiseLevel::To351: return "線幅指定を行いましたので、\nVer.3.51未満のデータはVer.3.51形式として保存されます。";
        case VersionRaiseLevel::To420: return "SXF対応拡張線色線種の指定を行いましたので、\nVer.4.20未満のデータはVer.4.20形式として保存されます。";
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
        case RangeTarget::Color: return "線色番号が正しくありません（0、1～9、101～356）。";
        case RangeTarget::Width: return "線幅が正しくありません（-1、0、1～30000）。";
        case RangeTarget::LineType: return "線種番号が正しくありません（0、1～9、11～19、31～62）。";
    }
    return {};
}

std::string BadValueReason(const BadValue& bad) {
    switch (bad.Where) {
        case BadValue::Place::ColorGrid:
            return std::to_string(bad.Row) + "行目の" + RangeReason(bad.Column == 1 ? RangeTarget::Color : RangeTarget::Width);
        case BadValue::Place::LineTypeGrid: return std::to_string(bad.Row) + "行目の" + RangeReason(RangeTarget::LineType);
        case BadValue::Place::RuleField: {
            static const RangeTarget targets[] = {RangeTarget::Color, RangeTarget::LineType, RangeTarget::Width};
            return "設定" + std::to_string(bad.Row) + "の変換先の" + RangeReason(targets[std::clamp(bad.Column, 1, 3) - 1]);
        }
    }
    return {};
}

bool LoadSettingsIntoDialog(DialogValues& values, const std::string& file) {
    // The profile reader gives an empty document for a file it cannot read, which would
    // silently reset every control; such a file is refused instead.
    const std::optional<ProfileDocument> document = ProfileDocument::LoadExisting(file);
    if (!document) return false;
    const SettingsFileKeys keys = ReadSettingsKeys(*document);
    const auto show = [](const std::optional<int32_t>& value, std::string& text) {
        if (value) text = Decimal(*value);
    };
    const auto position = [](const std::optional<int32_t>& value, int listSize, int& field) {
        if (value) field = InList(*value, listSize) ? *value : -1;
    };

    // Values out of range are shown as the file has them, so that OK points at them.
    DialogValues loaded;
    for (int s = 1; s <= kColorSlots; ++s) {
        loaded.ColorCells[s] = "0";
        loaded.WidthCells[s] = "-1";
        show(keys.C[s], loaded.ColorCells[s]);
        show(keys.W[s], loaded.WidthCells[s]);
    }
    for (int s = 1; s <= kLineTypeSlots; ++s) {
        loaded.LineTypeCells[s] = "0";
        show(keys.C[kColorSlots + s], loaded.LineTypeCells[s]);
    }
    for (int i = 0; i < kOptionCount; ++i)
        loaded.Options[i] = IsOptionValueOn(static_cast<ConversionOption>(i), keys.C[kColorSlots + kLineTypeSlots + 1 + i].value_or(0));
    // A run converts every mode but the combined one individually.
    loaded.Page = keys.Mode.value_or(0) == 1 ? 1 : 0;
    for (int r = 0; r < kRuleCount; ++r) {
        const SettingsFileKeys::Rule& read = keys.Rules[r];
        RuleRowValues& row = loaded.Rules[r];
        row.Enabled = read.Enabled.value_or(false);
        position(read.SourceColorIndex, kColorSlots, row.SourceColorIndex);
        position(read.SourceLineTypeIndex, kLineTypeSlots, row.SourceLineTypeIndex);
        show(read.TargetColor, row.TargetColor);
        show(read.TargetLineType, row.TargetLineType);
        show(read.TargetWidth, row.TargetWidth);
    }
    values = loaded;
    return true;
}

}  // namespace tolvane
