#include "frontend/file_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

FileListRow Row(std::string name, uint64_t size, std::string memo = {}) {
    FileListRow row;
    row.Name = std::move(name);
    row.Size = size;
    row.Memo = ArchiveString(std::move(memo));
    return row;
}

// Sizes sort by their value ("100000" after "99999"), names and memos without regard to ASCII
// letter case, and a memo's double-byte characters keep their second byte (0x63 is not a
// lower-case "c" there); equal keys keep their order in both directions.
TEST(FileList, SortOrder) {
    const std::vector<FileListRow> rows = {Row("b.jww", 100000, "\x83\x63x"), Row("A.jww", 99999, "\x83\x43y"),
                                           Row("c.jww", 5, "\x83\x63x"), Row("a.JWW", 99999, "")};
    EXPECT_EQ(SortedOrder(rows, kSizeColumn, false), (std::vector<size_t>{2, 1, 3, 0}));
    EXPECT_EQ(SortedOrder(rows, kSizeColumn, true), (std::vector<size_t>{0, 1, 3, 2}));
    EXPECT_EQ(SortedOrder(rows, 0, false), (std::vector<size_t>{1, 3, 0, 2}));
    EXPECT_EQ(SortedOrder(rows, kMemoColumn, false), (std::vector<size_t>{3, 1, 0, 2}));
    EXPECT_EQ(SortedOrder(rows, -1, true), (std::vector<size_t>{0, 1, 2, 3}));
    EXPECT_LT(CompareFileRows(rows[1], rows[0], kSizeColumn), 0);
    EXPECT_EQ(CompareFileRows(rows[1], rows[3], 0), 0);
}

// What the cells show: a Shift-JIS name converted, a size as a plain number.
TEST(FileList, CellTexts) {
    const FileListRow row = Row("\x90\x7d\x96\xca.jww", 1234);
    EXPECT_EQ(CellText(row, 0), "図面.jww");
    EXPECT_EQ(CellText(row, kSizeColumn), "1234");
}

}  // namespace
}  // namespace tolvane
