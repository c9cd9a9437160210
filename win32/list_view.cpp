#include "win32/list_view.h"

#include <algorithm>

namespace tolvane::win32 {

bool ListView::Create(HWND parent, int id, bool virtualMode, DWORD extraStyle) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS |
                        (virtualMode ? LVS_OWNERDATA : 0u) | extraStyle;
    hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, 10, 10, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return false;
    ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    return true;
}

void ListView::AddColumn(std::wstring_view title, int width, int format) {
    std::wstring text(title);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = text.data();
    column.iSubItem = ColumnCount();
    SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column.iSubItem), reinterpret_cast<LPARAM>(&column));
}

int ListView::ColumnCount() const {
    const HWND header = ListView_GetHeader(hwnd_);
    return header ? Header_GetItemCount(header) : 0;
}

int ListView::ColumnWidth(int column) const { return ListView_GetColumnWidth(hwnd_, column); }
void ListView::SetColumnWidth(int column, int width) { ListView_SetColumnWidth(hwnd_, column, width); }

void ListView::SetRowCount(int rows) { ListView_SetItemCountEx(hwnd_, rows, LVSICF_NOSCROLL); }
int ListView::RowCount() const { return ListView_GetItemCount(hwnd_); }

std::wstring ListView::Text(int row, int column) const {
    std::wstring text(1024, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = SendMessageW(hwnd_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<size_t>(std::max<LRESULT>(0, length)));
    return text;
}

void ListView::AddRow(const std::vector<std::wstring>& cells) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = RowCount();
    for (size_t column = 0; column < cells.size(); ++column) {
        std::wstring text = cells[column];
        item.iSubItem = static_cast<int>(column);
        item.pszText = text.data();
        if (column == 0)
            item.iItem = static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        else
            SendMessageW(hwnd_, LVM_SETITEMTEXTW, static_cast<WPARAM>(item.iItem), reinterpret_cast<LPARAM>(&item));
    }
}

void ListView::Clear() { ListView_DeleteAllItems(hwnd_); }

std::vector<int> ListView::SelectedRows() const {
    std::vector<int> rows;
    for (int row = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(hwnd_, row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

void ListView::Select(int row, bool selected) {
    ListView_SetItemState(hwnd_, row, selected ? LVIS_SELECTED : 0u, LVIS_SELECTED);
}

int ListView::FocusedRow() const { return ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED); }

void ListView::SetFocusedRow(int row) { ListView_SetItemState(hwnd_, row, LVIS_FOCUSED, LVIS_FOCUSED); }

void ListView::EnsureVisible(int row) { ListView_EnsureVisible(hwnd_, row, FALSE); }

bool ListView::CellRect(int row, int column, RECT& rect) const {
    // Column 0's LVIR_BOUNDS is the whole row; its label rectangle is the cell.
    return ListView_GetSubItemRect(hwnd_, row, column, column == 0 ? LVIR_LABEL : LVIR_BOUNDS, &rect) != FALSE;
}

void ListView::Redraw(int first, int last) { ListView_RedrawItems(hwnd_, first, last); }

bool ListView::HandleNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != hwnd_) return false;
    result = 0;
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
            if ((info.item.mask & LVIF_TEXT) && CellText && info.item.pszText && info.item.cchTextMax > 0) {
                const std::wstring text = CellText(info.item.iItem, info.item.iSubItem);
                const size_t length = std::min(text.size(), static_cast<size_t>(info.item.cchTextMax - 1));
                text.copy(info.item.pszText, length);
                info.item.pszText[length] = L'\0';
            }
            return true;
        }
        case LVN_ODFINDITEMW:
            // Typing in the list finds nothing: the rows are not searched by their first letters.
            result = -1;
            return true;
        case LVN_COLUMNCLICK:
            if (HeaderClicked) HeaderClicked(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            return true;
        default: return false;
    }
}

}  // namespace tolvane::win32
