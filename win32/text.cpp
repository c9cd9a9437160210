#include "win32/text.h"

#include <limits>

namespace tolvane::win32 {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return {};
    const int length = static_cast<int>(utf8.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty() || wide.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return {};
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string WindowTextUtf8(HWND window) { return Utf8(WindowText(window)); }

void SetWindowTextUtf8(HWND window, std::string_view utf8) { SetWindowTextW(window, Wide(utf8).c_str()); }

}  // namespace tolvane::win32
