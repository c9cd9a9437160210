// Profile (ini) files as the Windows profile functions read and write them, so that settings
// files travel between Windows machines and ours. Text is bytes; nothing is converted.
//
// Sections and keys match without regard to ASCII letter case, blanks around keys and values
// are trimmed, one pair of matching quotes around a value is removed, and the first
// occurrence of a key in the first matching section wins. Writing keeps every other line of
// the file byte for byte; lines added by writing end with CR LF.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

// Numbers of the settings and window-state files are read through a buffer of 22 bytes (21
// characters and the terminator), as the program always did: a longer value is cut.
inline constexpr size_t kNumberValueBuffer = 22;

// A profile file held in memory, for reading or writing many keys with one file access.
class ProfileDocument {
public:
    // Missing or unreadable files give an empty document.
    static ProfileDocument Load(const std::string& file);
    // For writing: a missing file gives an empty document, a file that exists but cannot be
    // read gives nothing, so that a save never replaces what it could not read.
    static std::optional<ProfileDocument> LoadForUpdate(const std::string& file);
    // For a file the user chose to open: a missing or unreadable file gives nothing, so that it
    // is refused rather than read as empty.
    static std::optional<ProfileDocument> LoadExisting(const std::string& file);
    static ProfileDocument Parse(std::string_view bytes);

    // The value, cut to bufferSize - 1 bytes; present when it is not empty.
    std::pair<bool, std::string> Get(std::string_view section, std::string_view key, size_t bufferSize) const;
    // Every key of the section with its value as Get gives it, in one walk over the document:
    // keys with their ASCII letters upper-cased (double-byte characters whole), the first of a
    // key winning; empty values are kept, and mean absent as they do for Get.
    std::map<std::string, std::string> SectionValues(std::string_view section, size_t bufferSize) const;
    // Replaces the value in place, or adds the key at the end of its section, or the section
    // at the end of the document. Refuses (false, nothing changed) a section, key or value that
    // would break the line structure: a line end in any of them, an empty section or key, "]"
    // in the section or "=" in the key.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Bytes() const;
    // Writes a temporary file in the same folder and renames it over the file.
    bool Save(const std::string& file) const;

private:
    struct Line {
        std::string Text;  // without its line end
        std::string End;   // "\r\n", "\n" or, on a last line, nothing
    };
    std::vector<Line> lines_;
};

// One key at a time, as the platform functions do.
std::pair<bool, std::string> ReadProfileValue(std::string_view section, std::string_view key, size_t bufferSize,
                                              const std::string& file);
bool WriteProfileValue(std::string_view section, std::string_view key, std::string_view value, const std::string& file);

}  // namespace tolvane
