#include "qt/models.h"

#include <QApplication>
#include <QStyle>

#include "frontend/file_list.h"
#include "qt/qt_text.h"

namespace tolvane {

void FileListModel::SetRows(const std::vector<FileListRow>* rows) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

const FileListRow* FileListModel::RowAt(int row) const {
    return rows_ && row >= 0 && row < static_cast<int>(rows_->size()) ? &(*rows_)[static_cast<size_t>(row)] : nullptr;
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !rows_ ? 0 : static_cast<int>(rows_->size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFileListColumns;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    const FileListRow* row = RowAt(index.row());
    if (!row) return {};
    if (role == Qt::DisplayRole) return ToQString(CellText(*row, index.column()));
    if (role == Qt::TextAlignmentRole && index.column() == kSizeColumn) return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kFileListColumns) return {};
    if (role == Qt::DisplayRole) return ToQString(kFileListHeaders[static_cast<size_t>(section)]);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

bool FileListProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const auto* model = static_cast<const FileListModel*>(sourceModel());
    const FileListRow* a = model->RowAt(left.row());
    const FileListRow* b = model->RowAt(right.row());
    return a && b && CompareFileRows(*a, *b, left.column()) < 0;
}

QModelIndex FileListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const int rows = model() ? model()->rowCount() : 0;
    if ((action == MoveHome || action == MoveEnd) && rows > 0)
        return model()->index(action == MoveHome ? 0 : rows - 1, std::max(0, currentIndex().column()));
    return QTableView::moveCursor(action, modifiers);
}

void FolderTreeModel::SetTree(const FolderTree* tree) {
    beginResetModel();
    tree_ = tree;
    endResetModel();
}

const FolderNode* FolderTreeModel::Node(int node) const {
    return tree_ && tree_->Contains(node) ? &tree_->Nodes[static_cast<size_t>(node)] : nullptr;
}

QModelIndex FolderTreeModel::IndexOf(int node) const {
    const FolderNode* at = Node(node);
    if (!at) return {};
    if (at->Parent < 0) return createIndex(0, 0, quintptr(0));
    const std::vector<int>& siblings = Node(at->Parent)->Children;
    const auto place = std::find(siblings.begin(), siblings.end(), node);
    return createIndex(static_cast<int>(place - siblings.begin()), 0, quintptr(node));
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) return row == 0 && Node(0) ? createIndex(0, 0, quintptr(0)) : QModelIndex();
    const FolderNode* node = Node(NodeOf(parent));
    if (!node || row >= static_cast<int>(node->Children.size())) return {};
    return createIndex(row, 0, quintptr(node->Children[static_cast<size_t>(row)]));
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const FolderNode* node = Node(NodeOf(child));
    return node ? IndexOf(node->Parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return Node(0) ? 1 : 0;
    const FolderNode* node = Node(NodeOf(parent));
    return node ? static_cast<int>(node->Children.size()) : 0;
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    if (!Node(NodeOf(index))) return {};
    if (role == Qt::DisplayRole) return ToQString(tree_->TextOf(NodeOf(index)));
    if (role == Qt::DecorationRole) return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    return {};
}

}  // namespace tolvane
