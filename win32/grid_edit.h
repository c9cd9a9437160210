// Editing the cells of a virtual list view in place, for the settings dialog's tables: an
// edit control laid over the current cell. The list keeps a current column beside its
// current row (Left and Right move it, a click sets it); F2, a double click or a typed
// character opens the edit, Enter or leaving it keeps the text, Escape drops it, Up and Down
// keep it and move a row.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

#include "win32/list_view.h"

namespace tolvane::win32 {

class GridEditor {
public:
    // Cells from firstEditableColumn on can be edited; Get and Set read and store a cell.
    void Attach(ListView& list, int firstEditableColumn, std::function<std::wstring(int row, int column)> get,
                std::function<void(int row, int column, const std::wstring& text)> set);

    // Opens the edit on the cell with its text, or with the given text.
    bool Begin(int row, int column);
    bool Begin(int row, int column, const std::wstring& text);
    // Keeps what was typed; false when no edit was open.
    bool Commit();
    void Cancel();
    bool Editing() const { return edit_ != nullptr; }
    HWND Edit() const { return edit_; }

    int CurrentRow() const;
    int CurrentColumn() const { return column_; }
    // Makes the cell current: its row focused and selected alone, shown.
    void GoToCell(int row, int column);

    // The list's notifications (clicks, custom draw of the current cell); from the parent's
    // WM_NOTIFY, after ListView::HandleNotify.
    bool HandleNotify(const NMHDR& header, LRESULT& result);

private:
    static LRESULT CALLBACK ListProcedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK EditProcedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void MoveColumn(int step);

    ListView* list_ = nullptr;
    int firstEditable_ = 1;
    int column_ = 1;
    int editRow_ = -1;
    int editColumn_ = -1;
    HWND edit_ = nullptr;
    std::function<std::wstring(int, int)> get_;
    std::function<void(int, int, const std::wstring&)> set_;
};

}  // namespace tolvane::win32
