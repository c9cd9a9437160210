// The status bar, as a thin wrapper: one part for every status message, or several parts
// side by side (the status, then what a run is doing).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

namespace tolvane::win32 {

class StatusBar {
public:
    bool Create(HWND parent, int id);
    HWND Handle() const { return hwnd_; }
    // The parts by their widths in pixels; the first takes what the others leave.
    void SetParts(const std::vector<int>& fixedWidths);
    void SetText(std::wstring_view text, int part = 0);
    std::wstring Text(int part = 0) const;
    // The tip shown when the pointer rests on a part.
    void SetTip(std::wstring_view text, int part = 0);
    RECT PartRect(int part) const;
    // Follows the parent's new size; answers the bar's height.
    int Resize();

private:
    HWND hwnd_ = nullptr;
    std::vector<int> widths_;
};

}  // namespace tolvane::win32
