// Text at the boundary of the wide Windows API: the libraries below hold UTF-8, every window
// takes and gives UTF-16.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

namespace tolvane::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// A window's text (an edit field, a label) in UTF-16 and in UTF-8.
std::wstring WindowText(HWND window);
std::string WindowTextUtf8(HWND window);
void SetWindowTextUtf8(HWND window, std::string_view utf8);

}  // namespace tolvane::win32
