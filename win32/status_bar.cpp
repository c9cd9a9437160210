#include "win32/status_bar.h"

#include <algorithm>

#include <commctrl.h>

namespace tolvane::win32 {

bool StatusBar::Create(HWND parent, int id) {
    hwnd_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP | SBARS_TOOLTIPS,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                            nullptr);
    if (hwnd_) SetParts({});
    return hwnd_ != nullptr;
}

void StatusBar::SetParts(const std::vector<int>& fixedWidths) {
    widths_ = fixedWidths;
    RECT client{};
    GetClientRect(hwnd_, &client);
    std::vector<int> rights(widths_.size() + 1);
    int right = client.right;
    for (size_t i = widths_.size(); i > 0; --i) {
        rights[i] = right;
        right = std::max(0, right - widths_[i - 1]);
    }
    rights[0] = right;
    rights.back() = -1;  // the last part reaches the edge
    SendMessageW(hwnd_, SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
}

void StatusBar::SetText(std::wstring_view text, int part) {
    const std::wstring copy(text);
    SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(copy.c_str()));
}

std::wstring StatusBar::Text(int part) const {
    const auto length = LOWORD(SendMessageW(hwnd_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(hwnd_, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void StatusBar::SetTip(std::wstring_view text, int part) {
    const std::wstring copy(text);
    SendMessageW(hwnd_, SB_SETTIPTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(copy.c_str()));
}

RECT StatusBar::PartRect(int part) const {
    RECT rect{};
    SendMessageW(hwnd_, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

int StatusBar::Resize() {
    SendMessageW(hwnd_, WM_SIZE, 0, 0);
    SetParts(widths_);
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    return rect.bottom - rect.top;
}

}  // namespace tolvane::win32
