// The folder tree's control, as a thin wrapper over its messages. Each item carries a number
// (the index of its folder). A click on an item is handed to ItemClicked instead of selecting
// it: the handler decides, so that a refused click moves nothing. The keyboard moves the
// selection as usual.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <windows.h>
#include <commctrl.h>

namespace tolvane::win32 {

class TreeView {
public:
    ~TreeView();
    bool Create(HWND parent, int id);
    HWND Handle() const { return hwnd_; }

    HTREEITEM Add(HTREEITEM parent, std::wstring_view text, LPARAM data);
    void Clear();
    int Count() const;
    HTREEITEM Root() const;
    HTREEITEM Selected() const;
    void Select(HTREEITEM item);
    HTREEITEM FirstChild(HTREEITEM item) const;
    HTREEITEM NextSibling(HTREEITEM item) const;
    std::wstring Text(HTREEITEM item) const;
    LPARAM Data(HTREEITEM item) const;
    void Expand(HTREEITEM item);
    bool ItemRect(HTREEITEM item, RECT& rect) const;

    // A left click on an item's text or icon.
    std::function<void(HTREEITEM item)> ItemClicked;

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HWND hwnd_ = nullptr;
};

}  // namespace tolvane::win32
