#include "frontend/folder_tree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/file_probes.h"
#include "frontend/path_text.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteFile;

std::vector<std::string> ChildTexts(const FolderTree& tree, int node) {
    std::vector<std::string> texts;
    for (const int child : tree.Nodes[static_cast<size_t>(node)].Children) texts.push_back(tree.TextOf(child));
    return texts;
}

// Hidden folders, files and links back up the tree never become nodes; a link to a folder
// elsewhere does, and the search ends. After the sort the children are in order at every
// level, and each node knows its path.
TEST(FolderTree, SearchSortAndPaths) {
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    fs::create_directories(root / "b" / "x" / "deepest");
    fs::create_directories(root / "A");
#ifndef _WIN32
    fs::create_directories(root / ".cache" / "inner");
    fs::create_directories(temp.Path() / "elsewhere" / "drawings");
    fs::create_directory_symlink(root, root / "b" / "loop");
    fs::create_directory_symlink(temp.Path() / "elsewhere", root / "linked");
#endif
    WriteFile(root / "file.jww", std::string("x"));
    std::atomic<bool> stop = false;
    bool stopped = true;
    FolderTree tree = SearchFolderTree(AsFolder(root), stop, stopped);
    EXPECT_FALSE(stopped);
    tree.Sort(FileNameLess);
    EXPECT_EQ(tree.TextOf(0), FolderText(root));
#ifndef _WIN32
    EXPECT_EQ(ChildTexts(tree, 0), (std::vector<std::string>{"A", "b", "linked"}));
    EXPECT_EQ(ChildTexts(tree, tree.NodeOf(root / "linked")), std::vector<std::string>{"drawings"});
#else
    EXPECT_EQ(ChildTexts(tree, 0), (std::vector<std::string>{"A", "b"}));
#endif
    EXPECT_EQ(ChildTexts(tree, tree.NodeOf(root / "b")), std::vector<std::string>{"x"});
    const int deepest = tree.NodeOf(root / "b" / "x" / "deepest");
    ASSERT_GT(deepest, 0);
    EXPECT_EQ(tree.PathOf(deepest), AsFolder(root / "b" / "x" / "deepest"));
    EXPECT_EQ(tree.PathOf(0), AsFolder(root));
    EXPECT_EQ(tree.PathOf(static_cast<int>(tree.Nodes.size())), fs::path());
    EXPECT_EQ(tree.NodeOf(root / "none"), -1);
}

// A search stopped before it began keeps the root alone, usable.
TEST(FolderTree, StoppedSearchKeepsWhatItFound) {
    TempFolder temp;
    fs::create_directories(temp.Path() / "a" / "b");
    std::atomic<bool> stop = true;
    bool stopped = false;
    const FolderTree tree = SearchFolderTree(temp.Path(), stop, stopped);
    EXPECT_TRUE(stopped);
    ASSERT_EQ(tree.Nodes.size(), 1u);
    EXPECT_TRUE(tree.Nodes[0].Children.empty());
}

}  // namespace
}  // namespace tolvane
