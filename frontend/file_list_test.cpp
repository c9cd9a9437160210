#include "frontend/file_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

// Size padding: the width in characters never drops below 3, and a longer number stays whole.
TEST(FileListFunctions, SizesArePaddedToTheColumn) {
    struct Case {
        int Pixels, CharPixels, Chars;
    };
    for (const Case& c : std::vector<Case>{{64, 8, 8}, {20, 8, 3}, {0, 8, 3}, {64, 1, 21}, {100, 7, 14}}) {
        EXPECT_EQ(SizeColumnChars(c.Pixels, c.CharPixels), c.Chars) << c.Pixels << " / " << c.CharPixels;
    }
    EXPECT_EQ(PadSize(5, 3), "  5");
    EXPECT_EQ(PadSize(123456, 3), "123456");
    EXPECT_EQ(PadSize(5000000000u, 4), "5000000000");
}

// Sort keys: ASCII letters upper-cased; in Shift-JIS a trail byte in the letter range (the
// second byte of "ア", 0x83 0x41, or of "ツ", 0x83 0x63) stays as it is.
TEST(FileListFunctions, SortKeysUpperCaseAsciiOnly) {
    EXPECT_EQ(SortKey("plan.jww", false), "PLAN.JWW");
    EXPECT_EQ(SortKey("\x83\x63x", true), "\x83\x63X");
    EXPECT_EQ(SortKey("\x83\x63x", false), "\x83\x43X");
    EXPECT_EQ(SortKey("\xE3\x81\x82" "a", false), "\xE3\x81\x82" "A");
}

// The selection sort: strict comparisons, unsigned bytes, a prefix first.
TEST(FileListFunctions, SelectionSortSwaps) {
    const auto apply = [](std::vector<std::string> keys, bool descending) {
        for (const auto& [a, b] : SelectionSortSwaps(keys, descending)) std::swap(keys[a], keys[b]);
        return keys;
    };
    const std::vector<std::string> keys = {"B", "\x88\x9F", "A", "AB", "B"};
    EXPECT_EQ(apply(keys, false), (std::vector<std::string>{"A", "AB", "B", "B", "\x88\x9F"}));
    EXPECT_EQ(apply(keys, true), (std::vector<std::string>{"\x88\x9F", "B", "B", "AB", "A"}));
    EXPECT_TRUE(SelectionSortSwaps({"A", "B", "C"}, false).empty());
    EXPECT_TRUE(SelectionSortSwaps({}, true).empty());
}

// The header hit test: open intervals, grid lines between columns, no column in the resize
// grip at an edge.
TEST(FileListFunctions, HeaderColumnAt) {
    const std::vector<int> widths = {64, 64, 0, 64};
    EXPECT_EQ(HeaderColumnAt(widths, 0, 0, 0), -1);
    EXPECT_EQ(HeaderColumnAt(widths, 1, 0, 0), 0);
    EXPECT_EQ(HeaderColumnAt(widths, 64, 0, 0), -1);
    EXPECT_EQ(HeaderColumnAt(widths, 65, 0, 0), 1);
    EXPECT_EQ(HeaderColumnAt(widths, 129, 0, 0), 3);
    EXPECT_EQ(HeaderColumnAt(widths, 65, 1, 0), -1);
    EXPECT_EQ(HeaderColumnAt(widths, 66, 1, 0), 1);
    EXPECT_EQ(HeaderColumnAt(widths, 3, 0, 4), -1);
    EXPECT_EQ(HeaderColumnAt(widths, 30, 0, 4), 0);
    EXPECT_EQ(HeaderColumnAt(widths, 500, 0, 0), -1);
}

}  // namespace
}  // namespace tolvane
