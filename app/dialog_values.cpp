#include "app/dialog_values.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "settings/profile.h"
#include "settings/settings_file.h"
#include "settings/text_encoding.h"

namespace tolvane {

namespace {

// Settings values are read through a buffer of this size, as the profile functions do.
constexpr size_t kValueBuffer = 22;

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
    for (int i = 0; i < kOptionCount; ++i) values.Options[i] = settings.ConversionOptions[i] != 0;
    // A run uses the rules only for mode 1, so any other stored mode shows the tables.
    values.Page = settings.ConversionMode == 1 ? 1 : 0;
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
    settings.ConversionMode = values.Page;
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
    settings.ConversionMode = values.Page;
    ComputeVersionRaise(settings);
    return std::nullopt;
}

std::string VersionRaiseMessage(int versionRaise) {
    switch (versionRaise) {
        case 1: return "線幅指定を行いましたので、\nVer.3.51未満のデータはVer.3.51形式として保存されます。";
        case 2: return "SXF対応拡張線色線種の指定を行いましたので、\nVer.4.20未満のデータはVer.4.20形式として保存されます。";
        default: return {};
    }
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
    const std::optional<ProfileDocument> read = ProfileDocument::LoadExisting(file);
    if (!read) return false;
    const ProfileDocument& document = *read;
    const auto get = [&document](const char* section, const std::string& key) {
        return document.Get(section, key, kValueBuffer);
    };

    DialogValues loaded;
    loaded.Page = values.Page;
    for (int s = 1; s <= kColorSlots; ++s) {
        loaded.ColorCells[s] = "0";
        loaded.WidthCells[s] = "-1";
    }
    for (int s = 1; s <= kLineTypeSlots; ++s) loaded.LineTypeCells[s] = "0";

    for (int n = 1; n <= kColorSlots; ++n) {
        if (auto [present, value] = get("JWW", "C" + Decimal(n)); present) loaded.ColorCells[n] = Decimal(ParseInt(value));
        if (auto [present, value] = get("JWW", "W" + Decimal(n)); present) loaded.WidthCells[n] = Decimal(ParseInt(value));
    }
    for (int n = 1; n <= kLineTypeSlots; ++n) {
        if (auto [present, value] = get("JWW", "C" + Decimal(kColorSlots + n)); present) {
            loaded.LineTypeCells[n] = Decimal(ParseInt(value));
        }
    }
    // The dialog's boxes know only ticked and unticked: any value but 1 leaves a box unticked.
    for (int i = 0; i < kOptionCount; ++i) {
        auto [present, value] = get("JWW", "C" + Decimal(kColorSlots + kLineTypeSlots + 1 + i));
        loaded.Options[i] = present && ParseInt(value) == 1;
    }
    if (auto [present, value] = get("Set", "CVNO"); present) {
        const int32_t mode = ParseInt(value);
        if (mode == 0 || mode == 1) loaded.Page = mode;
    } else {
        loaded.Page = 0;
    }
    for (int r = 0; r < kRuleCount; ++r) {
        RuleRowValues& row = loaded.Rules[r];
        const std::string number = Decimal(r + 1);
        if (auto [present, value] = get("JWW1", "FL" + number); present) row.Enabled = ParseInt(value) == 1;
        if (auto [present, value] = get("JWW1", "CN" + number); present) {
            const int32_t position = ParseInt(value);
            row.SourceColorIndex = InList(position, kColorSlots) ? position : -1;
        }
        if (auto [present, value] = get("JWW1", "LN" + number); present) {
            const int32_t position = ParseInt(value);
            row.SourceLineTypeIndex = InList(position, kLineTypeSlots) ? position : -1;
        }
        if (auto [present, value] = get("JWW1", "CL" + number); present) row.TargetColor = Decimal(ParseInt(value));
        if (auto [present, value] = get("JWW1", "LT" + number); present) row.TargetLineType = Decimal(ParseInt(value));
        if (auto [present, value] = get("JWW1", "WD" + number); present) row.TargetWidth = Decimal(ParseInt(value));
    }
    values = loaded;
    return true;
}

}  // namespace tolvane
