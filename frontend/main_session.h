// The main window without the window: what it is doing, what each command does and when it
// is refused, the folder tree and the file list as data, the conversion run, the start and the
// end with the window-state file. A front end calls one function per handler and shows what
// the session tells its MainView; modal boxes, choices and beeps go through the Platform.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "frontend/conversion_run.h"
#include "frontend/folder_tree.h"
#include "frontend/inspect_window.h"
#include "frontend/platform.h"
#include "frontend/window_state.h"
#include "settings/conversion_settings.h"

namespace tolvane {

// What the window is doing. While a search, a run or an inspection goes, the commands that
// would change what it works on are refused; Closing is a window that closes once its run
// has stopped.
enum class SessionState { Idle, Searching, Converting, Inspecting, Closing };

// What the session asks of the window; each call says which part to show again from the
// session's data.
class MainView {
public:
    virtual ~MainView() = default;
    // The status text, shown at once (a listing keeps the window's thread busy).
    virtual void ShowStatus() = 0;
    // The search folder, the destination folder and the file-type filter.
    virtual void ShowFields() = 0;
    // The folder tree was replaced.
    virtual void ShowTree() = 0;
    // The tree's highlight goes back to the folder whose files the list shows.
    virtual void ShowListedNode() = 0;
    // The rows of the file list were replaced.
    virtual void ShowList() = 0;
    // The rows' order changed (SortColumn, SortedDescending).
    virtual void ShowOrder() = 0;
    // The state changed, or a run moved on: what the controls allow, the run's progress.
    virtual void ShowState() = 0;
    // The results of the last run, in their window.
    virtual void ShowResults() = 0;
    // The last inspection, in its window.
    virtual void ShowInspection() {}
    // The window closes now (its run has stopped).
    virtual void Close() = 0;
};

struct RunProgress {
    size_t Total = 0;
    size_t Done = 0;
    std::string FileText;    // "ファイル「a.jww」変換中です。"
    std::string FileDetail;  // the same with both paths
};

class MainSession {
public:
    MainSession(ConversionSettings& settings, Platform& platform, MainView& view, ProgramPaths paths, Post post);
    // Stops a search or a run that still goes and waits for it.
    ~MainSession();
    MainSession(const MainSession&) = delete;
    MainSession& operator=(const MainSession&) = delete;

    // Start: the image folder, the window-state file and the current settings. The answer is
    // the window state for the window to apply.
    WindowState Start();
    // Whether the window may close now. During a run it asks whether to stop; Yes stops the
    // run and closes the window when it has ended.
    bool CanClose();
    // End: the image folder goes if empty; the window state (the window's own parts as
    // given, the folders, the filter and the last settings file from here) and the current
    // settings are written.
    void End(WindowState windowParts);

    // The handlers, named as the original program named them.
    void MnuFileSFolderClick();
    // A click on a tree node (-1: none); false when refused, and the highlight goes back.
    bool TreeView1Click(int node);
    // The drop-down list shows another filter; the node selected in the tree is refilled.
    void ComboBox1Change(int index, int selectedNode);
    // A filter menu item (0 to 3).
    void MnuFileTypeClick(int index, int selectedNode);
    // A click on a column header of the file list.
    void StringGrid1MouseDown(int column);
    // A double click on the list: the file of the row (an index into Rows), if any.
    void StringGrid1DblClick(std::optional<size_t> row);
    // Whether the settings dialog may open now.
    bool Button1Click();
    void Button3Click();
    // The conversion run of the selected rows (indexes into Rows, in the order shown).
    void Button4Click(const std::vector<size_t>& selectedRows);
    void MnuExitClick();
    void MnuSetSaveClick();
    // True when the settings were loaded from a file.
    bool MnuSetOpenClick();
    // "中止": no file starts after this one; Escape also stops a folder search.
    void StopButtonClick();
    void EscapePressed();
    // A click on the status text: after a run, the destination folder opens.
    void StatusClick();
    // The results window's button and the status click.
    void OpenDestinationFolder();
    // Menu 表示: the results of the last run, also after a run that converted everything.
    void ShowLastResults();
    // 点検 of the selected rows' drawings (indexes into Rows) on a worker, with progress and
    // the stop button as a run has; its window opens at the end.
    void MnuFileInspectClick(const std::vector<size_t>& selectedRows);
    // The files of the selected rows named *.jww or *.jws: what 点検 and the settings
    // dialog's usage counts read.
    std::vector<std::filesystem::path> SelectedDrawings(const std::vector<size_t>& selectedRows) const;
    // Workers of an inspection; 0 takes one per core.
    unsigned InspectJobs = 0;

    SessionState State() const { return state_; }
    const std::string& Status() const { return status_; }
    // Whether the status shows the end of a run (a click opens its destination).
    bool StatusIsSummary() const { return statusIsSummary_; }
    bool TreeReady() const { return treeReady_; }
    bool ListReady() const { return listReady_; }
    bool SortDescending() const { return sortDescending_; }
    bool SearchAborted() const { return searchAborted_; }
    const std::filesystem::path& SearchFolder() const { return searchFolder_; }
    // The search folder field stays empty until the user chose a folder.
    bool SearchFolderChosen() const { return searchFolderChosen_; }
    const std::filesystem::path& DestFolder() const { return destFolder_; }
    // The folder whose files the list shows, and its node: the run and the double click use
    // it, so that they act on the files the user sees after the tree's highlight moved.
    const std::filesystem::path& ListFolder() const { return listFolder_; }
    int ListNode() const { return listNode_; }
    int FilterIndex() const { return filterIndex_; }
    const FolderTree& Tree() const { return tree_; }
    const std::vector<FileListRow>& Rows() const { return rows_; }
    // The column the list is sorted by (-1: the order of the listing) and its direction.
    int SortColumn() const { return sortColumn_; }
    bool SortedDescending() const { return sortedDescending_; }
    // Rows in the order shown: Order()[position] is an index into Rows.
    std::vector<size_t> Order() const;
    std::filesystem::path FileOf(size_t row) const;
    const RunProgress& Progress() const { return progress_; }
    // Whether the status bar shows the progress and the stop button: a run or an inspection goes.
    bool ShowsProgress() const { return run_.Running() || state_ == SessionState::Inspecting; }
    bool Stopping() const { return run_.Stopping() || (state_ == SessionState::Inspecting && inspectStopping_); }
    const InspectRunResult* LastInspection() const { return lastInspection_ ? &*lastInspection_ : nullptr; }
    const RunResults* LastResults() const { return lastResults_ ? &*lastResults_ : nullptr; }
    const ProgramPaths& Paths() const { return paths_; }
    RunWorker& Run() { return run_; }

private:
    void SetStatus(std::string text);
    void ShowError(const Message& message, bool statusToo);
    bool RefuseWhileConverting();
    bool RefuseWhileBusy();
    void BuildFolderTree();
    void SearchEnded(FolderTree tree, bool stopped);
    void StopSearch();
    void FillFileList(int node);
    void FileStarted(size_t index, size_t finished);
    void RunEnded(std::vector<ConversionResult> results);
    void InspectFileDone(size_t done);
    void InspectEnded(const InspectRunResult& result);

    ConversionSettings& settings_;
    Platform& platform_;
    MainView& view_;
    ProgramPaths paths_;
    Post post_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);

    SessionState state_ = SessionState::Idle;
    std::string status_;
    bool statusIsSummary_ = false;
    bool treeReady_ = false;
    bool listReady_ = false;
    bool sortDescending_ = false;
    bool searchAborted_ = false;
    std::filesystem::path searchFolder_;
    bool searchFolderChosen_ = false;
    std::filesystem::path destFolder_;
    std::filesystem::path listFolder_;
    int listNode_ = -1;
    int filterIndex_ = 0;
    FolderTree tree_;
    std::vector<FileListRow> rows_;
    int sortColumn_ = -1;
    bool sortedDescending_ = false;

    std::thread searchWorker_;
    std::atomic<bool> searchStop_ = false;

    RunWorker run_;
    std::vector<BatchFile> runFiles_;
    std::filesystem::path runDestination_;
    RunProgress progress_;
    std::optional<RunResults> lastResults_;

    InspectRun inspect_;
    std::vector<std::filesystem::path> inspectFiles_;
    bool inspectStopping_ = false;
    std::optional<InspectRunResult> lastInspection_;
};

}  // namespace tolvane
