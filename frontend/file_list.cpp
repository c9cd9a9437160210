#include "frontend/file_list.h"

#include <algorithm>
#include <numeric>

#include "formats/text.h"
#include "formats/utf8_path.h"
#include "frontend/path_text.h"
#include "settings/text_encoding.h"

namespace tolvane {

namespace fs = std::filesystem;

FileListing ListFolderFiles(const fs::path& folder, int filterIndex, const std::function<bool()>& escapeDown) {
    FileListing listing;
    std::error_code& error = listing.Error;
    if (!fs::is_directory(folder, error)) {
        if (!error)
            error = std::make_error_code(fs::exists(folder, error) ? std::errc::not_a_directory
                                                                   : std::errc::no_such_file_or_directory);
        return listing;
    }
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        if (!IsListedFile(entry) || !MatchesFileFilter(Utf8FromPath(entry.path().filename()), filterIndex)) continue;
        if (escapeDown()) {
            listing.Completed = false;
            break;
        }
        listing.Rows.push_back(MakeFileListRow(entry));
    }
    SortFileListRows(listing.Rows);
    return listing;
}

std::string CellText(const FileListRow& row, int column) {
    switch (column) {
        case 0: return DisplayText(row.Name);
        case kSizeColumn: return std::to_string(row.Size);
        case 2: return row.Kind;
        case 3: return row.Version;
        case kMemoColumn: return ArchiveStringToUtf8(row.Memo);
        case 5: return row.Modified;
        case kAttributesColumn: return row.Attributes;
        default: return {};
    }
}

namespace {

int CompareBytes(const std::string& a, const std::string& b) {
    // Byte strings compare as unsigned bytes, a shorter string before its extensions.
    const auto less = [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) return -1;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less)) return 1;
    return 0;
}

// A wide memo sorts by its Shift-JIS form, among the memos of byte-string drawings; in
// Shift-JIS the second byte of a double-byte character is never upper-cased.
std::string MemoKey(const FileListRow& row) {
    const std::string bytes = row.Memo.IsWide() ? Utf8ToShiftJis(ArchiveStringToUtf8(row.Memo)) : row.Memo.Stored();
    return ShiftJisAsciiUpperCase(bytes, LeadBytes::CodePage932);
}

std::string TextKey(const FileListRow& row, int column) {
    switch (column) {
        case 0: return AsciiUpperCase(row.Name);
        case 2: return AsciiUpperCase(row.Kind);
        case 3: return row.Version;
        case 5: return row.Modified;
        case kAttributesColumn: return row.Attributes;
        default: return {};
    }
}

}  // namespace

int CompareFileRows(const FileListRow& a, const FileListRow& b, int column) {
    if (column == kSizeColumn) return a.Size < b.Size ? -1 : a.Size > b.Size ? 1 : 0;
    if (column == kMemoColumn) return CompareBytes(MemoKey(a), MemoKey(b));
    return CompareBytes(TextKey(a, column), TextKey(b, column));
}

std::vector<size_t> SortedOrder(const std::vector<FileListRow>& rows, int column, bool descending) {
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    if (column < 0 || column >= kFileListColumns) return order;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int compared = CompareFileRows(rows[a], rows[b], column);
        return descending ? compared > 0 : compared < 0;
    });
    return order;
}

}  // namespace tolvane
