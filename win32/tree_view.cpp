#include "win32/tree_view.h"

namespace tolvane::win32 {

bool TreeView::Create(HWND parent, int id) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                        TVS_SHOWSELALWAYS;
    hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, 0, 0, 10, 10, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd_) TreeView_SetIndent(hwnd_, 19);
    return hwnd_ != nullptr;
}

HTREEITEM TreeView::Add(HTREEITEM parent, std::wstring_view text) {
    std::wstring copy(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = copy.data();
    return reinterpret_cast<HTREEITEM>(SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TreeView::Clear() { TreeView_DeleteAllItems(hwnd_); }
int TreeView::Count() const { return static_cast<int>(TreeView_GetCount(hwnd_)); }
HTREEITEM TreeView::Root() const { return TreeView_GetRoot(hwnd_); }
HTREEITEM TreeView::Selected() const { return TreeView_GetSelection(hwnd_); }
void TreeView::Select(HTREEITEM item) { TreeView_SelectItem(hwnd_, item); }
HTREEITEM TreeView::Parent(HTREEITEM item) const { return TreeView_GetParent(hwnd_, item); }
HTREEITEM TreeView::FirstChild(HTREEITEM item) const { return TreeView_GetChild(hwnd_, item); }
HTREEITEM TreeView::NextSibling(HTREEITEM item) const { return TreeView_GetNextSibling(hwnd_, item); }
void TreeView::Expand(HTREEITEM item) { TreeView_Expand(hwnd_, item, TVE_EXPAND); }

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

}  // namespace tolvane::win32
