// The program entry: the main window and the settings dialog, and the message loop until the
// main window closes.
//
// With TOLVANE_EXIT_AFTER_SHOW=1 the program writes the main window's title and the time from
// the start of the process to the window's first paint to standard output, and closes the
// window again (the normal end, with the state file written): the start-up measurement uses it.
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "settings/conversion_settings.h"
#include "win32/gdiplus_painter.h"
#include "win32/main_window.h"
#include "win32/platform.h"
#include "win32/text.h"

namespace {

// Milliseconds since the process was created.
double SinceProcessStart() {
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    const INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX),
                                           ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                               ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The system's file dialogs are COM objects of a single-threaded apartment.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const tolvane::win32::GdiplusSession gdiplus;

    tolvane::ConversionSettings settings;
    tolvane::ResetConversionSettings(settings);
    tolvane::win32::TForm1 form(settings, tolvane::win32::SystemPlatform(), tolvane::win32::WindowsProgramPaths());
    if (!form.Create()) return 1;
    form.FormShow(showCommand);

    const wchar_t* exitAfterShow = _wgetenv(L"TOLVANE_EXIT_AFTER_SHOW");
    if (exitAfterShow && std::wcscmp(exitAfterShow, L"1") == 0) {
        UpdateWindow(form.Handle());
        std::printf("%s\nshown after %.0f ms\n", tolvane::win32::WindowTextUtf8(form.Handle()).c_str(), SinceProcessStart());
        std::fflush(stdout);
        PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    }
    const bool measuring = exitAfterShow && std::wcscmp(exitAfterShow, L"1") == 0;
    const int status = tolvane::win32::RunMessageLoop(form.Handle(), form.Accelerators);
    if (measuring) std::printf("closed after %.0f ms\n", SinceProcessStart());
    CoUninitialize();
    return status;
}
