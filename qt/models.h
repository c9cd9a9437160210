// The rows of the file list and the nodes of the folder tree as Qt models over the session's
// data; the list sorts through a proxy by the frontend's order, so that the selection stays
// with its files.
#pragma once

#include <vector>

#include <QAbstractItemModel>
#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QTableView>

#include "formats/file_probes.h"
#include "frontend/folder_tree.h"

namespace tolvane {

class FileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;
    void SetRows(const std::vector<FileListRow>* rows);
    const FileListRow* RowAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<FileListRow>* rows_ = nullptr;
};

// Sorts by CompareFileRows; column -1 is the order of the listing.
class FileListProxy : public QSortFilterProxyModel {
    Q_OBJECT

public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

// Home and End go to the first and the last file, not to the first and last column.
class FileListView : public QTableView {
    Q_OBJECT

public:
    using QTableView::QTableView;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

// A node's internal id is its index in the FolderTree.
class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    using QAbstractItemModel::QAbstractItemModel;
    void SetTree(const FolderTree* tree);
    QModelIndex IndexOf(int node) const;
    static int NodeOf(const QModelIndex& index) { return index.isValid() ? static_cast<int>(index.internalId()) : -1; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const FolderNode* Node(int node) const;
    const FolderTree* tree_ = nullptr;
};

}  // namespace tolvane
