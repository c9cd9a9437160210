// The main window: the search folder and the folder tree on the left; the filter, the
// destination folder and the buttons above the file list; the preview beside the list; the
// status bar below, with the progress of a run and its stop button.
//
// Controls and wiring only: every handler hands what the user did to the frontend's
// MainSession, which decides, and the window shows what the session tells it (MainView).
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "frontend/main_session.h"
#include "win32/list_view.h"
#include "win32/preview_pane.h"
#include "win32/results_window.h"
#include "win32/settings_dialog.h"
#include "win32/status_bar.h"
#include "win32/tree_view.h"
#include "win32/window.h"

namespace tolvane::win32 {

// Where the program keeps its files on Windows: tolvane.ini and TEMP\ in the program's folder
// when it is writable, else under %APPDATA% and %LOCALAPPDATA% (conversion/app_paths.h).
ProgramPaths WindowsProgramPaths();

// Menu, accelerator and control identifiers, for the handlers and the tests.
enum Command : int {
    MnuFileSFolder = 1001,
    MnuFileType0,
    MnuFileType1,
    MnuFileType2,
    MnuFileType3,
    MnuFileSave,
    MnuExit,
    MnuSetJWW,
    MnuSetSave,
    MnuSetOpen,
    MnuViewPreview,
    MnuViewResults,
    EscapeKey,
    Edit1Id = 2001,
    TreeView1Id,
    ComboBox1Id,
    Button1Id,
    Edit2Id,
    Button3Id,
    Button4Id,
    StringGrid1Id,
    PreviewId,
    StatusBar1Id,
    RunProgressId,
    StopButtonId,
};

class TForm1 : public Window, private MainView {
public:
    TForm1(ConversionSettings& settings, Platform& platform, ProgramPaths paths);
    ~TForm1() override;

    // Creates the window hidden, with its menus and controls; the settings dialog after it.
    bool Create();
    // The session's start: the window-state file applied, the window shown where it was.
    void FormShow(int showCommand);

    MainSession& Session() { return session_; }

    // The handlers, named as the original program named them.
    void MnuFileSFolderClick();
    void TreeView1Click(HTREEITEM item);
    void ComboBox1Change();
    void MnuFileTypeClick(int index);
    void StringGrid1MouseDown(int column);
    void StringGrid1DblClick();
    // The cursor of the list moved: the preview shows the file under it.
    void StringGrid1SelectCell();
    void MnuExitClick();
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void MnuSetSaveClick();
    void MnuSetOpenClick();
    void MnuViewPreviewClick();
    void MnuViewResultsClick();

    // The row of the session's Rows shown at a place of the list.
    size_t RowAt(int place) const { return order_[static_cast<size_t>(place)]; }
    // The tree's item of a folder node.
    HTREEITEM ItemOf(int node) const;
    bool PreviewVisible() const;

    HMENU Menu = nullptr;
    HWND Edit1 = nullptr;
    TreeView TreeView1;
    HWND Label1 = nullptr;
    HWND ComboBox1 = nullptr;
    HWND Button1 = nullptr;
    HWND Label2 = nullptr;
    HWND Edit2 = nullptr;
    HWND Button3 = nullptr;
    HWND Button4 = nullptr;
    ListView StringGrid1;
    PreviewPane Preview;
    StatusBar StatusBar1;
    HWND ProgressBar1 = nullptr;
    HWND StopButton = nullptr;
    TForm3 Settings;
    std::unique_ptr<ResultsWindow> Results;
    HACCEL Accelerators = nullptr;
    // The program ends when its main window goes; a test that makes several windows does not.
    bool QuitOnDestroy = true;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowStatus() override;
    void ShowFields() override;
    void ShowTree() override;
    void ShowListedNode() override;
    void ShowList() override;
    void ShowOrder() override;
    void ShowState() override;
    void ShowResults() override;
    void Close() override;

    void CreateMenus();
    void CreateControls();
    void Layout();
    void LayoutStatusBar();
    void ApplyFonts();
    void ApplyWindowState(const WindowState& state);
    int DefaultColumnWidth(int column) const;
    WindowState CurrentWindowState() const;
    int SelectedNode() const;
    std::optional<size_t> CurrentRow() const;
    void ShowPlaces(const std::vector<size_t>& selectedRows, std::optional<size_t> focusedRow);
    // The gaps that move the folder panel's and the preview's edges.
    int SplitterAt(int x, int y) const;
    bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnNotify(const NMHDR& header, LRESULT& result);

    ConversionSettings& settings_;
    Platform& platform_;
    MainSession session_;
    WindowState state_;
    std::vector<size_t> order_;        // order_[place]: the row shown there
    std::vector<HTREEITEM> items_;     // items_[node]: its tree item
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    HFONT bigFont_ = nullptr;
    int panelWidth_ = 160;    // the folder panel, in pixels
    int previewWidth_ = 0;    // the preview, in pixels; 0 until the first layout
    int dragging_ = 0;        // 1: the folder panel's edge, 2: the preview's
    bool reordering_ = false; // the list's cursor moves with its file, not to another file
    std::optional<size_t> cursorRow_;  // the row the preview was last asked for
    bool ended_ = false;
};

}  // namespace tolvane::win32
