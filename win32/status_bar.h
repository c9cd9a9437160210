// The status bar: one text for every status message, as a thin wrapper.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

namespace tolvane::win32 {

class StatusBar {
public:
    bool Create(HWND parent, int id);
    HWND Handle() const { return hwnd_; }
    void SetText(std::wstring_view text);
    std::wstring Text() const;
    // Follows the parent's new size; answers the bar's height.
    int Resize();

private:
    HWND hwnd_ = nullptr;
};

}  // namespace tolvane::win32
