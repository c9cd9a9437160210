// Settings files (*.set) and the conversion keys of the window-state file: sections "JWW",
// "Set" and "JWW1" of a profile (ini) file, and the lenient text conversions they use.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "settings/conversion_settings.h"
#include "settings/profile.h"

namespace tolvane {

// The decimal integer (optional sign) that the whole text denotes; 0 otherwise.
int32_t ParseInt(std::string_view text);
// "T", "TR", "TRU", "TRUE", "1", "１", "○", "ON", "真", "正" (blanks removed, upper-cased).
bool ParseBool(std::string_view text);
std::string BoolToText(bool value);
// Removes half-width spaces, ideographic spaces and control characters (Shift-JIS aware).
std::string StripBlanks(std::string_view text);

// The conversion keys of a settings file as they stand, before any check: each key present
// in the file, read leniently (ParseInt, and ParseBool for the rule switches), or absent.
// The main menu, the command line and the settings dialog all read a file through this, so
// that they agree on what it says; they differ only in what they do with a value out of range.
struct SettingsFileKeys {
    struct Rule {
        std::optional<bool> Enabled;
        std::optional<int32_t> SourceColorIndex, SourceLineTypeIndex, TargetColor, TargetLineType, TargetWidth;
    };
    std::array<std::optional<int32_t>, kSequenceLength + 1> C;  // C[n]: key "C" n; C[0] unused
    std::array<std::optional<int32_t>, kColorSlots + 1> W;      // W[n]: key "W" n; W[0] unused
    std::optional<int32_t> Mode;                               // "CVNO"
    std::array<Rule, kRuleCount> Rules;                         // Rules[r - 1]: "FL" r ... "WD" r
    // Numeric keys present with a value that is not wholly a 32-bit decimal integer ("107abc",
    // "0x65", "1e2", "4294967403"); they read as 0 above, as the program always read them.
    std::vector<std::string> NotIntegers;
};

SettingsFileKeys ReadSettingsKeys(const ProfileDocument& document);

// Writes every conversion key in one pass, replacing the file atomically; other sections and
// keys of an existing file are kept. Answers false when the file cannot be written.
bool SaveConversionSettings(const ConversionSettings& settings, const std::string& file);

// Reads the conversion keys into the settings (missing keys give the defaults), then
// ComputeVersionRaise. A table value or rule target that the settings dialog would not
// accept (a hand-edited colour of 70000, say) is refused: the entry keeps its default and
// the key is listed in the answer, so that nothing is stored truncated into a drawing.
std::vector<std::string> LoadConversionSettings(ConversionSettings& settings, const std::string& file);

// The same on a document in memory, for a file that holds other keys too (the window-state
// file), so that it is read once and written once.
bool SaveConversionSettings(const ConversionSettings& settings, ProfileDocument& document);
std::vector<std::string> LoadConversionSettings(ConversionSettings& settings, const ProfileDocument& document);
std::vector<std::string> LoadConversionSettings(ConversionSettings& settings, const SettingsFileKeys& keys);

// A settings file is a few kilobytes; anything much larger is not one.
inline constexpr std::uintmax_t kMaxSettingsFileBytes = 1024 * 1024;

// Why a file chosen as a settings file cannot be one. Each front end words the kind in its
// own language; Detail is the system's reason in English, where there is one.
enum class SettingsFileProblem {
    Missing,      // nothing at that path
    Folder,       // a folder
    Fifo,         // a FIFO (named pipe), which would block the read
    Device,       // a character or block device (/dev/zero gives bytes without end)
    NotRegular,   // any other file that is not a regular one (a socket)
    Unreadable,   // cannot be opened or read (Detail says why)
    TooLarge,     // over kMaxSettingsFileBytes
    Empty,        // no bytes, or only blanks
    Drawing,      // a drawing or figure file
    NotText,      // binary bytes
    Utf16,        // UTF-16 text, which the profile functions of the CAD program's platform never read
    NoSettings,   // text, but no key of the sections "JWW", "Set" or "JWW1"
};

struct SettingsFileError {
    SettingsFileProblem Problem = SettingsFileProblem::Missing;
    std::string Detail;
};

// The reason in English, for the command line: "is a folder", "cannot be read: Permission denied".
std::string DescribeSettingsFileError(const SettingsFileError& error);

struct OpenedSettings {
    // The settings as the main menu loads them: defaults, then every accepted key, then
    // ComputeVersionRaise. LastSettingsFile is left empty: the caller decides.
    ConversionSettings Settings;
    // Keys whose values the settings dialog would not accept; they keep their defaults above.
    std::vector<std::string> RefusedKeys;
    // The keys as they stand, for the settings dialog, which fills its controls by rules of its
    // own; NotIntegers lists the keys whose values are not integers.
    SettingsFileKeys Keys;
};

// Reads a file the user chose as a settings file: the one way every front end opens one.
// A file that cannot be a settings file is refused with the reason, never read as an empty
// one (which would reset every setting).
std::variant<OpenedSettings, SettingsFileError> OpenSettingsFile(const std::filesystem::path& file);

}  // namespace tolvane
