#include "win32/ui_font.h"

namespace tolvane::win32 {

namespace {

int CALLBACK FoundFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool Installed(const wchar_t* face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    const HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &query, &FoundFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

}  // namespace

const std::wstring& UiFontFace() {
    static const std::wstring face = [] {
        for (const wchar_t* candidate : {L"Yu Gothic UI", L"Meiryo UI"})
            if (Installed(candidate)) return std::wstring(candidate);
        return std::wstring(L"MS UI Gothic");
    }();
    return face;
}

HFONT CreateUiFont(UINT dpi, int points, bool bold) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(points, static_cast<int>(dpi), 72);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(font.lfFaceName, UiFontFace().c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

UINT WindowDpi(HWND window) {
    const UINT dpi = window ? GetDpiForWindow(window) : 0;
    if (dpi) return dpi;
    const HDC screen = GetDC(nullptr);
    const int system = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return system > 0 ? static_cast<UINT>(system) : 96u;
}

void SetChildFonts(HWND parent, HFONT font) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

}  // namespace tolvane::win32
