#include "settings/settings_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>
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

namespace {

// The decimal integer (optional sign) that the whole text denotes, if it is one that fits.
std::optional<int32_t> WholeInt(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        // A number beyond the 32-bit range is not an integer this program can hold.
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t ParseInt(std::string_view text) { return WholeInt(text).value_or(0); }

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
// its length. The values are then taken in the order of the keys.
SettingsFileKeys ReadSettingsKeys(const ProfileDocument& document) {
    SettingsFileKeys keys;
    struct Slot {
        std::string Key;
        std::optional<int32_t>* Number = nullptr;
        std::optional<bool>* Flag = nullptr;
        bool Seen = false;  // the first line of a name counts, even with an empty value
        std::string_view Value;
    };
    std::vector<Slot> slots;
    std::array<std::unordered_map<std::string, size_t>, 3> bySection;  // as listed for ForEachKey
    auto add = [&](size_t section, std::string key, std::optional<int32_t>* number, std::optional<bool>* flag) {
        bySection[section].emplace(ProfileNameKey(key), slots.size());
        slots.push_back({std::move(key), number, flag, false, {}});
    };
    for (int n = 1; n <= kSequenceLength; ++n) add(0, Key("C", n), &keys.C[static_cast<size_t>(n)], nullptr);
    for (int n = 1; n <= kColorSlots; ++n) add(0, Key("W", n), &keys.W[static_cast<size_t>(n)], nullptr);
    add(1, std::string(kModeKey), &keys.Mode, nullptr);
    for (int r = 1; r <= kRuleCount; ++r) {
        SettingsFileKeys::Rule& rule = keys.Rules[static_cast<size_t>(r - 1)];
        add(2, Key("FL", r), nullptr, &rule.Enabled);
        add(2, Key("CN", r), &rule.SourceColorIndex, nullptr);
        add(2, Key("LN", r), &rule.SourceLineTypeIndex, nullptr);
        add(2, Key("CL", r), &rule.TargetColor, nullptr);
        add(2, Key("LT", r), &rule.TargetLineType, nullptr);
        add(2, Key("WD", r), &rule.TargetWidth, nullptr);
    }
    document.ForEachKey({kTableSection, kModeSection, kRuleSection}, kNumberValueBuffer,
                        [&](size_t section, std::string_view key, std::string_view value) {
                            const auto found = bySection[section].find(ProfileNameKey(key));
                            if (found == bySection[section].end() || slots[found->second].Seen) return;
                            slots[found->second].Seen = true;
                            slots[found->second].Value = value;
                        });
    for (const Slot& slot : slots) {
        if (slot.Value.empty()) continue;
        if (slot.Flag != nullptr) {
            *slot.Flag = ParseBool(slot.Value);
            continue;
        }
        const std::optional<int32_t> value = WholeInt(slot.Value);
        if (!value) keys.NotIntegers.push_back(slot.Key);
        *slot.Number = value.value_or(0);
    }
    return keys;
}

std::vector<std::string> LoadConversionSettings(ConversionSettings& settings, const ProfileDocument& document) {
    return LoadConversionSettings(settings, ReadSettingsKeys(document));
}

std::vector<std::string> LoadConversionSettings(ConversionSettings& settings, const SettingsFileKeys& keys) {
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

namespace {

namespace fs = std::filesystem;

// Bytes no profile file holds: NUL and the control characters other than tab, line ends and
// page breaks. UTF-16 text is full of NUL bytes.
bool LooksBinary(std::string_view bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != '\v' && b != 0x1A) return true;
    }
    return false;
}

// A byte order mark, or ASCII characters each with a zero byte beside it at the start.
bool LooksUtf16(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return true;
    const size_t checked = std::min<size_t>(bytes.size() & ~size_t{1}, 64);
    if (checked == 0) return false;
    bool littleEndian = true, bigEndian = true;
    for (size_t i = 0; i < checked; i += 2) {
        littleEndian = littleEndian && bytes[i] != '\0' && bytes[i + 1] == '\0';
        bigEndian = bigEndian && bytes[i] == '\0' && bytes[i + 1] != '\0';
    }
    return littleEndian || bigEndian;
}

bool HasSettingsKey(const SettingsFileKeys& keys) {
    const auto any = [](const auto& values) {
        for (const auto& value : values)
            if (value) return true;
        return false;
    };
    if (any(keys.C) || any(keys.W) || keys.Mode) return true;
    for (const SettingsFileKeys::Rule& rule : keys.Rules) {
        if (rule.Enabled || rule.SourceColorIndex || rule.SourceLineTypeIndex || rule.TargetColor ||
            rule.TargetLineType || rule.TargetWidth)
            return true;
    }
    return false;
}

SettingsFileError Problem(SettingsFileProblem problem, std::string detail = {}) { return {problem, std::move(detail)}; }

}  // namespace

std::string DescribeSettingsFileError(const SettingsFileError& error) {
    switch (error.Problem) {
        case SettingsFileProblem::Missing: return "does not exist";
        case SettingsFileProblem::Folder: return "is a folder, not a settings file";
        case SettingsFileProblem::Fifo: return "is a FIFO (named pipe), not a settings file";
        case SettingsFileProblem::Device: return "is a device, not a settings file";
        case SettingsFileProblem::NotRegular: return "is not a regular file (a socket or another special file)";
        case SettingsFileProblem::Unreadable: return "cannot be read" + (error.Detail.empty() ? "" : ": " + error.Detail);
        case SettingsFileProblem::TooLarge:
            return "is too large for a settings file (" + error.Detail + " bytes; a settings file has at most " +
                   std::to_string(kMaxSettingsFileBytes) + ")";
        case SettingsFileProblem::Empty: return "is empty";
        case SettingsFileProblem::Drawing: return "is a drawing, not a settings file";
        case SettingsFileProblem::NotText: return "is not a settings file (binary content)";
        case SettingsFileProblem::Utf16: return "is UTF-16 text, not a settings file (settings files are Shift-JIS text)";
        case SettingsFileProblem::NoSettings:
            return "is not a settings file (no key of the sections [JWW], [Set] or [JWW1])";
    }
    return "cannot be used";
}

std::variant<OpenedSettings, SettingsFileError> OpenSettingsFile(const fs::path& file) {
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (status.type() == fs::file_type::not_found) return Problem(SettingsFileProblem::Missing);
    if (error) return Problem(SettingsFileProblem::Unreadable, error.message());
    if (status.type() == fs::file_type::directory) return Problem(SettingsFileProblem::Folder);
    // A FIFO would block the open, a device could give bytes without end.
    if (status.type() == fs::file_type::fifo) return Problem(SettingsFileProblem::Fifo);
    if (status.type() == fs::file_type::character || status.type() == fs::file_type::block)
        return Problem(SettingsFileProblem::Device);
    if (status.type() != fs::file_type::regular) return Problem(SettingsFileProblem::NotRegular);
    const std::uintmax_t size = fs::file_size(file, error);
    if (error) return Problem(SettingsFileProblem::Unreadable, error.message());
    if (size > kMaxSettingsFileBytes) return Problem(SettingsFileProblem::TooLarge, std::to_string(size));

    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const int reason = errno;
        return Problem(SettingsFileProblem::Unreadable, reason ? std::generic_category().message(reason) : std::string());
    }
    // Read at most one byte past the limit: the file may have grown since its size was asked.
    std::string bytes(static_cast<size_t>(kMaxSettingsFileBytes) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return Problem(SettingsFileProblem::Unreadable);
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (bytes.size() > kMaxSettingsFileBytes) return Problem(SettingsFileProblem::TooLarge, std::to_string(bytes.size()));

    if (bytes.find_first_not_of(" \t\r\n\f\v") == std::string::npos) return Problem(SettingsFileProblem::Empty);
    if (bytes.starts_with("JwwData.") || bytes.starts_with("JwsData")) return Problem(SettingsFileProblem::Drawing);
    if (LooksUtf16(bytes)) return Problem(SettingsFileProblem::Utf16);
    if (LooksBinary(bytes)) return Problem(SettingsFileProblem::NotText);

    const ProfileDocument document = ProfileDocument::Parse(bytes);
    OpenedSettings opened;
    opened.Keys = ReadSettingsKeys(document);
    if (!HasSettingsKey(opened.Keys)) return Problem(SettingsFileProblem::NoSettings);
    ResetConversionSettings(opened.Settings);
    opened.RefusedKeys = LoadConversionSettings(opened.Settings, opened.Keys);
    return opened;
}

}  // namespace tolvane
