// The results of a conversion run, file by file in the order of the selection, failures in
// red: the frontend's rows in a list view; the list copied to the clipboard as text or saved
// as CSV, and the destination folder opened.
#pragma once

#include <functional>

#include "frontend/conversion_run.h"
#include "frontend/platform.h"
#include "win32/list_view.h"
#include "win32/window.h"

namespace tolvane::win32 {

class ResultsWindow : public Window {
public:
    // openFolder opens the destination folder (and says so when nothing can).
    ResultsWindow(Platform& platform, RunResults results, std::function<void()> openFolder);
    ~ResultsWindow() override;

    // Made and shown beside its owner, the main window.
    bool Create(HWND owner);

    void CopyButtonClick();
    void SaveButtonClick();
    const RunResults& Results() const { return results_; }

    HWND Summary = nullptr;
    ListView Table;
    HWND CopyButton = nullptr;
    HWND SaveButton = nullptr;
    HWND OpenFolderButton = nullptr;
    HWND CloseButton = nullptr;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout();
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;

    Platform& platform_;
    RunResults results_;
    std::function<void()> openFolder_;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
};

}  // namespace tolvane::win32
