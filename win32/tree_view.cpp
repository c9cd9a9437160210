#include "win32/tree_view.h"

#include <windowsx.h>

namespace tolvane::win32 {

TreeView::~TreeView() {
    if (hwnd_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, &TreeView::Procedure, 1);
}

bool TreeView::Create(HWND parent, int id) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                        TVS_SHOWSELALWAYS;
    hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, 0, 0, 10, 10, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return false;
    TreeView_SetIndent(hwnd_, 19);
    SetWindowSubclass(hwnd_, &TreeView::Procedure, 1, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

LRESULT CALLBACK TreeView::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<TreeView*>(data);
    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) && self->ItemClicked) {
        TVHITTESTINFO hit{};
        hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const HTREEITEM item = TreeView_HitTest(window, &hit);
        // The buttons that open and close a branch keep their own meaning.
        if (item && (hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON))) {
            SetFocus(window);
            self->ItemClicked(item);
            return 0;
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

HTREEITEM TreeView::Add(HTREEITEM parent, std::wstring_view text, LPARAM data) {
    std::wstring copy(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = copy.data();
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TreeView::Clear() { TreeView_DeleteAllItems(hwnd_); }
int TreeView::Count() const { return static_cast<int>(TreeView_GetCount(hwnd_)); }
HTREEITEM TreeView::Root() const { return TreeView_GetRoot(hwnd_); }
HTREEITEM TreeView::Selected() const { return TreeView_GetSelection(hwnd_); }
void TreeView::Select(HTREEITEM item) { TreeView_SelectItem(hwnd_, item); }
HTREEITEM TreeView::FirstChild(HTREEITEM item) const { return TreeView_GetChild(hwnd_, item); }
HTREEITEM TreeView::NextSibling(HTREEITEM item) const { return TreeView_GetNextSibling(hwnd_, item); }
void TreeView::Expand(HTREEITEM item) { TreeView_Expand(hwnd_, item, TVE_EXPAND); }
bool TreeView::ItemRect(HTREEITEM item, RECT& rect) const { return TreeView_GetItemRect(hwnd_, item, &rect, TRUE) != FALSE; }

std::wstring TreeView::Text(HTREEITEM item) const {
    std::wstring text(MAX_PATH * 4, L'\0');
    TVITEMW query{};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = text.data();
    query.cchTextMax = static_cast<int>(text.size());
    if (!SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return {};
    text.resize(wcslen(text.c_str()));
    return text;
}

LPARAM TreeView::Data(HTREEITEM item) const {
    TVITEMW query{};
    query.mask = TVIF_PARAM;
    query.hItem = item;
    if (!item || !SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return -1;
    return query.lParam;
}

}  // namespace tolvane::win32
