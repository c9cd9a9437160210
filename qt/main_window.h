// The main window: the folder tree on the left, the file list on the right, the filter, the
// destination folder and the convert button above the list, the status bar below, and the
// start and end of the program with the window-state file.
//
// The handlers keep the names of the original program's form and stay thin: they read the
// widgets, call the plain functions of folder_tree, file_list, window_state and
// conversion_run, and show the outcome. Everything modal goes through the Platform, so that
// the tests call the handlers directly.
#pragma once

#include <string>

#include <QMainWindow>

#include "qt/platform.h"
#include "frontend/window_state.h"
#include "settings/conversion_settings.h"

class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace tolvane {

class PreviewPane;
class RunController;

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    TForm1(ConversionSettings& settings, Platform& platform, ProgramPaths paths, QWidget* parent = nullptr);
    ~TForm1() override;

    // The settings dialog is made by the program entry after this window; Button1Click shows it
    // modally and the window-state file keeps its position.
    void SetSettingsDialog(QDialog* dialog);

    // Window state.
    bool TreeReady = false;
    bool ListReady = false;
    bool SortDescending = false;
    bool SearchAborted = false;
    std::string SearchFolder;  // ends with "/" once chosen
    std::string DestFolder;    // ends with "/" when set
    std::string IniFileName;
    // The folder whose files the list shows. The run and the double click use it, so that they
    // act on the files the user sees even after the tree's selection moved by keyboard.
    std::string ListFolder;

    // Controls, under the names of the original form.
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QWidget* Panel3 = nullptr;
    QWidget* Panel4 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    // The file list and the preview of the file under its cursor, side by side.
    QSplitter* Splitter2 = nullptr;
    PreviewPane* Preview = nullptr;
    QMenu* MnuFile = nullptr;
    QAction* MnuFileSFolder = nullptr;
    QMenu* MnuFileType = nullptr;
    QAction* MnuFileType0 = nullptr;
    QAction* MnuFileType1 = nullptr;
    QAction* MnuFileType2 = nullptr;
    QAction* MnuFileType3 = nullptr;
    QAction* MnuFileSave = nullptr;
    QAction* MnuExit = nullptr;
    QMenu* MnuSet = nullptr;
    QAction* MnuSetJWW = nullptr;
    QAction* MnuSetSave = nullptr;
    QAction* MnuSetOpen = nullptr;
    QMenu* MnuView = nullptr;
    QAction* MnuViewPreview = nullptr;
    // The conversion run on its worker thread, with its part of the status bar.
    RunController* Run = nullptr;

    QString StatusText() const;
    void SetStatusText(const QString& text);

    // Start and end.
    void FormShow();
    void FormClose();

    // Folder tree.
    void MnuFileSFolderClick();
    void BuildFolderTree();
    void AddSubfolders(const std::string& path, QTreeWidgetItem* node);
    std::string NodePath(int index) const;
    void TreeView1Click();

    // File list. Grid row r (1 for the first file) is row r - 1 of the table: the header row
    // is the table's header.
    void FillFileList(const std::string& folder);
    void ComboBox1Change();
    void MnuFileType0Click();
    void MnuFileType1Click();
    void MnuFileType2Click();
    void MnuFileType3Click();
    // A mouse button pressed on the list's header, at x, y of the header.
    void StringGrid1MouseDown(Qt::MouseButton button, int x, int y);
    // Keeps the sizes right-aligned whenever the size column's header is drawn anew.
    void StringGrid1DrawCell(int column, int row);
    void StringGrid1DblClick();
    // The cursor of the list moved: the preview shows the file under it.
    void StringGrid1SelectCell();
    int FileRowCount() const;
    // The bytes of a cell, from the row it shows: the file-system bytes of a name, the
    // Shift-JIS bytes of a memo, the text of the other columns.
    std::string CellBytes(int gridRow, int column) const;
    QString CellText(int gridRow, int column) const;

    // Commands.
    void MnuExitClick();
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void MnuSetSaveClick();
    void MnuSetOpenClick();
    // Shows or hides the preview pane as the menu item's check says.
    void MnuViewPreviewClick();

    bool Searching() const { return searching_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateStatusBar();
    void CreateFolderPanel();
    void CreateCommandPanel();
    void CreateFileList();
    void CreateMenus();
    void ApplyWindowState();
    // The kept frame position and outer size, on a visible screen.
    void ApplyWindowBounds();
    void SettleFrame(int triesLeft);
    int DefaultColumnWidth(int column) const;
    WindowState CurrentWindowState() const;
    void SelectFileType(int index);
    void ClearFileList(int rows);
    // Shows FileRows in the grid's cells, one grid row each, in their order.
    void RenderFileRows(int sizeChars);
    void SortFileList(int column);
    void ShowError(MessageKind kind, const QString& text, bool statusToo);
    bool RefuseWhileSearching();
    bool RefuseWhileConverting();

    // The files of the list in the order it shows them; the grid's cells are drawn from them.
    std::vector<FileListRow> FileRows;

    ConversionSettings& settings_;
    Platform& platform_;
    ProgramPaths paths_;
    WindowState state_;
    QDialog* settingsDialog_ = nullptr;
    bool shown_ = false;
    bool closed_ = false;
    bool searching_ = false;
    bool closeAfterRun_ = false;
};

}  // namespace tolvane
