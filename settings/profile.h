// Profile (ini) files as the Windows profile functions read and write them, so that settings
// files travel between Windows machines and ours. Text is bytes; nothing is converted.
//
// Sections and keys match without regard to ASCII letter case, blanks around keys and values
// are trimmed, one pair of matching quotes around a value is removed, and the first
// occurrence of a key in the first matching section wins. Writing keeps every other line of
// the file byte for byte; lines added by writing end with CR LF.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

// Numbers of the settings and window-state files are read through a buffer of 22 bytes (21
// characters and the terminator), as the program always did: a longer value is cut.
inline constexpr size_t kNumberValueBuffer = 22;

// A profile file held in memory, for reading or writing many keys with one file access. The
// document is the file's bytes as they are; every operation walks them once, line by line,
// so that time and memory follow the size of the file however many lines it holds.
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
    // Every key line of the first section of each of these names, in file order, with the
    // position of its section in the list and its value as Get gives it: for reading many keys
    // in one pass over the document (of several lines of one name, Get finds the first).
    void ForEachKey(const std::vector<std::string_view>& sections, size_t bufferSize,
                    const std::function<void(size_t section, std::string_view key, std::string_view value)>& visit) const;

    // Replaces the value in place, or adds the key at the end of its section, or the section
    // at the end of the document. Refuses (false, nothing changed) a section, key or value that
    // would break the line structure: a line end in any of them, an empty section or key, "]"
    // in the section or "=" in the key.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    struct Entry {
        std::string Section, Key, Value;
    };
    // The same as Set for each entry in turn, in one pass over the document. False when any
    // entry was refused; the others are written.
    bool SetAll(const std::vector<Entry>& entries);

    const std::string& Bytes() const { return bytes_; }
    // Writes a temporary file in the same folder and renames it over the file.
    bool Save(const std::string& file) const;

private:
    void IndexNamedLines();

    std::string bytes_;
    // Where the lines that name a section or hold a key begin, in file order: the only lines
    // that reading looks at, so that reading keys one by one does not walk the blank lines,
    // comments and other lines again for each key. Not kept for a document of 4 GiB or more,
    // which reading then walks whole.
    std::vector<uint32_t> named_;
};

// The form of a section or key name in which two names that the profile functions take for
// the same compare equal: ASCII letters in lower case, double-byte Shift-JIS characters as they
// are (their trail bytes can look like ASCII letters).
std::string ProfileNameKey(std::string_view name);

// One key at a time, as the platform functions do.
std::pair<bool, std::string> ReadProfileValue(std::string_view section, std::string_view key, size_t bufferSize,
                                              const std::string& file);
bool WriteProfileValue(std::string_view section, std::string_view key, std::string_view value, const std::string& file);

}  // namespace tolvane
