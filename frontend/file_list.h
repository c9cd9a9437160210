// The file list of the main window without the window: listing a folder, the order of a
// header sort, and the text of each cell.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "formats/file_probes.h"

namespace tolvane {

inline constexpr int kFileListColumns = 7;
inline constexpr int kSizeColumn = 1;
inline constexpr int kMemoColumn = 4;
inline constexpr int kAttributesColumn = 6;
// The column headers, in UTF-8, for the window and for tolvane-cli list.
inline constexpr std::array<const char*, kFileListColumns> kFileListHeaders = {"ファイル名", "Bytes", "種類", "Ver",
                                                                         "図面メモ", "更新日時", "属性"};
// What each column is made wide enough for at a first start: a typical name, the widest size,
// the full date and time, a memo of about 20 characters.
inline constexpr std::array<const char*, kFileListColumns> kFileListWidthSamples = {
    "plan-2026-07-A1.JWW", "123456789", ".JWW", "420", "住宅平面図　第２案　1/100", "2026/12/31 23:59:59", "A R "};

struct FileListing {
    std::vector<FileListRow> Rows;  // sorted by name (SortFileListRows)
    bool Completed = true;          // false when Escape stopped the listing
    std::error_code Error;          // why the folder could not be listed
};

// The files of the folder that pass the filter (hidden files and folders never do), in the
// order of their names. Before every entry, the first included, escapeDown is asked; true
// stops the listing and keeps the rows found so far. A folder that cannot be listed gives no
// rows and the reason.
FileListing ListFolderFiles(const std::filesystem::path& folder, int filterIndex, const std::function<bool()>& escapeDown);

// The text a cell shows, in UTF-8: names that are not UTF-8 are shown as Shift-JIS, memos as
// the drawing stores them, sizes as plain numbers.
std::string CellText(const FileListRow& row, int column);

// The order of a header sort: sizes by their value; memos by their Shift-JIS bytes, ASCII
// letters upper-cased; the other columns by their text, ASCII letters upper-cased. Negative,
// zero or positive as in strcmp.
int CompareFileRows(const FileListRow& a, const FileListRow& b, int column);
// The rows' places after a sort by the column, rows of equal keys keeping their order:
// order[position] is the index of the row shown there. Column -1 is the order of the listing.
std::vector<size_t> SortedOrder(const std::vector<FileListRow>& rows, int column, bool descending);

}  // namespace tolvane
