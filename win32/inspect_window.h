// The 点検 (inspect) window: one row per inspected drawing with its errors and warnings under
// the SXF rules and the worst finding, files with errors in red; below, the pens in use over
// the selection, sorted by a header click. The list is copied as text or saved as CSV.
#pragma once

#include <filesystem>
#include <vector>

#include "frontend/inspect_window.h"
#include "frontend/platform.h"
#include "win32/list_view.h"
#include "win32/window.h"

namespace tolvane::win32 {

class InspectWindow : public Window {
public:
    // saveFolder is where the CSV choice starts: the folder of the inspected files.
    InspectWindow(Platform& platform, InspectRunResult result, std::filesystem::path saveFolder);
    ~InspectWindow() override;

    // Made and shown beside its owner, the main window.
    bool Create(HWND owner);

    void CopyButtonClick();
    void SaveButtonClick();
    // Sorts the pens by a column, numbers by their value; the same column again turns the order.
    void PensHeaderClick(int column);
    const InspectRunResult& Result() const { return result_; }
    // The pen shown at a place of its list.
    const PenSummaryRow& PenAt(int place) const { return result_.Pens[penOrder_[static_cast<size_t>(place)]]; }

    HWND Summary = nullptr;
    ListView Files;
    HWND PensLabel = nullptr;
    ListView Pens;
    HWND CopyButton = nullptr;
    HWND SaveButton = nullptr;
    HWND CloseButton = nullptr;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout();
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;

    Platform& platform_;
    InspectRunResult result_;
    std::filesystem::path saveFolder_;
    std::vector<size_t> penOrder_;  // penOrder_[place]: the pen shown there
    int sortColumn_ = -1;
    bool sortDescending_ = false;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
};

}  // namespace tolvane::win32
