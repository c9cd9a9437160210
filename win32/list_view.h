// A report-mode list view, as a thin wrapper over the control's messages. In virtual mode
// (LVS_OWNERDATA) it holds no text: it asks CellText for each cell it shows, so that a list
// of thousands of rows appears at once and the rows stay in the model that owns them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>
#include <commctrl.h>

namespace tolvane::win32 {

class ListView {
public:
    bool Create(HWND parent, int id, bool virtualMode, DWORD extraStyle = 0);
    HWND Handle() const { return hwnd_; }

    void AddColumn(std::wstring_view title, int width, int format = LVCFMT_LEFT);
    int ColumnCount() const;
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);

    // Virtual mode: the number of rows; the cells come from CellText.
    void SetRowCount(int rows);
    int RowCount() const;
    // The text of a cell as the control gives it (LVM_GETITEMTEXTW).
    std::wstring Text(int row, int column) const;
    // Rows added with their texts (not in virtual mode).
    void AddRow(const std::vector<std::wstring>& cells);
    void Clear();

    std::vector<int> SelectedRows() const;
    void Select(int row, bool selected);
    int FocusedRow() const;
    void SetFocusedRow(int row);
    void EnsureVisible(int row);
    bool CellRect(int row, int column, RECT& rect) const;
    void Redraw(int first, int last);

    // For virtual mode; the text is cut to the control's buffer.
    std::function<std::wstring(int row, int column)> CellText;
    std::function<void(int column)> HeaderClicked;

    // The parent hands every WM_NOTIFY here; true when it was this list's.
    bool HandleNotify(const NMHDR& header, LRESULT& result);

private:
    HWND hwnd_ = nullptr;
};

}  // namespace tolvane::win32
