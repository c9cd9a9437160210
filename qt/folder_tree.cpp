#include "qt/folder_tree.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <QCollator>
#include <QTreeWidget>

#include "qt/path_text.h"
#include "qt/platform.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

std::string BytesOf(const QTreeWidgetItem* node, int role) {
    return node->data(0, role).toByteArray().toStdString();
}

QByteArray ByteArrayOf(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Where a folder really is: a linked folder is resolved, any other one lies below its
// parent's real location under its own name.
std::string RealPathOfChild(const QTreeWidgetItem* parent, const fs::directory_entry& entry) {
    std::error_code error;
    if (entry.is_symlink(error)) {
        const fs::path target = fs::canonical(entry.path(), error);
        return error ? std::string() : target.string();
    }
    const std::string parentReal = BytesOf(parent, kFolderRealPathRole);
    if (parentReal.empty()) return {};
    return (fs::path(parentReal) / entry.path().filename()).string();
}

// A folder already on the way up: descending into it again would never end.
bool IsOnWayUp(const QTreeWidgetItem* node, const std::string& realPath) {
    for (; node; node = node->parent()) {
        if (BytesOf(node, kFolderRealPathRole) == realPath) return true;
    }
    return false;
}

void AddChild(QTreeWidgetItem* parent, const std::string& name, const std::string& realPath) {
    auto* child = new QTreeWidgetItem(parent);
    child->setText(0, DisplayText(name));
    child->setData(0, kFolderNameRole, ByteArrayOf(name));
    child->setData(0, kFolderRealPathRole, ByteArrayOf(realPath));
    if (parent->treeWidget()) child->setIcon(0, parent->icon(0));
}

void Consider(QTreeWidgetItem* node, const fs::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    std::error_code error;
    if (IsHiddenName(name) || !entry.is_directory(error)) return;
    const std::string realPath = RealPathOfChild(node, entry);
    if (realPath.empty() || IsOnWayUp(node, realPath)) return;
    AddChild(node, name, realPath);
}

}  // namespace

QTreeWidgetItem* MakeRootNode(QTreeWidget* tree, const std::string& searchFolder) {
    auto* root = new QTreeWidgetItem(tree);
    root->setText(0, DisplayText(searchFolder));
    root->setData(0, kFolderNameRole, ByteArrayOf(searchFolder));
    std::error_code error;
    const fs::path real = fs::canonical(searchFolder, error);
    root->setData(0, kFolderRealPathRole, ByteArrayOf(error ? searchFolder : real.string()));
    return root;
}

QTreeWidgetItem* NextNode(QTreeWidgetItem* node) {
    if (!node) return nullptr;
    if (node->childCount() > 0) return node->child(0);
    for (QTreeWidgetItem* at = node; at; at = at->parent()) {
        QTreeWidgetItem* parent = at->parent();
        if (!parent) {
            QTreeWidget* tree = at->treeWidget();
            const int top = tree ? tree->indexOfTopLevelItem(at) : -1;
            if (tree && top >= 0 && top + 1 < tree->topLevelItemCount()) return tree->topLevelItem(top + 1);
            return nullptr;
        }
        const int position = parent->indexOfChild(at);
        if (position + 1 < parent->childCount()) return parent->child(position + 1);
    }
    return nullptr;
}

QTreeWidgetItem* NodeAtIndex(QTreeWidget* tree, int index) {
    if (!tree || index < 0 || tree->topLevelItemCount() == 0) return nullptr;
    QTreeWidgetItem* node = tree->topLevelItem(0);
    for (int i = 0; node && i < index; ++i) node = NextNode(node);
    return node;
}

int IndexOfNode(const QTreeWidgetItem* node) {
    if (!node || !node->treeWidget()) return -1;
    QTreeWidget* tree = node->treeWidget();
    int index = 0;
    for (QTreeWidgetItem* at = NodeAtIndex(tree, 0); at; at = NextNode(at), ++index) {
        if (at == node) return index;
    }
    return -1;
}

std::string NodePath(const QTreeWidgetItem* node) {
    if (!node) return {};
    std::string path = BytesOf(node, kFolderNameRole);
    if (!node->parent()) return path;
    path += '/';
    for (const QTreeWidgetItem* up = node->parent(); up; up = up->parent()) {
        const std::string name = BytesOf(up, kFolderNameRole);
        path = up->parent() ? name + "/" + path : name + path;
    }
    return path;
}

std::string NodePath(QTreeWidget* tree, int index) {
    return NodePath(NodeAtIndex(tree, index));
}

void AddSubfolders(const std::string& path, QTreeWidgetItem* node, Platform& platform, bool& searchAborted) {
    std::error_code error;
    fs::directory_iterator entries(path, fs::directory_options::skip_permission_denied, error);
    if (error) return;
    bool first = true;
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        if (!first) {
            platform.ProcessPendingEvents();
            if (platform.IsEscapeDown()) {
                searchAborted = true;
                return;
            }
        }
        first = false;
        Consider(node, *entries);
    }
}

void SearchFolderTree(QTreeWidgetItem* root, Platform& platform, bool& searchAborted) {
    for (QTreeWidgetItem* node = NextNode(root); node; node = NextNode(node)) {
        if (platform.IsEscapeDown()) searchAborted = true;
        if (searchAborted) return;
        AddSubfolders(NodePath(node), node, platform, searchAborted);
    }
}

void SortFolderTree(QTreeWidgetItem* root) {
    QCollator collator;
    collator.setNumericMode(false);
    std::vector<QTreeWidgetItem*> pending{root};
    while (!pending.empty()) {
        QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        QList<QTreeWidgetItem*> children = node->takeChildren();
        std::stable_sort(children.begin(), children.end(), [&collator](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
            return collator.compare(a->text(0), b->text(0)) < 0;
        });
        node->addChildren(children);
        for (QTreeWidgetItem* child : children) pending.push_back(child);
    }
}

}  // namespace tolvane
