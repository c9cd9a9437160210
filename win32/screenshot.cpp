// The shared part of the GUI tests: message pumping, example files, screenshots; and their
// main, which prepares the common controls, COM and GDI+ as the program's entry does.
#include <cstdlib>

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include "win32/gdiplus_painter.h"
#include "win32/gui_test_support.h"

namespace tolvane::win32::testing {

void PumpMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, int seconds) {
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (!done()) {
        if (static_cast<LONG>(GetTickCount() - deadline) > 0) return false;
        // Work posted by a worker arrives as a message; a short wait lets it come.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

std::filesystem::path ExamplesFolder() {
    const char* source = std::getenv("TOLVANE_SOURCE_DIR");
    return std::filesystem::path(source ? source : ".") / "examples";
}

// PrintWindow would be the tool, but Wine's paints neither the frame nor the child windows;
// the pixels are copied from the window's own device context instead, once it is painted.
Capture CaptureWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    RECT bounds{};
    GetWindowRect(window, &bounds);
    Capture capture;
    capture.Width = bounds.right - bounds.left;
    capture.Height = bounds.bottom - bounds.top;
    if (capture.Width <= 0 || capture.Height <= 0) return capture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.Width;
    info.bmiHeader.biHeight = -capture.Height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC source = GetWindowDC(window);
    const HDC memory = CreateCompatibleDC(source);
    const HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.Width, capture.Height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    capture.Pixels.assign(pixels, pixels + static_cast<size_t>(capture.Width) * static_cast<size_t>(capture.Height));
    for (uint32_t& pixel : capture.Pixels) pixel &= 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return capture;
}

namespace {

bool PngEncoder(CLSID& encoder) {
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (size == 0) return false;
    std::vector<unsigned char> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == L"image/png") {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

void SaveScreenshot(HWND window, const char* name) {
    const char* folder = std::getenv("TOLVANE_SCREENSHOT_DIR");
    if (!folder) return;
    UpdateWindow(window);
    PumpMessages();
    Capture capture = CaptureWindow(window);
    if (capture.Pixels.empty()) return;
    for (uint32_t& pixel : capture.Pixels) pixel |= 0xFF000000;
    Gdiplus::Bitmap bitmap(capture.Width, capture.Height, capture.Width * 4, PixelFormat32bppARGB,
                           reinterpret_cast<BYTE*>(capture.Pixels.data()));
    CLSID encoder{};
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = std::filesystem::path(folder) / (std::string(name) + ".png");
    ASSERT_TRUE(PngEncoder(encoder));
    EXPECT_EQ(bitmap.Save(file.c_str(), &encoder, nullptr), Gdiplus::Ok) << file.string();
}

}  // namespace tolvane::win32::testing

int wmain(int argc, wchar_t** argv) {
    const INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX),
                                           ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                               ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const tolvane::win32::GdiplusSession gdiplus;
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    CoUninitialize();
    return status;
}
