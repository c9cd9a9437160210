// Profile (ini) files as the Windows profile functions read and write them, so that settings
// files travel between Windows machines and ours. Text is bytes; nothing is converted.
//
// Sections and keys match without regard to ASCII letter case, blanks around keys and values
// are trimmed, one pair of matching quotes around a value is removed, and the first
// occurrence of a key in the first matching section wins. Writing keeps every other line of
// the file byte for byte; lines end with CR LF.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

// A profile file held in memory, for reading or writing many keys with one file access.
class ProfileDocument {
public:
    // Missing or unreadable files give an empty document.
    static ProfileDocument Load(const std::string& file);
    static ProfileDocument Parse(std::string_view bytes);

    // The value, cut to bufferSize - 1 bytes; present when it is not empty.
    std::pair<bool, std::string> Get(std::string_view section, std::string_view key, size_t bufferSize) const;
    // Replaces the value in place, or adds the key at the end of its section, or the section
    // at the end of the document.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Bytes() const;
    // Writes a temporary file in the same folder and renames it over the file.
    bool Save(const std::string& file) const;

private:
    std::vector<std::string> lines_;  // without their line ends
};

// One key at a time, as the platform functions do.
std::pair<bool, std::string> ReadProfileValue(std::string_view section, std::string_view key, size_t bufferSize,
                                              const std::string& file);
bool WriteProfileValue(std::string_view section, std::string_view key, std::string_view value, const std::string& file);

}  // namespace tolvane
