#include "frontend/folder_tree.h"

#include <algorithm>
#include <system_error>

#include "formats/file_attributes.h"
#include "formats/utf8_path.h"
#include "frontend/path_text.h"

namespace tolvane {

namespace fs = std::filesystem;

fs::path FolderTree::PathOf(int node) const {
    if (!Contains(node)) return {};
    std::vector<int> way;
    for (int at = node; at > 0 && Contains(at); at = Nodes[static_cast<size_t>(at)].Parent) way.push_back(at);
    fs::path path = AsFolder(Nodes[0].Name);
    for (auto it = way.rbegin(); it != way.rend(); ++it) path = AsFolder(path / Nodes[static_cast<size_t>(*it)].Name);
    return path;
}

int FolderTree::NodeOf(const fs::path& folder) const {
    const fs::path wanted = AsFolder(folder);
    for (int node = 0; node < static_cast<int>(Nodes.size()); ++node)
        if (PathOf(node) == wanted) return node;
    return -1;
}

std::string FolderTree::TextOf(int node) const {
    if (!Contains(node)) return {};
    return node == 0 ? FolderText(Nodes[0].Name) : DisplayPath(Nodes[static_cast<size_t>(node)].Name);
}

void FolderTree::Sort(const std::function<bool(std::string_view, std::string_view)>& less) {
    for (FolderNode& node : Nodes) {
        std::stable_sort(node.Children.begin(), node.Children.end(), [&](int a, int b) {
            return less(Utf8FromPath(Nodes[static_cast<size_t>(a)].Name), Utf8FromPath(Nodes[static_cast<size_t>(b)].Name));
        });
    }
}

namespace {

// Where a folder really is: a linked folder is resolved, any other one lies below its
// parent's real location under its own name.
fs::path RealPathOf(const FolderNode& parent, const fs::directory_entry& entry) {
    std::error_code error;
    if (entry.is_symlink(error)) {
        fs::path target = fs::canonical(entry.path(), error);
        return error ? fs::path() : target;
    }
    if (parent.RealPath.empty()) return {};
    return parent.RealPath / entry.path().filename();
}

// A folder already on the way up: descending into it again would never end.
bool IsOnWayUp(const FolderTree& tree, int node, const fs::path& realPath) {
    for (; tree.Contains(node); node = tree.Nodes[static_cast<size_t>(node)].Parent)
        if (tree.Nodes[static_cast<size_t>(node)].RealPath == realPath) return true;
    return false;
}

}  // namespace

FolderTree SearchFolderTree(const fs::path& searchFolder, const std::atomic<bool>& stop, bool& stopped) {
    FolderTree tree;
    stopped = false;
    std::error_code error;
    const fs::path real = fs::canonical(searchFolder, error);
    tree.Nodes.push_back({searchFolder, error ? searchFolder : real, -1, {}});
    // Children get indexes after their parent, so one pass in index order visits every folder.
    for (size_t node = 0; node < tree.Nodes.size(); ++node) {
        if (stop) {
            stopped = true;
            return tree;
        }
        const fs::path folder = tree.PathOf(static_cast<int>(node));
        fs::directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
        for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
            if (stop) {
                stopped = true;
                return tree;
            }
            const fs::directory_entry& entry = *entries;
            std::error_code ignored;
            if (!entry.is_directory(ignored) || IsHiddenEntry(entry.path())) continue;
            fs::path realPath = RealPathOf(tree.Nodes[node], entry);
            if (realPath.empty() || IsOnWayUp(tree, static_cast<int>(node), realPath)) continue;
            tree.Nodes[node].Children.push_back(static_cast<int>(tree.Nodes.size()));
            tree.Nodes.push_back({entry.path().filename(), std::move(realPath), static_cast<int>(node), {}});
        }
        error.clear();
    }
    return tree;
}

}  // namespace tolvane
