// The folder tree's control, as a thin wrapper over its messages.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>
#include <commctrl.h>

namespace tolvane::win32 {

class TreeView {
public:
    bool Create(HWND parent, int id);
    HWND Handle() const { return hwnd_; }

    HTREEITEM Add(HTREEITEM parent, std::wstring_view text);
    void Clear();
    int Count() const;
    HTREEITEM Root() const;
    HTREEITEM Selected() const;
    void Select(HTREEITEM item);
    HTREEITEM Parent(HTREEITEM item) const;
    HTREEITEM FirstChild(HTREEITEM item) const;
    HTREEITEM NextSibling(HTREEITEM item) const;
    std::wstring Text(HTREEITEM item) const;
    void Expand(HTREEITEM item);

private:
    HWND hwnd_ = nullptr;
};

}  // namespace tolvane::win32
