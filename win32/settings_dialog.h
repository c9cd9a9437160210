// The settings dialog: edits copies of the conversion settings in its controls and stores them
// back only on OK. Its handlers read the controls into DialogValues, hand them to the
// frontend's SettingsDialogLogic and show what comes back. The two tables are virtual list
// views over the dialog's cell texts, edited in place.
#pragma once

#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "frontend/settings_dialog.h"
#include "win32/grid_edit.h"
#include "win32/list_view.h"
#include "win32/window.h"

namespace tolvane::win32 {

class TForm3 : public Window {
public:
    TForm3(ConversionSettings& settings, Platform& platform);
    ~TForm3() override;

    // Made hidden, owned by the main window.
    bool Create(HWND owner);
    // Fills the controls, shows the dialog and runs its loop until OK or Cancel; true after OK.
    bool ShowModal();

    // Fills the controls from the stored settings; runs every time the dialog is shown.
    void FormShow();
    void Button1Click();  // colour of the selected rows
    void Button5Click();  // width of the selected rows
    void Button2Click();  // line type of the selected rows
    void Button3Click();  // OK
    void Button4Click();  // Cancel
    void Button6Click();  // save the controls to a settings file
    void Button7Click();  // fill the controls from a settings file
    // Shows a rule that changes nothing in a rule row.
    void ResetRuleRow(int row);

    DialogValues ReadValues() const;
    void ShowValues(const DialogValues& values);
    // Only the cells of the two grids.
    void ShowTables(const DialogValues& values);
    int Page() const;
    void SetPage(int page);
    bool Accepted() const { return accepted_; }

    struct TFram {
        HWND CheckBox1 = nullptr;
        HWND CB1 = nullptr;
        HWND CB2 = nullptr;
        HWND Label1 = nullptr;
        HWND Edit1 = nullptr;
        HWND Edit2 = nullptr;
        HWND Edit3 = nullptr;
        // The target fields 1..3: colour, line type, width.
        HWND TargetField(int field) const { return field == 1 ? Edit1 : field == 2 ? Edit2 : Edit3; }
    };

    HWND PageControl1 = nullptr;
    ListView StringGrid1;
    ListView StringGrid2;
    GridEditor Grid1Editor;
    GridEditor Grid2Editor;
    HWND Edit1 = nullptr, Edit2 = nullptr, Edit3 = nullptr;
    HWND Button1 = nullptr, Button2 = nullptr, Button3 = nullptr, Button4 = nullptr, Button5 = nullptr,
         Button6 = nullptr, Button7 = nullptr;
    std::array<HWND, kOptionCount> CheckBox{};
    std::array<TFram, kRuleCount> Fram{};
    // Why the last value was refused: the beep alone is not heard on many machines.
    HWND Label18 = nullptr;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Placed {
        HWND Window;
        RECT Design;  // 96-DPI pixels, relative to its page (or to the dialog)
        int Page;     // -1: below the pages
    };

    HWND Make(const wchar_t* className, std::string_view text, DWORD style, int id, RECT design, int page);
    void CreateIndividualPage();
    void CreateCombinedPage();
    void CreateCommonControls();
    void FillRuleLists(int row);
    void Layout(UINT dpi);
    void ShowPageControls();
    void CommitEdits();
    void SetRangeFrom(HWND input, ListView& grid, RangeTarget target);
    std::pair<int, int> SelectedRows(const ListView& grid) const;
    DialogValues CommitAndRead();
    void ShowStep(const DialogStep& step);
    void Close(bool accepted);
    std::wstring CellText(int grid, int row, int column) const;

    SettingsDialogLogic logic_;
    HWND owner_ = nullptr;
    std::vector<Placed> placed_;
    DialogValues cells_;  // what the grids show
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HIMAGELIST rowHeight_ = nullptr;
    UINT dpi_ = 96;
    bool done_ = false;
    bool accepted_ = false;
};

}  // namespace tolvane::win32
