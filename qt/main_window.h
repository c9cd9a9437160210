// The main window: the folder tree on the left, the file list and the preview on the right,
// the filter, the destination folder and the convert button above them, the status bar below.
//
// Controls and wiring only: every handler hands what the user did to the frontend's
// MainSession, which decides, and the window shows what the session tells it (MainView).
#pragma once

#include <array>
#include <optional>
#include <vector>

#include <QMainWindow>
#include <QPointer>

#include "frontend/main_session.h"
#include "qt/qt_platform.h"

class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTreeView;

namespace tolvane {

class FileListModel;
class FileListProxy;
class FileListView;
class FolderTreeModel;
class InspectWindow;
class PreviewPane;
class ResultsWindow;
class SettingsDialog;

class MainWindow : public QMainWindow, private MainView {
    Q_OBJECT

public:
    MainWindow(ConversionSettings& settings, QtPlatform& platform, ProgramPaths paths, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The settings dialog is made by the program entry after this window; Button1Click shows
    // it modally, with the selected drawings for its usage counts, and the window-state file
    // keeps its position.
    void SetSettingsDialog(SettingsDialog* dialog);

    MainSession& Session() { return session_; }

    // The handlers, named as the original program named them.
    void MnuFileSFolderClick();
    void TreeView1Click();
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
    void MnuFileInspectClick();
    void MnuSetSaveClick();
    void MnuSetOpenClick();
    void MnuViewPreviewClick();
    void MnuViewResultsClick();

    QLabel* statusLabel = nullptr;
    QLabel* runFileLabel = nullptr;
    QProgressBar* runProgress = nullptr;
    QPushButton* stopButton = nullptr;
    QSplitter* mainSplitter = nullptr;
    QWidget* folderPanel = nullptr;
    QLineEdit* searchFolderEdit = nullptr;
    QTreeView* folderTree = nullptr;
    QWidget* listPanel = nullptr;
    QComboBox* fileTypeCombo = nullptr;
    QPushButton* settingsButton = nullptr;
    QLineEdit* destinationEdit = nullptr;
    QPushButton* browseButton = nullptr;
    QPushButton* convertButton = nullptr;
    QSplitter* listSplitter = nullptr;
    FileListView* fileList = nullptr;
    PreviewPane* previewPane = nullptr;
    QAction* previewAction = nullptr;
    QPointer<ResultsWindow> resultsWindow;
    QPointer<InspectWindow> inspectWindow;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowStatus() override;
    void ShowFields() override;
    void ShowTree() override;
    void ShowListedNode() override;
    void ShowList() override;
    void ShowOrder() override;
    void ShowState() override;
    void ShowResults() override;
    void ShowInspection() override;
    void Close() override;

    void CreateMenus();
    void CreateFolderPanel();
    void CreateListPanel();
    void CreateStatusBar();
    void ApplyWindowState(const WindowState& state);
    // The kept frame position and outer size, on a visible screen.
    void ApplyBounds(const WindowState& state);
    void SettleFrame(int triesLeft);
    int DefaultColumnWidth(int column) const;
    WindowState CurrentWindowState() const;
    int SelectedNode() const;
    std::optional<size_t> CurrentRow() const;
    // The selected rows (indexes into the session's rows) in the order shown; the current row
    // when none is selected.
    std::vector<size_t> SelectedRows() const;

    ConversionSettings& settings_;
    QtPlatform& platform_;
    MainSession session_;
    WindowState state_;
    SettingsDialog* settingsDialog_ = nullptr;
    FolderTreeModel* treeModel_ = nullptr;
    FileListModel* listModel_ = nullptr;
    FileListProxy* listProxy_ = nullptr;
    bool shown_ = false;
    bool ended_ = false;
};

}  // namespace tolvane
