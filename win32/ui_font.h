// The fonts and sizes of the windows: the Japanese UI font of Windows at the DPI of the
// window's monitor, and design pixels (96 DPI) scaled to it.
#pragma once

#include <string>

#include <windows.h>

namespace tolvane::win32 {

// The first of "Yu Gothic UI", "Meiryo UI" and "MS UI Gothic" that is installed; the last
// when none is (the font mapper then picks the nearest).
const std::wstring& UiFontFace();
// The UI font at 9 points (or the given size) for the DPI; the caller deletes it.
HFONT CreateUiFont(UINT dpi, int points = 9, bool bold = false);
UINT WindowDpi(HWND window);
inline int Scale(int designPixels, UINT dpi) { return MulDiv(designPixels, static_cast<int>(dpi), 96); }
// Every child window (not the grandchildren) gets the font.
void SetChildFonts(HWND parent, HFONT font);

}  // namespace tolvane::win32
