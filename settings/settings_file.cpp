#include "settings/settings_file.h"

#include <array>
#include <limits>
#include <unordered_map>

#include "formats/text.h"
#include "settings/profile.h"

namespace tolvane {

namespace {

constexpr std::string_view kTableSection = "JWW";
constexpr std::string_view kModeSection = "Set";
constexpr std::string_view kRuleSection = "JWW1";
constexpr std::string_view kModeKey = "CVNO";

std::string Key(std::string_view prefix, int number) { return std::string(prefix) + std::to_string(number); }

}  // namespace

int32_t ParseInt(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return 0;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
        // A number beyond the 32-bit range is not an integer this program can hold.
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return 0;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return 0;
    return static_cast<int32_t>(value);
}

bool ParseBool(std::string_view text) {
    static const std::array<std::string_view, 10> kTrue = {
        "T", "TR", "TRU", "TRUE", "1",
        "\x82\x50",  // １ (full-width one)
        "\x81\x9b",  // ○
        "ON",
        "\x90\x5e",  // 真
        "\x90\xb3",  // 正
    };
    const std::string word = ShiftJisAsciiUpperCase(StripBlanks(text));
    for (std::string_view candidate : kTrue) {
        if (word == candidate) return true;
    }
    return false;
}

std::string BoolToText(bool value) { return value ? "1" : "0"; }

std::string StripBlanks(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsShiftJisLeadByte(c) && i + 1 < text.size()) {
            const auto trail = static_cast<unsigned char>(text[i + 1]);
            // The ideographic space is 0x81 0x40.
            if (!(c == 0x81 && trail == 0x40)) {
                result += text[i];
                result += text[i + 1];
            }
            ++i;
        } else if (c != ' ' && c >= 32) {
            result += text[i];  // also a lead byte at the very end
        }
    }
    return result;
}

bool SaveConversionSettings(const ConversionSettings& settings, const std::string& file) {
    std::optional<ProfileDocument> document = ProfileDocument::LoadForUpdate(file);
    return document && SaveConversionSettings(settings, *document) && document->Save(file);
}

bool SaveConversionSettings(const ConversionSettings& settings, ProfileDocument& document) {
    // The key order makes a new file hold the sections "JWW", "Set", "JWW1" in this order.
    std::vector<ProfileDocument::Entry> entries;
    auto set = [&](std::string_view section, const std::string& key, const std::string& value) {
        entries.push_back({std::string(section), key, value});
    };
    for (int n = 1; n <= kSequenceLength; ++n) set(kTableSection, Key("C", n), std::to_string(settings.SequenceValue(n)));
    for (int n = 1; n <= kColorSlots; ++n)
        set(kTableSection, Key("W", n), std::to_string(settings.WidthTable[static_cast<size_t>(n)]));
    set(kModeSection, std::string(kModeKey), std::to_string(static_cast<int32_t>(settings.ConversionMode)));
    for (int r = 1; r <= kRuleCount; ++r) {
        const CombinationRule& rule = settings.Rules[static_cast<size_t>(r - 1)];
        set(kRuleSection, Key("FL", r), BoolToText(rule.Enabled));
        set(kRuleSection, Key("CN", r), std::to_string(rule.SourceColorIndex));
        set(kRuleSection, Key("LN", r), std::to_string(rule.SourceLineTypeIndex));
        set(kRuleSection, Key("CL", r), std::to_string(rule.TargetColor));
        set(kRuleSection, Key("LT", r), std::to_string(rule.TargetLineType));
        set(kRuleSection, Key("WD", r), std::to_string(rule.TargetWidth));
    }
    return document.SetAll(entries);
}

std::vector<std::string> LoadConversionSettings(ConversionSettings& settings, const std::string& file) {
    return LoadConversionSettings(settings, ProfileDocument::Load(file));
}

// The three sections are read in one pass over the document, every key line looked up among
// the keys this file can hold, so that a file of any length is read in time that follows
// its length.
SettingsFileKeys ReadSettingsKeys(const ProfileDocument& document) {
    SettingsFileKeys keys;
    struct Slot {
        std::optional<int32_t>* Number = nullptr;
        std::optional<bool>* Flag = nullptr;
        bool Seen = false;  // the first line of a name counts, even with an empty value
    };
    auto number = [](std::optional<int32_t>& field) { return Slot{&field, nullptr}; };
    std::array<std::unordered_map<std::string, Slot>, 3> slots;  // by section, as listed below
    for (int n = 1; n <= kSequenceLength; ++n) slots[0][ProfileNameKey(Key("C", n))] = number(keys.C[static_cast<size_t>(n)]);
    for (int n = 1; n <= kColorSlots; ++n) slots[0][ProfileNameKey(Key("W", n))] = number(keys.W[static_cast<size_t>(n)]);
    slots[1][ProfileNameKey(kModeKey)] = number(keys.Mode);
    for (int r = 1; r <= kRuleCount; ++r) {
        SettingsFileKeys::Rule& rule = keys.Rules[static_cast<size_t>(r - 1)];
        slots[2][ProfileNameKey(Key("FL", r))] = Slot{nullptr, &rule.Enabled};
        slots[2][ProfileNameKey(Key("CN", r))] = number(rule.SourceColorIndex);
        slots[2][ProfileNameKey(Key("LN", r))] = number(rule.SourceLineTypeIndex);
        slots[2][ProfileNameKey(Key("CL", r))] = number(rule.TargetColor);
        slots[2][ProfileNameKey(Key("LT", r))] = number(rule.TargetLineType);
        slots[2][ProfileNameKey(Key("WD", r))] = number(rule.TargetWidth);
    }
    document.ForEachKey({kTableSection, kModeSection, kRuleSection}, kNumberValueBuffer,
                        [&](size_t section, std::string_view key, std::string_view value) {
                            const auto found = slots[section].find(ProfileNameKey(key));
                            if (found == slots[section].end() || found->second.Seen) return;
                            found->second.Seen = true;
                            if (value.empty()) return;
                            if (found->second.Number != nullptr) *found->second.Number = ParseInt(value);
                            else *found->second.Flag = ParseBool(value);
                        });
    return keys;
}

std::vector<std::string> LoadConversionSettings(ConversionSettings& settings, const ProfileDocument& document) {
    const SettingsFileKeys keys = ReadSettingsKeys(document);
    std::vector<std::string> refused;
    // Takes a present value that passes the check; a value that would not fit a pen field is
    // refused rather than stored truncated later.
    auto take = [&](const std::optional<int32_t>& value, const std::string& key, int32_t& field, bool (*accepts)(int)) {
        if (!value) return;
        if (accepts && !accepts(*value)) {
            refused.push_back(key);
            return;
        }
        field = *value;
    };

    for (int n = 1; n <= kSequenceLength; ++n) settings.SequenceValue(n) = 0;
    settings.WidthTable.fill(-1);
    for (int n = 1; n <= kSequenceLength; ++n) {
        // Options are taken as they are: IsOptionOn decides what a value other than 0 or 1 means.
        bool (*accepts)(int) = n <= kColorSlots                    ? IsValidTargetColor
                               : n <= kColorSlots + kLineTypeSlots ? IsValidTargetLineType
                                                                   : nullptr;
        take(keys.C[static_cast<size_t>(n)], Key("C", n), settings.SequenceValue(n), accepts);
    }
    for (int n = 1; n <= kColorSlots; ++n)
        take(keys.W[static_cast<size_t>(n)], Key("W", n), settings.WidthTable[static_cast<size_t>(n)], IsValidWidth);

    // Any mode is stored; a run treats everything but combined as individual.
    settings.ConversionMode = static_cast<ConversionModeKind>(keys.Mode.value_or(0));

    for (int r = 1; r <= kRuleCount; ++r) {
        const SettingsFileKeys::Rule& read = keys.Rules[static_cast<size_t>(r - 1)];
        CombinationRule& rule = settings.Rules[static_cast<size_t>(r - 1)];
        rule = CombinationRule{};
        rule.Enabled = read.Enabled.value_or(false);
        take(read.SourceColorIndex, Key("CN", r), rule.SourceColorIndex, nullptr);
        take(read.SourceLineTypeIndex, Key("LN", r), rule.SourceLineTypeIndex, nullptr);
        take(read.TargetColor, Key("CL", r), rule.TargetColor, IsValidTargetColor);
        take(read.TargetLineType, Key("LT", r), rule.TargetLineType, IsValidTargetLineType);
        take(read.TargetWidth, Key("WD", r), rule.TargetWidth, IsValidWidth);
    }
    ComputeVersionRaise(settings);
    return refused;
}

}  // namespace tolvane
