#include "frontend/file_list.h"

#include <algorithm>
#include <cstdint>
#include <system_error>

#include "formats/text.h"
#include "formats/utf8_path.h"

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

int SizeColumnChars(int columnPixels, int charPixels) {
    return std::max(3, columnPixels / std::max(3, charPixels));
}

std::string PadSize(uint64_t size, int chars) {
    std::string digits = std::to_string(size);
    if (static_cast<int>(digits.size()) < chars) digits.insert(0, static_cast<size_t>(chars) - digits.size(), ' ');
    return digits;
}

std::string SortKey(std::string_view cell, bool shiftJis) {
    return shiftJis ? ShiftJisAsciiUpperCase(cell, LeadBytes::CodePage932) : AsciiUpperCase(cell);
}

std::vector<std::pair<int, int>> SelectionSortSwaps(std::vector<std::string> keys, bool descending) {
    std::vector<std::pair<int, int>> swaps;
    const int count = static_cast<int>(keys.size());
    // Byte strings compare as unsigned bytes, a shorter string before its extensions.
    const auto less = [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    };
    for (int r = 0; r + 1 < count; ++r) {
        int best = r;
        for (int s = r + 1; s < count; ++s) {
            if (descending ? less(keys[best], keys[s]) : less(keys[s], keys[best])) best = s;
        }
        if (best != r) {
            std::swap(keys[r], keys[best]);
            swaps.emplace_back(r, best);
        }
    }
    return swaps;
}

int HeaderColumnAt(const std::vector<int>& columnWidths, int x, int lineWidth, int gripMargin) {
    int left = 0;
    for (int column = 0; column < static_cast<int>(columnWidths.size()); ++column) {
        const int right = left + columnWidths[column];
        if (x > left + gripMargin && x < right - gripMargin) return column;
        if (x < right) return -1;
        left = right + lineWidth;
    }
    return -1;
}

}  // namespace tolvane
