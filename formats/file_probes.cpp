#include "formats/file_probes.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "formats/archive.h"
#include "formats/file_attributes.h"
#include "formats/drawing.h"
#include "formats/jws.h"
#include "formats/jww.h"
#include "formats/local_time.h"
#include "formats/utf8_path.h"

namespace tolvane {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLegacyIdentification = "jw_cad(c)data.......";
constexpr std::string_view kLegacyVersionText = "---";

// The legacy formats begin with blocks of 200 bytes of text; the memo lines stand in the
// first block after a 40-byte identification.
constexpr size_t kLegacyBlockSize = 200;
constexpr size_t kMemoLine1Offset = 40;
constexpr size_t kMemoLine2Offset = 72;
constexpr size_t kMemoLineSize = 32;
constexpr size_t kJwcBlocks = 4;
constexpr size_t kJwkBlocks = 2;

std::string FileNameOf(const fs::path& path) { return Utf8FromPath(path.filename()); }

// The version as the list shows it: the stored word taken as a signed number.
std::string VersionText(uint32_t version) { return std::to_string(static_cast<int32_t>(version)); }

// The legacy formats need the blocks of their header to be complete, but only the memo
// lines of the first block are used.
bool ReadLegacyHeader(const fs::path& path, size_t blocks, std::string& memoLine1, std::string& memoLine2) {
    memoLine1.clear();
    memoLine2.clear();
    std::ifstream file(path, std::ios::binary);
    std::string bytes(blocks * kLegacyBlockSize, '\0');
    if (!file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return false;
    memoLine1 = bytes.substr(kMemoLine1Offset, kMemoLineSize);
    memoLine2 = bytes.substr(kMemoLine2Offset, kMemoLineSize);
    return true;
}

ArchiveString LegacyMemo(const std::string& memoLine1, const std::string& memoLine2) {
    return StripShiftJisControlChars(memoLine1 + " " + memoLine2);
}

// A backup holds either a legacy file (by its identification) or a JWW drawing (by its
// signature); anything else has neither version nor memo.
enum class BackupContent { Legacy, Jww, Unknown };

BackupContent ContentOfBackup(const fs::path& path) {
    if (ProbeLegacy(path)) return BackupContent::Legacy;
    if (ProbeJww(path)) return BackupContent::Jww;
    return BackupContent::Unknown;
}

// One read of the header gives both columns of a drawing.
FileListHeader JwwListHeader(const fs::path& path) {
    DrawingData drawing;
    if (!ReadJwwHeader(path, drawing)) return {};
    return {VersionText(drawing.Header.FileVersion), StripControlChars(drawing.Header.Memo)};
}

// "---" and the memo when the header blocks can be read, else nothing.
FileListHeader LegacyListHeader(const fs::path& path, size_t blocks) {
    std::string memoLine1, memoLine2;
    if (!ReadLegacyHeader(path, blocks, memoLine1, memoLine2)) return {};
    return {std::string(kLegacyVersionText), LegacyMemo(memoLine1, memoLine2)};
}

// The extension alone makes a legacy file show "---".
FileListHeader LegacyFileListHeader(const fs::path& path, size_t blocks) {
    FileListHeader header = LegacyListHeader(path, blocks);
    header.Version = kLegacyVersionText;
    return header;
}

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

}  // namespace

std::string UpperExtension(std::string_view fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string extension(fileName.substr(dot));
    return AsciiUpperCase(extension);
}

ExtensionClass ClassOfExtension(std::string_view upperExtension) {
    if (upperExtension == ".JWC") return ExtensionClass::Jwc;
    if (upperExtension == ".JWK") return ExtensionClass::Jwk;
    if (upperExtension == ".JWW" || upperExtension == ".JW$") return ExtensionClass::Jww;
    if (upperExtension == ".JWS") return ExtensionClass::Jws;
    if (upperExtension == ".BAK" || upperExtension.starts_with(".BK")) return ExtensionClass::Backup;
    return ExtensionClass::Other;
}

// A backup shows what its content is, and a legacy backup is read with the four blocks of a JWC header, whatever
// it backs up; figure files have no memo.
FileListHeader ReadFileListHeader(const fs::path& path) {
    switch (ClassOfExtension(UpperExtension(FileNameOf(path)))) {
        case ExtensionClass::Jwc:
            return LegacyFileListHeader(path, kJwcBlocks);
        case ExtensionClass::Jwk:
            return LegacyFileListHeader(path, kJwkBlocks);
        case ExtensionClass::Jww:
            return JwwListHeader(path);
        case ExtensionClass::Jws: {
            uint32_t version = 0;
            return {ReadJwsVersion(path, version) ? VersionText(version) : std::string(), {}};
        }
        case ExtensionClass::Backup:
            switch (ContentOfBackup(path)) {
                case BackupContent::Legacy: return LegacyListHeader(path, kJwcBlocks);
                case BackupContent::Jww: return JwwListHeader(path);
                case BackupContent::Unknown: return {};
            }
            return {};
        case ExtensionClass::Other:
            return {};
    }
    return {};
}

std::string FileListVersion(const fs::path& path) { return ReadFileListHeader(path).Version; }

ArchiveString FileListMemo(const fs::path& path) { return ReadFileListHeader(path).Memo; }

bool ProbeLegacy(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::array<char, kLegacyIdentification.size()> bytes{};
    if (!file.read(bytes.data(), bytes.size())) return false;
    return std::string_view(bytes.data(), bytes.size()) == kLegacyIdentification;
}

bool ReadJwcHeader(const fs::path& path, std::string& memoLine1, std::string& memoLine2) {
    return ReadLegacyHeader(path, kJwcBlocks, memoLine1, memoLine2);
}

bool ReadJwkHeader(const fs::path& path, std::string& memoLine1, std::string& memoLine2) {
    return ReadLegacyHeader(path, kJwkBlocks, memoLine1, memoLine2);
}

namespace {

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    if (pattern.empty()) return name.empty();
    if (pattern.front() == '*') {
        for (size_t skip = 0; skip <= name.size(); ++skip)
            if (MatchesPattern(name.substr(skip), pattern.substr(1))) return true;
        return false;
    }
    if (name.empty()) return false;
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return (pattern.front() == '?' || upper(pattern.front()) == upper(name.front())) &&
           MatchesPattern(name.substr(1), pattern.substr(1));
}

}  // namespace

// "*.*" lists every file, also those without a full stop, as the Windows listing does.
bool MatchesFileFilter(std::string_view fileName, int filterIndex) {
    if (filterIndex < 1 || filterIndex >= static_cast<int>(kFileFilterPatterns.size())) return true;
    return MatchesPattern(fileName, kFileFilterPatterns[static_cast<size_t>(filterIndex)]);
}

std::string FileListTime(fs::file_time_type time) {
    std::tm local{};
    if (!LocalTimeOf(time, local)) return {};
    // The list shows times at the two-second resolution of the DOS date and time.
    return std::to_string(local.tm_year + 1900) + "/" + TwoDigits(local.tm_mon + 1) + "/" + TwoDigits(local.tm_mday) +
           " " + TwoDigits(local.tm_hour) + ":" + TwoDigits(local.tm_min) + ":" + TwoDigits(local.tm_sec / 2 * 2);
}

bool IsListedFile(const fs::directory_entry& entry) {
    if (entry.path().filename().empty() || IsHiddenEntry(entry.path())) return false;
    std::error_code error;
    return entry.is_regular_file(error);
}

FileListRow MakeFileListRow(const fs::directory_entry& entry) {
    FileListRow row;
    const fs::path& path = entry.path();
    row.Name = FileNameOf(path);
    std::error_code error;
    const uintmax_t size = entry.file_size(error);
    row.Size = error ? 0 : static_cast<uint64_t>(size);
    row.Kind = UpperExtension(row.Name);
    FileListHeader header = ReadFileListHeader(path);
    row.Version = std::move(header.Version);
    row.Memo = std::move(header.Memo);
    const fs::file_time_type time = entry.last_write_time(error);
    if (!error) row.Modified = FileListTime(time);
    row.Attributes = AttributesText(path);
    return row;
}

namespace {

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char NameOrderByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

// Below, equal to or above zero as a sorts before, with or after b.
int CompareNames(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsAsciiDigit(a[i]) && IsAsciiDigit(b[j])) {
            size_t endA = i, endB = j;
            while (endA < a.size() && IsAsciiDigit(a[endA])) ++endA;
            while (endB < b.size() && IsAsciiDigit(b[endB])) ++endB;
            size_t startA = i, startB = j;
            while (startA + 1 < endA && a[startA] == '0') ++startA;
            while (startB + 1 < endB && b[startB] == '0') ++startB;
            // Without leading zeros, the longer run is the greater number.
            if (endA - startA != endB - startB) return endA - startA < endB - startB ? -1 : 1;
            if (const int digits = a.substr(startA, endA - startA).compare(b.substr(startB, endB - startB)); digits != 0)
                return digits;
            if (endA - i != endB - j) return endA - i < endB - j ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        const unsigned char x = NameOrderByte(a[i]), y = NameOrderByte(b[j]);
        if (x != y) return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i == a.size()) return j == b.size() ? 0 : -1;
    return 1;
}

}  // namespace

bool FileNameLess(std::string_view a, std::string_view b) {
    const int order = CompareNames(a, b);
    return order != 0 ? order < 0 : a < b;
}

void SortFileListRows(std::vector<FileListRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const FileListRow& a, const FileListRow& b) { return FileNameLess(a.Name, b.Name); });
}

}  // namespace tolvane
