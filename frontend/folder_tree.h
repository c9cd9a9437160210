// The folder tree of the main window as plain data: every visible folder below the search
// folder, found on a worker thread that a flag stops, and sorted by name at every level.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace tolvane {

struct FolderNode {
    std::filesystem::path Name;      // the root: the whole search folder
    std::filesystem::path RealPath;  // where the folder really is, links resolved
    int Parent = -1;
    std::vector<int> Children;
};

class FolderTree {
public:
    // Nodes[0] is the root once there is one; a node's index never changes.
    std::vector<FolderNode> Nodes;

    bool Empty() const { return Nodes.empty(); }
    bool Contains(int node) const { return node >= 0 && node < static_cast<int>(Nodes.size()); }
    // The folder of a node, ending with a separator: the root's folder and the names below it.
    std::filesystem::path PathOf(int node) const;
    // The node of that folder, or -1.
    int NodeOf(const std::filesystem::path& folder) const;
    // The text a node shows: the root's whole folder, else the folder's name (UTF-8).
    std::string TextOf(int node) const;
    // Orders the children of every node by their names.
    void Sort(const std::function<bool(std::string_view, std::string_view)>& less);
};

// Every folder below the search folder that is not hidden and does not lead back to a folder
// on its own way up (a link to a parent), each once, the children of a folder in
// the order the system lists them. Folders that cannot be listed add no children. The search
// looks at stop before every folder and entry, and when it is set ends with what it found;
// stopped tells whether it did.
FolderTree SearchFolderTree(const std::filesystem::path& searchFolder, const std::atomic<bool>& stop, bool& stopped);

}  // namespace tolvane
