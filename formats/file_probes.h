// What the file list shows of each file: the kind from the extension, and the data version
// and drawing memo from the file's header (JWW, JWS, the legacy JWC and JWK, and backups).
// Nothing here changes a file; every failure gives an empty text.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "formats/text.h"

namespace tolvane {

enum class ExtensionClass { Jwc, Jwk, Jww, Jws, Backup, Other };

// The extension from the last full stop on, ASCII letters upper-cased (".JWW"); empty when
// the name has no full stop.
std::string UpperExtension(std::string_view fileName);
ExtensionClass ClassOfExtension(std::string_view upperExtension);

// The "Ver" column ("420", "---" for legacy files, or empty) and the "図面メモ" column (in
// the form the file stores it, control characters removed), from one read of the header.
struct FileListHeader {
    std::string Version;
    ArchiveString Memo;
};
FileListHeader ReadFileListHeader(const std::filesystem::path& path);
std::string FileListVersion(const std::filesystem::path& path);
ArchiveString FileListMemo(const std::filesystem::path& path);

// True when the first 20 bytes are "jw_cad(c)data.......".
bool ProbeLegacy(const std::filesystem::path& path);
// The two memo lines of the first 200-byte block; true when the first 4 blocks (JWC) or
// 2 blocks (JWK) could be read.
bool ReadJwcHeader(const std::filesystem::path& path, std::string& memoLine1, std::string& memoLine2);
bool ReadJwkHeader(const std::filesystem::path& path, std::string& memoLine1, std::string& memoLine2);

// The file-type filter of the list, by its index: the desktop program's list and menu and
// tolvane-cli list --filter. Any other index lists everything.
inline constexpr std::array<std::string_view, 4> kFileFilterPatterns = {"*.*", "*.jw?", "*.jww", "*.jws"};
// Whether the name matches the filter's pattern: "?" stands for one character, "*" for any
// run of them, letters match without regard to ASCII case.
bool MatchesFileFilter(std::string_view fileName, int filterIndex);

// One row of the file list, columns 0 to 6.
struct FileListRow {
    std::string Name;        // as the directory gives it, in UTF-8 on Windows
    uint64_t Size = 0;       // in bytes
    std::string Kind;        // UpperExtension
    std::string Version;     // FileListVersion
    ArchiveString Memo;      // FileListMemo
    std::string Modified;    // local last-write time, even seconds, "yyyy/mm/dd hh:mm:ss"
    std::string Attributes;  // AttributesText
};

// The "更新日時" column: the local time, the seconds rounded down to even, as
// "yyyy/mm/dd hh:mm:ss"; empty when the time cannot be converted.
std::string FileListTime(std::filesystem::file_time_type time);

// Whether a directory entry belongs in the list: a file (not a folder), not hidden
// (IsHiddenEntry).
bool IsListedFile(const std::filesystem::directory_entry& entry);
FileListRow MakeFileListRow(const std::filesystem::directory_entry& entry);

// The order of the file list by name, as Windows lists a folder: ASCII letters without regard
// to case, runs of digits by their value (f2 before f10, then the shorter run of equal value
// first); names equal in that order go by their bytes.
bool FileNameLess(std::string_view a, std::string_view b);
void SortFileListRows(std::vector<FileListRow>& rows);

}  // namespace tolvane
