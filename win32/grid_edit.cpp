#include "win32/grid_edit.h"

#include <algorithm>

#include <commctrl.h>

namespace tolvane::win32 {

void GridEditor::Attach(ListView& list, int firstEditableColumn, std::function<std::wstring(int, int)> get,
                        std::function<void(int, int, const std::wstring&)> set) {
    list_ = &list;
    firstEditable_ = column_ = firstEditableColumn;
    get_ = std::move(get);
    set_ = std::move(set);
    SetWindowSubclass(list.Handle(), &GridEditor::ListProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
}

int GridEditor::CurrentRow() const { return list_ ? list_->FocusedRow() : -1; }

bool GridEditor::Begin(int row, int column) {
    return get_ && Begin(row, column, get_(row, column));
}

bool GridEditor::Begin(int row, int column, const std::wstring& text) {
    if (!list_ || row < 0 || row >= list_->RowCount() || column < firstEditable_ || column >= list_->ColumnCount())
        return false;
    Commit();
    GoToCell(row, column);
    RECT cell{};
    if (!list_->CellRect(row, column, cell)) return false;
    edit_ = CreateWindowExW(0, WC_EDITW, text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, cell.left,
                            cell.top, cell.right - cell.left, cell.bottom - cell.top, list_->Handle(), nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!edit_) return false;
    editRow_ = row;
    editColumn_ = column;
    SendMessageW(edit_, WM_SETFONT, SendMessageW(list_->Handle(), WM_GETFONT, 0, 0), TRUE);
    SetWindowSubclass(edit_, &GridEditor::EditProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
    SetFocus(edit_);
    const auto length = static_cast<LPARAM>(text.size());
    SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(length), length);
    return true;
}

bool GridEditor::Commit() {
    if (!edit_) return false;
    const HWND edit = edit_;
    edit_ = nullptr;  // the focus change below comes back here
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    if (set_) set_(editRow_, editColumn_, text);
    const bool hadFocus = GetFocus() == edit;
    DestroyWindow(edit);
    if (hadFocus) SetFocus(list_->Handle());
    list_->Redraw(editRow_, editRow_);
    return true;
}

void GridEditor::Cancel() {
    if (!edit_) return;
    const HWND edit = edit_;
    edit_ = nullptr;
    const bool hadFocus = GetFocus() == edit;
    DestroyWindow(edit);
    if (hadFocus) SetFocus(list_->Handle());
}

void GridEditor::GoToCell(int row, int column) {
    if (!list_) return;
    column_ = std::clamp(column, firstEditable_, std::max(firstEditable_, list_->ColumnCount() - 1));
    ListView_SetItemState(list_->Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list_->Handle(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(list_->Handle(), row);
    list_->EnsureVisible(row);
    InvalidateRect(list_->Handle(), nullptr, FALSE);
}

void GridEditor::MoveColumn(int step) {
    column_ = std::clamp(column_ + step, firstEditable_, std::max(firstEditable_, list_->ColumnCount() - 1));
    InvalidateRect(list_->Handle(), nullptr, FALSE);
}

bool GridEditor::HandleNotify(const NMHDR& header, LRESULT& result) {
    if (!list_ || header.hwndFrom != list_->Handle()) return false;
    switch (header.code) {
        case NM_CLICK:
        case NM_DBLCLK: {
            const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
            LVHITTESTINFO hit{};
            hit.pt = activate.ptAction;
            if (ListView_SubItemHitTest(list_->Handle(), &hit) >= 0 && hit.iSubItem >= firstEditable_) {
                column_ = hit.iSubItem;
                InvalidateRect(list_->Handle(), nullptr, FALSE);
                if (header.code == NM_DBLCLK) Begin(hit.iItem, hit.iSubItem);
            }
            result = 0;
            return true;
        }
        case NM_CUSTOMDRAW: {
            auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header));
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
                result = CDRF_NOTIFYITEMDRAW;
            } else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                result = CDRF_NOTIFYSUBITEMDRAW;
            } else if (draw.nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
                // The current cell stands out from its selected row; the names column looks fixed.
                const int row = static_cast<int>(draw.nmcd.dwItemSpec);
                const bool current = row == list_->FocusedRow() && draw.iSubItem == column_;
                if (draw.iSubItem < firstEditable_) {
                    draw.clrTextBk = GetSysColor(COLOR_BTNFACE);
                    draw.clrText = GetSysColor(COLOR_BTNTEXT);
                    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
                } else if (current) {
                    draw.clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
                    draw.clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
                    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
                } else {
                    const bool selected = ListView_GetItemState(list_->Handle(), row, LVIS_SELECTED) != 0;
                    draw.clrTextBk = selected ? RGB(0xCC, 0xE4, 0xF7) : GetSysColor(COLOR_WINDOW);
                    draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
                    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
                }
                result = CDRF_NEWFONT;
            } else {
                result = CDRF_DODEFAULT;
            }
            return true;
        }
        case LVN_BEGINSCROLL:
            Commit();
            result = 0;
            return true;
        default: return false;
    }
}

LRESULT CALLBACK GridEditor::ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    auto* self = reinterpret_cast<GridEditor*>(data);
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_LEFT || wParam == VK_RIGHT) {
                self->MoveColumn(wParam == VK_LEFT ? -1 : 1);
                return 0;
            }
            if (wParam == VK_F2) {
                self->Begin(self->CurrentRow(), self->column_);
                return 0;
            }
            break;
        case WM_CHAR:
            // A typed number opens the edit with what was typed.
            if (wParam > L' ' && wParam != 0x7F && self->CurrentRow() >= 0) {
                self->Begin(self->CurrentRow(), self->column_, std::wstring(1, static_cast<wchar_t>(wParam)));
                return 0;
            }
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(window, &GridEditor::ListProcedure, 1); break;
        default: break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK GridEditor::EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    auto* self = reinterpret_cast<GridEditor*>(data);
    switch (message) {
        case WM_GETDLGCODE:
            // Enter and Escape end the edit, not the dialog.
            return DLGC_WANTALLKEYS | DefSubclassProc(window, message, wParam, lParam);
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                self->Commit();
                return 0;
            }
            if (wParam == VK_ESCAPE) {
                self->Cancel();
                return 0;
            }
            if (wParam == VK_UP || wParam == VK_DOWN) {
                const int row = self->editRow_ + (wParam == VK_UP ? -1 : 1);
                self->Commit();
                if (row >= 0 && row < self->list_->RowCount()) self->GoToCell(row, self->column_);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == L'\r' || wParam == 27) return 0;
            break;
        case WM_KILLFOCUS:
            if (self->edit_ == window) {
                self->Commit();  // destroys this window
                return 0;
            }
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(window, &GridEditor::EditProcedure, 1); break;
        default: break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace tolvane::win32
