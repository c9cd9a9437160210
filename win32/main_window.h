// The main window: the search folder and the folder tree on the left; the filter, the
// destination folder and the buttons above the file list; the preview beside the list; the
// status bar below; the start and end of the program with the window-state file.
//
// This phase wires what frontend/ decides today: the rows of a folder (ListFolderFiles) and the
// window-state file. The session (what each command does while busy, the tree search, the
// header sort, the status texts), the conversion run and the preview's worker come from
// frontend/ in the next phase; their controls are here and marked where they wait.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "formats/file_probes.h"
#include "frontend/window_state.h"
#include "settings/conversion_settings.h"
#include "win32/list_view.h"
#include "win32/platform.h"
#include "win32/preview_pane.h"
#include "win32/settings_dialog.h"
#include "win32/status_bar.h"
#include "win32/tree_view.h"
#include "win32/window.h"

namespace tolvane::win32 {

// Where the program keeps its files on Windows: tolvane.ini and TEMP\ in the program's folder
// when it is writable, else under %APPDATA% and %LOCALAPPDATA% (conversion/app_paths.h).
ProgramPaths WindowsProgramPaths();

// Menu and control identifiers, for the handlers and the tests.
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
};

class TForm1 : public Window {
public:
    TForm1(ConversionSettings& settings, Platform& platform, ProgramPaths paths);
    ~TForm1() override;

    // Creates the window hidden, with its menus and controls; the settings dialog after it.
    bool Create();
    // Applies the window-state file and shows the window where it was.
    void FormShow(int showCommand);
    // Writes the window-state file; called once when the window closes.
    void FormClose();

    // Lists the files of the folder (ending with a backslash) that pass the filter.
    void FillFileList(const std::string& folder);
    void MnuFileSFolderClick();
    void SelectFileType(int index);
    void Button1Click();
    void Button3Click();
    void MnuExitClick();
    void MnuViewPreviewClick();
    int FilterIndex() const;

    std::string SearchFolder;  // ends with a backslash once chosen
    std::string DestFolder;    // ends with a backslash when set
    std::string ListFolder;    // the folder whose files the list shows
    std::vector<FileListRow> FileRows;

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
    TForm3 Settings;
    HACCEL Accelerators = nullptr;
    // The program ends when its main window goes; a test that makes several windows does not.
    bool QuitOnDestroy = true;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateMenus();
    void CreateControls();
    void Layout();
    void ApplyFonts();
    std::wstring CellText(int row, int column) const;
    WindowState CurrentWindowState() const;
    void ApplyWindowPlacement();
    bool PreviewVisible() const;
    // The gaps that move the folder panel's and the preview's edges.
    int SplitterAt(int x, int y) const;

    ConversionSettings& settings_;
    Platform& platform_;
    ProgramPaths paths_;
    WindowState state_;
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    HFONT bigFont_ = nullptr;
    int panelWidth_ = 160;    // the folder panel, in pixels
    int previewWidth_ = 0;    // the preview, in pixels; 0 until the first layout
    int dragging_ = 0;        // 1: the folder panel's edge, 2: the preview's
    bool closed_ = false;
};

}  // namespace tolvane::win32
