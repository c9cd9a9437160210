#include "win32/status_bar.h"

#include <commctrl.h>

namespace tolvane::win32 {

bool StatusBar::Create(HWND parent, int id) {
    hwnd_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    // One part over the whole width.
    int right = -1;
    if (hwnd_) SendMessageW(hwnd_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
    return hwnd_ != nullptr;
}

void StatusBar::SetText(std::wstring_view text) {
    const std::wstring copy(text);
    SendMessageW(hwnd_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

std::wstring StatusBar::Text() const {
    const auto length = LOWORD(SendMessageW(hwnd_, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(hwnd_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

int StatusBar::Resize() {
    SendMessageW(hwnd_, WM_SIZE, 0, 0);
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    return rect.bottom - rect.top;
}

}  // namespace tolvane::win32
