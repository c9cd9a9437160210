// The file list of the main window without the window: listing a folder, padding the size
// column, the keys and the swaps of a header sort, and the header hit test.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
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

// How many characters the size column holds: its width divided by the width of one character,
// at least 3 either way.
int SizeColumnChars(int columnPixels, int charPixels);
// The size right-aligned with spaces to that many characters; a longer number stays whole.
std::string PadSize(uint64_t size, int chars);

// The key a header sort compares: ASCII letters upper-cased. In Shift-JIS text the second
// byte of a double-byte character is left alone, so that a character is never changed into
// another one.
std::string SortKey(std::string_view cell, bool shiftJis);

// The swaps of the list's selection sort over the keys (the keys of rows 1 to n, in grid
// order): for each position, the strictly smallest (ascending) or strictly greatest
// (descending) later key found first is swapped into it. Positions count from 0.
std::vector<std::pair<int, int>> SelectionSortSwaps(std::vector<std::string> keys, bool descending);

// The column under x in the header: columns lie side by side from x = 0, each covering the
// open interval between its edges, with lineWidth pixels between two columns. Within
// gripMargin pixels of an edge the press resizes a column and hits none. -1 for no column.
int HeaderColumnAt(const std::vector<int>& columnWidths, int x, int lineWidth, int gripMargin);

}  // namespace tolvane
