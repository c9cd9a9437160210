// The folder tree of the main window: the search below a folder, the path of a node, and the
// order of the nodes. Node indexes count every node in tree order (a node, then all its
// descendants, then its next sibling); the root is 0.
#pragma once

#include "formats/file_probes.h"

#include <string>
#include <string_view>

#include <Qt>

class QTreeWidget;
class QTreeWidgetItem;

namespace tolvane {

class Platform;

// The bytes of a node's folder name (for the root, the whole search folder ending with "/").
inline constexpr int kFolderNameRole = Qt::UserRole;
// The real location of a node's folder on disk, to keep linked folders from looping.
inline constexpr int kFolderRealPathRole = Qt::UserRole + 1;

QTreeWidgetItem* MakeRootNode(QTreeWidget* tree, const std::string& searchFolder);
QTreeWidgetItem* NodeAtIndex(QTreeWidget* tree, int index);
int IndexOfNode(const QTreeWidgetItem* node);
// The node after this one in tree order, or null after the last.
QTreeWidgetItem* NextNode(QTreeWidgetItem* node);

// The folder of a node, ending with "/": the root's text and then every name below it.
std::string NodePath(const QTreeWidgetItem* node);
std::string NodePath(QTreeWidget* tree, int index);

// Adds a child node for every folder that the listing of the folder gives, in the listing's
// order, except hidden ones and links back to a folder that is already on the node's way up
// to the root. Pending events are let through and the Escape key is polled before every entry
// after the first; Escape sets searchAborted and ends the listing. A folder that cannot be
// listed adds nothing.
void AddSubfolders(const std::string& path, QTreeWidgetItem* node, Platform& platform, bool& searchAborted);

// Visits every node after the root in tree order, each once, including the nodes that the
// visits add, and adds its subfolders; stops when Escape is down before a node.
void SearchFolderTree(QTreeWidgetItem* root, Platform& platform, bool& searchAborted);

// Sorts the children of every node by their text, with the comparison of the user's locale.
void SortFolderTree(QTreeWidgetItem* root);

}  // namespace tolvane
