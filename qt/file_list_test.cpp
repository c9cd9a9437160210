#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QHeaderView>
#include <QTableWidget>
#include <gtest/gtest.h>

#include "qt/app_test_support.h"
#include "frontend/file_list.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

class FileListTest : public WindowTest {
protected:
    fs::path Folder = Home / "drawings";

    FileListTest() { fs::create_directories(Folder); }

    void List() {
        Start();
        ChooseSearchFolder(Home);
        ClickFolder(Folder);
    }

    int RowOf(const std::string& name) {
        for (int row = 1; row <= Form->FileRowCount(); ++row)
            if (Form->CellBytes(row, 0) == name) return row;
        return -1;
    }

    void ClickHeader(int column) {
        QHeaderView* header = Form->StringGrid1->horizontalHeader();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        Form->StringGrid1MouseDown(Qt::LeftButton, x, header->height() / 2);
    }
};

// Every column for drawings, a figure file, a legacy file, a backup and a plain file.
TEST_F(FileListTest, ColumnsOfEveryKind) {
    WriteDrawing(Folder / "plan.jww", 420);
    WriteFigure(Folder / "part.JWS", 600);
    WriteLegacyJwk(Folder / "old.jwk", "\x8c\xc3\x82\xa2", "line2");  // 古い
    fs::copy_file(Folder / "plan.jww", Folder / "plan.BAK");
    WriteFile(Folder / "readme", std::string(12345, 'x'));
    fs::permissions(Folder / "readme", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    WriteFile(Folder / ".hidden.jww", std::string("x"));
    List();

    ASSERT_EQ(Form->FileRowCount(), 5);
    EXPECT_TRUE(Form->ListReady);
    EXPECT_EQ(Form->StatusText(), QStringLiteral("5 Files  パス名「") + Q(Folder) + QStringLiteral("/」"));

    const int plan = RowOf("plan.jww");
    ASSERT_GT(plan, 0);
    EXPECT_EQ(Form->CellText(plan, 1).trimmed().toLongLong(), static_cast<long long>(fs::file_size(Folder / "plan.jww")));
    EXPECT_EQ(Form->CellText(plan, 2), ".JWW");
    EXPECT_EQ(Form->CellText(plan, 3), "420");
    EXPECT_FALSE(Form->CellText(plan, 4).isEmpty());
    EXPECT_TRUE(std::regex_match(Form->CellText(plan, 5).toStdString(),
                                 std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d[02468])")));
    EXPECT_EQ(Form->CellText(plan, 6), "");

    const int part = RowOf("part.JWS");
    EXPECT_EQ(Form->CellText(part, 2), ".JWS");
    EXPECT_EQ(Form->CellText(part, 3), "600");
    EXPECT_EQ(Form->CellText(part, 4), "");

    const int old = RowOf("old.jwk");
    EXPECT_EQ(Form->CellText(old, 2), ".JWK");
    EXPECT_EQ(Form->CellText(old, 3), "---");
    EXPECT_TRUE(Form->CellText(old, 4).startsWith(QStringLiteral("古い")));
    EXPECT_TRUE(Form->CellText(old, 4).trimmed().endsWith(QStringLiteral("line2")));

    const int backup = RowOf("plan.BAK");
    EXPECT_EQ(Form->CellText(backup, 2), ".BAK");
    EXPECT_EQ(Form->CellText(backup, 3), "420");
    EXPECT_EQ(Form->CellText(backup, 4), Form->CellText(plan, 4));

    const int readme = RowOf("readme");
    EXPECT_EQ(Form->CellText(readme, 2), "");
    EXPECT_EQ(Form->CellText(readme, 3), "");
    EXPECT_EQ(Form->CellText(readme, 6), "R ");
    EXPECT_TRUE(Form->CellText(readme, 1).endsWith("12345"));
    EXPECT_EQ(Form->CellText(readme, 1).size(), Form->CellText(plan, 1).size());
}

// The four filters, from the menu and from the drop-down list; letter case does not matter.
TEST_F(FileListTest, FourFilters) {
    for (const char* name : {"a.jww", "b.JWS", "c.jwk", "d.JWC", "e.jw$", "f.bak", "g.txt"})
        WriteFile(Folder / name, std::string("x"));
    List();
    EXPECT_EQ(Form->FileRowCount(), 7);
    Form->MnuFileType1Click();
    EXPECT_EQ(Form->ComboBox1->currentIndex(), 1);
    EXPECT_EQ(Form->FileRowCount(), 5);
    EXPECT_EQ(RowOf("f.bak"), -1);
    Form->MnuFileType2Click();
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.jww"}));
    Form->MnuFileType3Click();
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"b.JWS"}));
    Form->ComboBox1->setCurrentIndex(0);  // as the user picks it
    EXPECT_EQ(Form->FileRowCount(), 7);
    Form->MnuFileType0Click();
    EXPECT_EQ(Form->FileRowCount(), 7);
}

// With no node selected a filter change only changes the filter.
TEST_F(FileListTest, FilterWithoutSelectedNodeKeepsTheList) {
    WriteFile(Folder / "a.jww", std::string("x"));
    Start();
    ChooseSearchFolder(Home);
    Form->TreeView1->setCurrentItem(nullptr);
    Form->ComboBox1->setCurrentIndex(2);
    EXPECT_FALSE(Form->ListReady);
    EXPECT_EQ(Form->FileRowCount(), 1);
    EXPECT_EQ(Platform.Log.size(), 1u);  // the folder choice only
}

// A header click sorts ascending, the next one descending; the attributes header lists the
// folder again in its own order without turning the direction.
TEST_F(FileListTest, HeaderSortsAndAttributesRestoreTheOrder) {
    // Sizes in the reverse of the name order, to see that whole rows move.
    const std::vector<std::pair<const char*, size_t>> files = {{"m.jww", 2}, {"B.jww", 4}, {"z.jww", 1}, {"a.jww", 5}, {"K.jww", 3}};
    for (const auto& [name, size] : files) WriteFile(Folder / name, std::string(size, 'x'));
    List();
    const std::vector<std::string> ascending = {"a.jww", "B.jww", "K.jww", "m.jww", "z.jww"};
    const std::vector<std::string> descending(ascending.rbegin(), ascending.rend());
    // The list comes sorted by name.
    EXPECT_EQ(ListedNames(), ascending);

    ClickHeader(1);
    EXPECT_EQ(ListedNames(), descending);
    EXPECT_TRUE(Form->SortDescending);
    ClickHeader(1);
    EXPECT_EQ(ListedNames(), ascending);
    EXPECT_FALSE(Form->SortDescending);
    ClickHeader(1);
    EXPECT_EQ(ListedNames(), descending);
    ClickHeader(0);
    EXPECT_EQ(ListedNames(), descending);
    EXPECT_FALSE(Form->SortDescending);

    ClickHeader(6);
    EXPECT_EQ(ListedNames(), ascending);
    EXPECT_FALSE(Form->SortDescending);
    ClickHeader(1);
    EXPECT_EQ(ListedNames(), descending);

    for (int row = 1; row <= Form->FileRowCount(); ++row) EXPECT_EQ(Form->CellText(row, 1).trimmed().toInt(), row);

    // Below the header nothing happens.
    Form->StringGrid1MouseDown(Qt::LeftButton, 30, Form->StringGrid1->horizontalHeader()->height() + 5);
    EXPECT_EQ(ListedNames(), descending);
}

// A sort keeps the selection and the cursor with the files, even where they then lie apart.
TEST_F(FileListTest, SortKeepsTheSelectedFiles) {
    for (const auto& [name, size] : std::vector<std::pair<const char*, size_t>>{{"f1.jww", 3}, {"f2.jww", 1}, {"f10.jww", 2}})
        WriteFile(Folder / name, std::string(size, 'x'));
    List();
    ASSERT_EQ(ListedNames(), (std::vector<std::string>{"f1.jww", "f2.jww", "f10.jww"}));
    Form->StringGrid1->setCurrentCell(1, 0);
    Form->StringGrid1->setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, kFileListColumns - 1), true);
    ClickHeader(1);
    ASSERT_EQ(ListedNames(), (std::vector<std::string>{"f2.jww", "f10.jww", "f1.jww"}));
    std::vector<std::string> selected;
    for (const QModelIndex& index : Form->StringGrid1->selectionModel()->selectedRows())
        selected.push_back(Form->CellBytes(index.row() + 1, 0));
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(selected, (std::vector<std::string>{"f1.jww", "f2.jww"}));
    EXPECT_EQ(Form->CellBytes(Form->StringGrid1->currentRow() + 1, 0), "f2.jww");
}

// The size column keeps right-aligned sizes after its width changes, and never pads to fewer
// than 3 characters.
TEST_F(FileListTest, SizesFollowTheColumnWidth) {
    WriteFile(Folder / "small.txt", std::string(5, 'x'));
    WriteFile(Folder / "large.txt", std::string(123456, 'x'));
    List();
    const int small = RowOf("small.txt");
    const int large = RowOf("large.txt");
    const int startWidth = Form->StringGrid1->columnWidth(1);
    const QString wide = Form->CellText(small, 1);
    EXPECT_GT(wide.size(), 3);
    EXPECT_TRUE(wide.endsWith(" 5"));

    Form->StringGrid1->setColumnWidth(1, 20);
    EXPECT_EQ(Form->CellText(small, 1), "  5");
    EXPECT_EQ(Form->CellText(large, 1), "123456");

    Form->StringGrid1->setColumnWidth(1, startWidth);
    EXPECT_EQ(Form->CellText(small, 1), wide);
}

// A folder without matching files, and a listing stopped by Escape.
TEST_F(FileListTest, EmptyAndStoppedListings) {
    List();
    EXPECT_FALSE(Form->ListReady);
    EXPECT_EQ(Form->FileRowCount(), 1);
    EXPECT_EQ(Form->StatusText(), QStringLiteral("0 Files  パス名「") + Q(Folder) + QStringLiteral("/」"));
    ASSERT_FALSE(Platform.RepaintedTexts.empty());
    EXPECT_EQ(Platform.RepaintedTexts.back(), QStringLiteral("フォルダ「") + Q(Folder) + QStringLiteral("/」を検索中(ESC:中断)"));

    for (const char* name : {"1.jww", "2.jww", "3.jww"}) WriteFile(Folder / name, std::string("x"));
    Platform.EscapePolls = 0;
    Platform.EscapeFromPoll = 3;
    Form->TreeView1Click();
    EXPECT_EQ(Form->StatusText(), QStringLiteral("検索を中断しました。"));
    EXPECT_EQ(Form->FileRowCount(), 2);
    EXPECT_TRUE(Form->ListReady);
}

// A double click: refused before a search, only the status text on an empty list, else the
// file of the current row opens with its application.
TEST_F(FileListTest, DoubleClick) {
    Start();
    Form->StringGrid1DblClick();
    EXPECT_EQ(Platform.Log, (std::vector<QString>{"beep", QStringLiteral("message:検索フォルダを指定して下さい。")}));

    ChooseSearchFolder(Home);
    ClickFolder(Folder);
    Platform.Log.clear();
    Form->StringGrid1DblClick();
    EXPECT_EQ(Platform.Log, (std::vector<QString>{"beep"}));
    EXPECT_EQ(Form->StatusText(), QStringLiteral("図面の格納されているフォルダを指定して下さい。"));

    WriteFile(Folder / "a.jww", std::string("x"));
    WriteFile(Folder / "b.jww", std::string("x"));
    Form->TreeView1Click();
    Form->StringGrid1->setCurrentCell(1, 3);
    Platform.Log.clear();
    Form->StringGrid1DblClick();
    EXPECT_EQ(Platform.Opened, (std::vector<QString>{Q(Folder) + "/" + QString::fromStdString(Form->CellBytes(2, 0))}));
}

// File names that are not UTF-8 (Shift-JIS names from a Windows archive) are shown converted
// and kept as bytes for the paths.
TEST_F(FileListTest, ShiftJisFileNames) {
    const std::string name = "\x90\x7d\x96\xca.jww";  // 図面.jww in Shift-JIS
    WriteDrawing(Folder / name, 420);
    List();
    ASSERT_EQ(Form->FileRowCount(), 1);
    EXPECT_EQ(Form->CellText(1, 0), QStringLiteral("図面.jww"));
    EXPECT_EQ(Form->CellBytes(1, 0), name);
    EXPECT_EQ(Form->CellText(1, 3), "420");
}

// The mouse reaches the handlers: a press on the search-folder field opens the folder choice,
// a click in the tree lists the folder, a press on a header sorts, a double click opens.
TEST_F(FileListTest, MouseReachesTheHandlers) {
    for (const char* name : {"b.jww", "a.jww", "c.jww"}) WriteFile(Folder / name, std::string("x"));
    Start();
    const auto send = [](QWidget* widget, QEvent::Type type, QPoint at) {
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    Platform.Folders.push_back(Q(Home));
    send(Form->Edit1, QEvent::MouseButtonPress, QPoint(5, 5));
    EXPECT_EQ(Platform.Log.at(0), QStringLiteral("folder:検索フォルダの指定"));
    ASSERT_TRUE(Form->TreeReady);

    QTreeWidgetItem* node = NodeOf(Bytes(Folder) + "/");
    ASSERT_NE(node, nullptr);
    const QPoint inNode = Form->TreeView1->visualItemRect(node).center();
    send(Form->TreeView1->viewport(), QEvent::MouseButtonPress, inNode);
    send(Form->TreeView1->viewport(), QEvent::MouseButtonRelease, inNode);
    EXPECT_EQ(Form->FileRowCount(), 3);
    EXPECT_TRUE(Form->ListReady);

    QHeaderView* header = Form->StringGrid1->horizontalHeader();
    send(header->viewport(), QEvent::MouseButtonPress, QPoint(header->sectionSize(0) / 2, header->height() / 2));
    send(header->viewport(), QEvent::MouseButtonRelease, QPoint(header->sectionSize(0) / 2, header->height() / 2));
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.jww", "b.jww", "c.jww"}));

    Form->StringGrid1->setCurrentCell(2, 0);
    send(Form->StringGrid1->viewport(), QEvent::MouseButtonDblClick, QPoint(5, 5));
    EXPECT_EQ(Platform.Opened, (std::vector<QString>{Q(Folder) + "/c.jww"}));
}

}  // namespace
}  // namespace tolvane::testing
