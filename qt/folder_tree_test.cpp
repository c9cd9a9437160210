#include <filesystem>
#include <string>
#include <vector>

#include <QTableWidget>
#include <gtest/gtest.h>

#include "qt/app_test_support.h"
#include "qt/folder_tree.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> ChildTexts(QTreeWidgetItem* node) {
    std::vector<std::string> texts;
    for (int i = 0; i < node->childCount(); ++i) texts.push_back(node->child(i)->text(0).toStdString());
    return texts;
}

int NodeCount(QTreeWidget* tree) {
    int count = 0;
    for (QTreeWidgetItem* node = NodeAtIndex(tree, 0); node; node = NextNode(node)) ++count;
    return count;
}

class FolderTreeTest : public WindowTest {};

// Paths of nodes: the root's text, then each name with "/", also when the index counts the
// nodes of earlier subtrees; a missing index gives no path.
TEST_F(FolderTreeTest, NodePathThreeLevelsDeep) {
    fs::create_directories(Home / "a" / "x");
    fs::create_directories(Home / "sub" / "deeper" / "deepest");
    Start();
    ChooseSearchFolder(Home);
    ASSERT_TRUE(Form->TreeReady);
    const std::string root = Bytes(Home) + "/";
    // Sorted: a, a/x, sub, sub/deeper, sub/deeper/deepest.
    EXPECT_EQ(Form->NodePath(0), root);
    EXPECT_EQ(Form->NodePath(2), root + "a/x/");
    EXPECT_EQ(Form->NodePath(5), root + "sub/deeper/deepest/");
    EXPECT_EQ(Form->NodePath(6), "");
    EXPECT_EQ(Form->Edit1->text(), Q(Home) + "/");
    EXPECT_EQ(Platform.FileChoices.at(0).Title, QStringLiteral("検索フォルダの指定"));
    EXPECT_EQ(Platform.FileChoices.at(0).InitialFolder, Q(Home) + "/");
}

// Hidden folders, files and links back up the tree never become nodes; a link to a folder
// elsewhere does, and the search ends. The children are sorted at every level.
TEST_F(FolderTreeTest, TreeHoldsVisibleFoldersSorted) {
    fs::create_directories(Home / "b" / ".git");
    fs::create_directories(Home / "A");
    fs::create_directories(Home / "c");
    fs::create_directories(Home / ".cache" / "inner");
    fs::create_directories(Temp.Path() / "elsewhere" / "drawings");
    WriteFile(Home / "file.jww", std::string("x"));
    fs::create_directory_symlink(Home, Home / "c" / "loop");
    fs::create_directory_symlink(Temp.Path() / "elsewhere", Home / "linked");
    Start();
    ChooseSearchFolder(Home);

    QTreeWidgetItem* root = NodeAtIndex(Form->TreeView1, 0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"A", "b", "c", "linked"}));
    EXPECT_TRUE(ChildTexts(root->child(1)).empty());
    EXPECT_TRUE(ChildTexts(root->child(2)).empty());
    EXPECT_EQ(ChildTexts(root->child(3)), (std::vector<std::string>{"drawings"}));
    EXPECT_EQ(Form->StatusText(), QString());
    EXPECT_TRUE(Form->TreeReady);
}

TEST_F(FolderTreeTest, FolderWithoutSubfoldersGivesTheRootAlone) {
    Start();
    ChooseSearchFolder(Home);
    EXPECT_EQ(NodeCount(Form->TreeView1), 1);
    EXPECT_TRUE(Form->TreeReady);
    EXPECT_EQ(Form->TreeView1->topLevelItem(0)->text(0), Q(Home) + "/");
}

// Escape during the search keeps the nodes found so far, usable, and says so.
TEST_F(FolderTreeTest, EscapeLeavesAPartialTree) {
    for (const char* name : {"p1", "p2", "p3", "p4"}) {
        for (const char* inner : {"q1", "q2", "q3"}) fs::create_directories(Home / name / inner);
    }
    Start();
    Platform.EscapeFromPoll = 5;
    ChooseSearchFolder(Home);

    EXPECT_TRUE(Form->SearchAborted);
    EXPECT_TRUE(Form->TreeReady);
    EXPECT_TRUE(Form->TreeView1->isEnabled());
    EXPECT_EQ(Form->StatusText(), QStringLiteral("フォルダ検索を中断しました。"));
    const int nodes = NodeCount(Form->TreeView1);
    EXPECT_GT(nodes, 1);
    EXPECT_LT(nodes, 17);
    ASSERT_FALSE(Platform.RepaintedTexts.empty());
    EXPECT_EQ(Platform.RepaintedTexts.back(), QStringLiteral("フォルダ検索中です。（ESC：中断）"));

    // A new search starts afresh and finds everything.
    Platform.EscapeFromPoll = 0;
    ChooseSearchFolder(Home);
    EXPECT_FALSE(Form->SearchAborted);
    EXPECT_EQ(NodeCount(Form->TreeView1), 17);
}

// A search folder that is gone keeps the old tree and list, with the drive message.
TEST_F(FolderTreeTest, MissingSearchFolderKeepsTheOldTree) {
    fs::create_directories(Home / "drawings");
    WriteDrawing(Home / "drawings" / "a.jww", 420);
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Home / "drawings");
    ASSERT_TRUE(Form->ListReady);
    Platform.Log.clear();
    Platform.Messages.clear();

    ChooseSearchFolder(Temp.Path() / "removed-medium");

    EXPECT_EQ(Platform.Log, (std::vector<QString>{QStringLiteral("folder:検索フォルダの指定"), "beep",
                                                  QStringLiteral("message:検索フォルダのディスクドライブの準備が出来ていません。")}));
    EXPECT_EQ(Platform.Messages.at(0).Kind, MessageKind::Information);
    EXPECT_TRUE(Form->StatusText().startsWith(QStringLiteral("検索フォルダを指定して下さい。（")));
    EXPECT_TRUE(Form->TreeReady);
    EXPECT_TRUE(Form->ListReady);
    EXPECT_EQ(NodeCount(Form->TreeView1), 2);
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.jww"}));
}

// Before any search: a click in the tree is refused with the error box and the list stays as
// it was; a cancelled folder choice changes nothing.
TEST_F(FolderTreeTest, ClickBeforeAnySearchIsRefused) {
    Start();
    Form->TreeView1Click();
    EXPECT_EQ(Platform.Log, (std::vector<QString>{"beep", QStringLiteral("message:検索フォルダを指定して下さい。")}));
    EXPECT_EQ(Platform.Messages.at(0).Kind, MessageKind::Error);
    EXPECT_EQ(Form->StatusText(), QStringLiteral("検索フォルダを指定して下さい。"));
    EXPECT_EQ(Form->FileRowCount(), 4);
    EXPECT_FALSE(Form->ListReady);

    Form->MnuFileSFolderClick();  // no folder scripted: cancelled
    EXPECT_FALSE(Form->TreeReady);
    EXPECT_EQ(Form->TreeView1->topLevelItemCount(), 0);
    EXPECT_EQ(Form->StatusText(), QString());
}

// The list shows the clicked folder; moving the selection by keyboard does not refill it.
TEST_F(FolderTreeTest, OnlyAClickRefillsTheList) {
    fs::create_directories(Home / "one");
    fs::create_directories(Home / "two");
    WriteDrawing(Home / "one" / "first.jww", 420);
    WriteDrawing(Home / "two" / "second.jww", 420);
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Home / "one");
    Form->TreeView1->setCurrentItem(NodeOf(Bytes(Home / "two") + "/"));
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"first.jww"}));
    Form->TreeView1Click();
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"second.jww"}));
}

// While the search lets events through, commands that would start other work are refused
// with a beep and the reason in the status bar; closing the window stops the search.
TEST_F(FolderTreeTest, CommandsWaitForTheSearch) {
    for (const char* name : {"p1", "p2", "p3"}) fs::create_directories(Home / name / "q");
    Start();
    int calls = 0;
    Platform.DuringEvents = [&] {
        if (calls++ > 0) return;
        EXPECT_TRUE(Form->Searching());
        EXPECT_FALSE(Form->TreeView1->isEnabled());
        Platform.Log.clear();
        Form->Button4Click();
        Form->MnuFileSFolderClick();
        Form->MnuExitClick();
        EXPECT_EQ(Platform.Log, (std::vector<QString>{"beep", "beep", "beep"}));
        EXPECT_TRUE(Form->StatusText().startsWith(QStringLiteral("フォルダ検索中は操作できません。"))) << Form->StatusText().toStdString();
        Form->close();
    };
    ChooseSearchFolder(Home);
    EXPECT_FALSE(Form->Searching());
    EXPECT_TRUE(Form->SearchAborted);
    EXPECT_EQ(Form->StatusText(), QStringLiteral("フォルダ検索を中断しました。"));
    EXPECT_TRUE(fs::exists(Paths.StateFile));
}

}  // namespace
}  // namespace tolvane::testing
