// Times the main window listing a folder of many drawings: the folder is chosen through a
// scripted platform, then a click on the tree's root fills the virtual list, which is painted.
// The baseline in the same run is the listing alone (ListFolderFiles, every file probed for its
// version and memo), without a window. The folder is made in a temporary folder from the
// examples, copied under new names. Best of five runs each.
//
//   win32_list_bench.exe [FILES] (TOLVANE_SOURCE_DIR names the source tree, for its examples)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "frontend/file_list.h"
#include "frontend/scripted_platform.h"
#include "settings/conversion_settings.h"
#include "win32/gdiplus_painter.h"
#include "win32/main_window.h"

namespace fs = std::filesystem;
using namespace tolvane;

namespace {

void Pump() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

template <typename Work>
double BestMilliseconds(Work work) {
    double best = 1e30;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int files = argc > 1 ? std::max(1, _wtoi(argv[1])) : 1000;
    const char* source = std::getenv("TOLVANE_SOURCE_DIR");
    std::vector<fs::path> drawings;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(source ? source : ".") / "examples")) {
        const fs::path extension = entry.path().extension();
        if (extension == ".jww" || extension == ".jws") drawings.push_back(entry.path());
    }
    if (drawings.empty()) {
        std::fprintf(stderr, "win32_list_bench: no examples; set TOLVANE_SOURCE_DIR\n");
        return 2;
    }
    std::sort(drawings.begin(), drawings.end());
    const fs::path folder = fs::temp_directory_path() / "tolvane-list-bench";
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    for (int i = 0; i < files; ++i) {
        const fs::path& example = drawings[static_cast<size_t>(i) % drawings.size()];
        wchar_t name[32];
        swprintf(name, 32, L"d%05d", i);
        fs::copy_file(example, folder / (std::wstring(name) + example.extension().wstring()));
    }

    const INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                                                             ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        const win32::GdiplusSession gdiplus;
        ConversionSettings settings;
        ResetConversionSettings(settings);
        testing::ScriptedPlatform platform;
        const ProgramPaths paths{fs::path(L"C:\\"), folder.parent_path() / "tolvane-list-bench.ini",
                                 folder.parent_path() / "tolvane-list-bench-images" / ""};
        win32::TForm1 form(settings, platform, paths);
        form.QuitOnDestroy = false;
        if (!form.Create()) return 1;
        form.FormShow(SW_SHOWNORMAL);
        // The preview would read the first file on its worker; the listing is timed alone.
        SendMessageW(form.Handle(), WM_COMMAND, win32::MnuViewPreview, 0);
        platform.Folders.push_back(folder);
        form.MnuFileSFolderClick();
        while (!form.Session().TreeReady()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
        const double baseline = BestMilliseconds([&] { ListFolderFiles(folder, 0, [] { return false; }); });
        const double listed = BestMilliseconds([&] {
            form.TreeView1Click(form.ItemOf(0));
            UpdateWindow(form.StringGrid1.Handle());
            UpdateWindow(form.StatusBar1.Handle());
        });
        std::printf("%d files listed: %d rows\n", files, form.StringGrid1.RowCount());
        std::printf("ListFolderFiles alone (baseline): %.1f ms\n", baseline);
        std::printf("main window, click to list painted: %.1f ms (%.2f x the baseline)\n", listed, listed / std::max(baseline, 1e-3));
        SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
        Pump();
    }
    fs::remove_all(folder, ignored);
    fs::remove(folder.parent_path() / "tolvane-list-bench.ini", ignored);
    CoUninitialize();
    return 0;
}
