#include "frontend/main_session.h"

#include <algorithm>
#include <system_error>
#include <variant>

#include "formats/utf8_path.h"
#include "frontend/file_list.h"
#include "frontend/path_text.h"
#include "frontend/settings_dialog.h"
#include "frontend/texts.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace tolvane {

namespace fs = std::filesystem;

static_assert(main_text::kFilterItems.size() == kFileFilterPatterns.size());
static_assert(main_text::kFilterMenuItems.size() == kFileFilterPatterns.size());

MainSession::MainSession(ConversionSettings& settings, Platform& platform, MainView& view, ProgramPaths paths, Post post)
    : settings_(settings),
      platform_(platform),
      view_(view),
      paths_(std::move(paths)),
      post_(post),
      run_(post),
      inspect_(std::move(post)) {
    searchFolder_ = paths_.HomeFolder;
}

MainSession::~MainSession() {
    searchStop_ = true;
    if (searchWorker_.joinable()) searchWorker_.join();
}

// --- Start and end -------------------------------------------------------------------------

WindowState MainSession::Start() {
    treeReady_ = listReady_ = sortDescending_ = searchAborted_ = false;
    std::error_code ignored;
    fs::create_directories(paths_.ImageFolder, ignored);

    WindowState state = DefaultWindowState(paths_.HomeFolder);
    const ProfileDocument file = ProfileDocument::Load(Utf8FromPath(paths_.StateFile));
    ReadWindowState(file, state);
    searchFolder_ = state.SearchFolder;
    destFolder_ = state.DestFolder;
    // A stored index outside the filter leaves no item selected, which lists every file.
    filterIndex_ = state.FilterIndex >= 0 && state.FilterIndex < static_cast<int>(kFileFilterPatterns.size()) ? state.FilterIndex : -1;
    LoadConversionSettings(settings_, file);
    settings_.LastSettingsFile = Utf8FromPath(state.LastSettingsFile);
    view_.ShowFields();
    SetStatus(std::string(main_text::kSearchFolderHint));
    return state;
}

bool MainSession::CanClose() {
    // Closing waits for the files being converted: a write is never cut off.
    if (run_.Running()) {
        if (state_ == SessionState::Closing) return false;
        const Message ask{MessageKind::Confirmation, std::string(main_text::kAskStopAndExit), MessageButtons::YesNo};
        if (platform_.ShowMessage(ask) != MessageAnswer::Yes) return false;
        state_ = SessionState::Closing;
        run_.Stop();
        SetStatus(std::string(main_text::kExitAfterStop));
        view_.ShowState();
        return false;
    }
    // A search stops at its next folder; an inspection writes nothing and needs no question.
    if (state_ == SessionState::Searching) StopSearch();
    if (state_ == SessionState::Inspecting) inspect_.Stop();
    state_ = SessionState::Closing;
    return true;
}

void MainSession::End(WindowState windowParts) {
    std::error_code ignored;
    if (fs::is_directory(paths_.ImageFolder, ignored) && fs::is_empty(paths_.ImageFolder, ignored))
        fs::remove(paths_.ImageFolder, ignored);

    windowParts.SearchFolder = searchFolder_;
    windowParts.DestFolder = destFolder_;
    windowParts.LastSettingsFile = PathFromUtf8(settings_.LastSettingsFile);
    windowParts.FilterIndex = filterIndex_;
    fs::create_directories(paths_.StateFile.parent_path(), ignored);
    // A state file that exists but cannot be read is left alone rather than replaced.
    std::optional<ProfileDocument> file = ProfileDocument::LoadForUpdate(Utf8FromPath(paths_.StateFile));
    if (!file) return;
    WriteWindowState(*file, windowParts);
    SaveConversionSettings(settings_, *file);
    file->Save(Utf8FromPath(paths_.StateFile));
}

// --- Refusals and messages -----------------------------------------------------------------

void MainSession::SetStatus(std::string text) {
    status_ = std::move(text);
    statusIsSummary_ = false;
    view_.ShowStatus();
}

void MainSession::ShowError(const Message& message, bool statusToo) {
    platform_.Beep();
    platform_.ShowMessage(message);
    if (statusToo) SetStatus(message.Text);
}

// While a run goes, what it works on stays as it is: the tree, the list, the filter, the
// settings, the destination.
bool MainSession::RefuseWhileConverting() {
    if (state_ == SessionState::Inspecting) {
        platform_.Beep();
        SetStatus(std::string(main_text::kBusyInspecting));
        return true;
    }
    if (!run_.Running()) return false;
    platform_.Beep();
    SetStatus(std::string(main_text::kBusyConverting));
    return true;
}

// The folder search goes on a worker; commands that would start other work wait for it.
bool MainSession::RefuseWhileBusy() {
    if (RefuseWhileConverting()) return true;
    if (state_ != SessionState::Searching) return false;
    platform_.Beep();
    SetStatus(std::string(main_text::kBusySearching));
    return true;
}

// --- Folder tree ---------------------------------------------------------------------------

void MainSession::MnuFileSFolderClick() {
    if (RefuseWhileBusy()) return;
    SetStatus({});
    const std::optional<fs::path> chosen = platform_.ChooseFolder(std::string(main_text::kSearchFolderTitle), searchFolder_);
    if (!chosen) return;
    searchFolder_ = AsFolder(*chosen);
    searchFolderChosen_ = true;
    view_.ShowFields();
    BuildFolderTree();
}

void MainSession::BuildFolderTree() {
    SetStatus(std::string(main_text::kSearchingFolders));
    std::error_code error;
    if (!fs::is_directory(searchFolder_, error)) {
        platform_.Beep();
        platform_.ShowMessage({MessageKind::Information, std::string(main_text::kDriveNotReady), MessageButtons::Ok});
        SetStatus(std::string(main_text::kSearchFolderHint));
        return;
    }
    listReady_ = false;
    listFolder_.clear();
    listNode_ = -1;
    rows_.clear();
    sortColumn_ = -1;
    view_.ShowList();

    treeReady_ = searchAborted_ = false;
    tree_ = FolderTree();
    view_.ShowTree();
    state_ = SessionState::Searching;
    view_.ShowState();
    searchStop_ = false;
    if (searchWorker_.joinable()) searchWorker_.join();
    const auto search = [this, alive = std::weak_ptr<int>(alive_), folder = searchFolder_] {
        bool stopped = false;
        FolderTree tree = SearchFolderTree(folder, searchStop_, stopped);
        post_([this, alive, tree = std::move(tree), stopped]() mutable {
            if (!alive.expired()) SearchEnded(std::move(tree), stopped);
        });
    };
    try {
        searchWorker_ = std::thread(search);
    } catch (const std::system_error&) {
        search();
    }
}

void MainSession::SearchEnded(FolderTree tree, bool stopped) {
    if (searchWorker_.joinable()) searchWorker_.join();
    // A window that closed during the search has no use for it.
    if (state_ != SessionState::Searching) return;
    state_ = SessionState::Idle;
    searchAborted_ = stopped;
    tree_ = std::move(tree);
    tree_.Sort([this](std::string_view a, std::string_view b) { return platform_.FolderNameLess(a, b); });
    treeReady_ = !tree_.Empty();
    view_.ShowTree();
    view_.ShowState();
    SetStatus(stopped ? std::string(main_text::kFolderSearchStopped) : std::string());
}

void MainSession::StopSearch() {
    searchStop_ = true;
    if (searchWorker_.joinable()) searchWorker_.join();
    searchAborted_ = true;
}

bool MainSession::TreeView1Click(int node) {
    if (RefuseWhileBusy()) {
        view_.ShowListedNode();
        return false;
    }
    if (!treeReady_) {
        ShowError({MessageKind::Error, std::string(main_text::kSpecifySearchFolder), MessageButtons::Ok}, true);
        return false;
    }
    if (!tree_.Contains(node)) return false;
    FillFileList(node);
    return true;
}

// --- File list -----------------------------------------------------------------------------

void MainSession::FillFileList(int node) {
    const fs::path folder = tree_.PathOf(node);
    SetStatus("フォルダ「" + FolderText(folder) + "」を検索中(ESC:中断)");
    listReady_ = false;
    listFolder_ = folder;
    listNode_ = node;
    FileListing listing = ListFolderFiles(folder, filterIndex_, [this] { return platform_.IsEscapeDown(); });
    rows_ = std::move(listing.Rows);
    sortColumn_ = -1;
    listReady_ = !rows_.empty();
    view_.ShowList();
    if (listing.Completed)
        SetStatus(std::to_string(rows_.size()) + " Files  パス名「" + FolderText(folder) + "」");
    else
        SetStatus(std::string(main_text::kListingStopped));
}

void MainSession::ComboBox1Change(int index, int selectedNode) {
    if (RefuseWhileConverting()) {
        view_.ShowFields();
        return;
    }
    filterIndex_ = index;
    if (treeReady_ && tree_.Contains(selectedNode)) TreeView1Click(selectedNode);
}

void MainSession::MnuFileTypeClick(int index, int selectedNode) {
    if (RefuseWhileConverting()) return;
    filterIndex_ = index;
    view_.ShowFields();
    if (treeReady_) TreeView1Click(selectedNode);
}

void MainSession::StringGrid1MouseDown(int column) {
    if (RefuseWhileConverting()) return;
    if (!listReady_ || column < 0 || column >= kFileListColumns) return;
    // The attributes header brings back the order of the listing, by name, and does not
    // turn the direction.
    if (column == kAttributesColumn) {
        sortColumn_ = -1;
        view_.ShowOrder();
        return;
    }
    sortColumn_ = column;
    sortedDescending_ = sortDescending_;
    view_.ShowOrder();
    sortDescending_ = !sortDescending_;
}

std::vector<size_t> MainSession::Order() const {
    return SortedOrder(rows_, sortColumn_, sortedDescending_);
}

fs::path MainSession::FileOf(size_t row) const {
    return row < rows_.size() ? listFolder_ / PathFromUtf8(rows_[row].Name) : fs::path();
}

void MainSession::StringGrid1DblClick(std::optional<size_t> row) {
    if (RefuseWhileBusy()) return;
    if (!treeReady_) {
        ShowError({MessageKind::Error, std::string(main_text::kSpecifySearchFolder), MessageButtons::Ok}, true);
        return;
    }
    if (!listReady_) {
        platform_.Beep();
        SetStatus(std::string(main_text::kSpecifyDrawingFolder));
        return;
    }
    if (!row || *row >= rows_.size()) return;
    const fs::path file = FileOf(*row);
    if (!platform_.OpenWithAssociatedApplication(file))
        ShowError({MessageKind::Error, std::string(main_text::kNothingOpened) + DisplayPath(file), MessageButtons::Ok}, false);
}

// --- Commands ------------------------------------------------------------------------------

bool MainSession::Button1Click() {
    return !RefuseWhileBusy();
}

void MainSession::Button3Click() {
    if (RefuseWhileBusy()) return;
    const std::optional<fs::path> chosen = platform_.ChooseFolder(std::string(main_text::kDestinationTitle), destFolder_);
    if (!chosen) return;
    destFolder_ = AsFolder(*chosen);
    view_.ShowFields();
}

void MainSession::Button4Click(const std::vector<size_t>& selectedRows) {
    if (RefuseWhileBusy()) return;
    const RunCheck check = CheckConversionRun(settings_, treeReady_, listReady_, destFolder_, listFolder_);
    if (check.Check != RunCheckNumber::Passed) {
        ShowError(check.Refusal, check.StatusToo);
        return;
    }
    const Message ask{MessageKind::Confirmation, std::string(main_text::kAskStartConversion), MessageButtons::YesNo};
    if (platform_.ShowMessage(ask) != MessageAnswer::Yes) {
        SetStatus(std::string(main_text::kConversionCancelled));
        return;
    }
    std::vector<std::string> names;
    for (const size_t row : selectedRows)
        if (row < rows_.size()) names.push_back(rows_[row].Name);
    runFiles_ = SelectionFiles(listFolder_, destFolder_, names);
    runDestination_ = destFolder_;
    ResolveRuleSources(settings_);
    progress_ = {runFiles_.size(), 0, {}, {}};
    state_ = SessionState::Converting;
    SetStatus(std::string(main_text::kConverting));
    RunWorker::Events events;
    events.Started = [this](size_t index, size_t finished) { FileStarted(index, finished); };
    events.Finished = [this](size_t finished) {
        progress_.Done = std::max(progress_.Done, finished);
        view_.ShowState();
    };
    events.Ended = [this](std::vector<ConversionResult> results) { RunEnded(std::move(results)); };
    run_.Start(settings_, runFiles_, paths_.ImageFolder, std::move(events));
    view_.ShowState();
}

void MainSession::FileStarted(size_t index, size_t finished) {
    if (index >= runFiles_.size()) return;
    progress_.Done = std::max(progress_.Done, finished);
    progress_.FileText = ProgressText(runFiles_[index].Source);
    progress_.FileDetail = ProgressDetail(runFiles_[index].Source, runFiles_[index].Destination);
    view_.ShowState();
}

void MainSession::RunEnded(std::vector<ConversionResult> results) {
    const bool closing = state_ == SessionState::Closing;
    state_ = closing ? SessionState::Closing : SessionState::Idle;
    lastResults_ = MakeRunResults(runFiles_, results, runDestination_);
    progress_ = {};
    SetStatus(lastResults_->Summary);
    statusIsSummary_ = true;
    view_.ShowState();
    if (closing) {
        view_.Close();
        return;
    }
    if (lastResults_->ShowWindow()) view_.ShowResults();
}

void MainSession::StopButtonClick() {
    if (state_ == SessionState::Inspecting) {
        if (inspectStopping_) return;
        inspectStopping_ = true;
        inspect_.Stop();
        SetStatus(std::string(main_text::kInspectStopping));
        view_.ShowState();
        return;
    }
    if (!run_.Running() || run_.Stopping()) return;
    run_.Stop();
    if (state_ != SessionState::Closing) SetStatus(std::string(main_text::kStopping));
    view_.ShowState();
}

void MainSession::EscapePressed() {
    if (state_ == SessionState::Searching) searchStop_ = true;
    else StopButtonClick();
}

void MainSession::MnuExitClick() {
    // During a run, closing asks whether to stop.
    if (run_.Running()) {
        view_.Close();
        return;
    }
    if (RefuseWhileBusy()) return;
    const Message ask{MessageKind::Confirmation, std::string(main_text::kAskExit), MessageButtons::YesNo};
    if (platform_.ShowMessage(ask) == MessageAnswer::Yes) view_.Close();
}

void MainSession::MnuSetSaveClick() {
    if (RefuseWhileBusy()) return;
    const std::optional<fs::path> file =
        platform_.ChooseSaveFile(SettingsFileChoice(dialog_text::kSaveTitle, settings_.LastSettingsFile));
    if (!file) return;
    settings_.LastSettingsFile = Utf8FromPath(*file);
    if (!SaveConversionSettings(settings_, settings_.LastSettingsFile))
        ShowError({MessageKind::Error, std::string(main_text::kSettingsNotSaved) + DisplayPath(*file), MessageButtons::Ok}, false);
}

bool MainSession::MnuSetOpenClick() {
    if (RefuseWhileBusy()) return false;
    const std::optional<fs::path> file =
        platform_.ChooseOpenFile(SettingsFileChoice(dialog_text::kOpenTitle, settings_.LastSettingsFile));
    if (!file) return false;
    auto opened = OpenSettingsFile(*file);
    if (const auto* error = std::get_if<SettingsFileError>(&opened)) {
        ShowError({MessageKind::Error, SettingsFileErrorText(main_text::kSettingsNotRead, *file, *error), MessageButtons::Ok}, false);
        return false;
    }
    OpenedSettings& read = std::get<OpenedSettings>(opened);
    settings_ = read.Settings;
    settings_.LastSettingsFile = Utf8FromPath(*file);
    const std::string status = OpenedSettingsStatus(read);
    if (!status.empty()) SetStatus(status);
    return true;
}

void MainSession::StatusClick() {
    if (statusIsSummary_ && !run_.Running()) OpenDestinationFolder();
}

void MainSession::OpenDestinationFolder() {
    const fs::path folder = lastResults_ ? lastResults_->Destination : destFolder_;
    if (!platform_.OpenWithAssociatedApplication(folder))
        ShowError({MessageKind::Error, std::string(main_text::kNothingOpened) + FolderText(folder), MessageButtons::Ok}, false);
}

void MainSession::ShowLastResults() {
    if (!lastResults_) {
        platform_.ShowMessage({MessageKind::Information, std::string(main_text::kNoResultsYet), MessageButtons::Ok});
        return;
    }
    view_.ShowResults();
}

// --- Inspection ----------------------------------------------------------------------------

std::vector<fs::path> MainSession::SelectedDrawings(const std::vector<size_t>& selectedRows) const {
    std::vector<fs::path> files;
    for (const size_t row : selectedRows)
        if (row < rows_.size() && (rows_[row].Kind == ".JWW" || rows_[row].Kind == ".JWS")) files.push_back(FileOf(row));
    return files;
}

void MainSession::MnuFileInspectClick(const std::vector<size_t>& selectedRows) {
    if (RefuseWhileBusy()) return;
    if (!listReady_) {
        ShowError({MessageKind::Error, std::string(main_text::kNoFileList), MessageButtons::Ok}, false);
        return;
    }
    std::vector<fs::path> files = SelectedDrawings(selectedRows);
    if (files.empty()) {
        ShowError({MessageKind::Error, std::string(main_text::kSelectDrawingsToInspect), MessageButtons::Ok}, false);
        return;
    }
    inspectFiles_ = files;
    const std::weak_ptr<int> alive = alive_;
    InspectRun::Callbacks callbacks;
    callbacks.FileDone = [this, alive](size_t, const InspectRow&, size_t done) {
        if (!alive.expired()) InspectFileDone(done);
    };
    callbacks.Ended = [this, alive](const InspectRunResult& result) {
        if (!alive.expired()) InspectEnded(result);
    };
    if (!inspect_.Start(std::move(files), SxfDeliveryStandard(), std::move(callbacks), InspectJobs)) {
        ShowError({MessageKind::Error, std::string(main_text::kInspectNotStarted), MessageButtons::Ok}, false);
        return;
    }
    state_ = SessionState::Inspecting;
    inspectStopping_ = false;
    progress_ = {inspectFiles_.size(), 0, {}, {}};
    InspectFileDone(0);
    SetStatus(std::string(main_text::kInspecting));
}

// The files are reported in their order: the one after those done is being read.
void MainSession::InspectFileDone(size_t done) {
    if (state_ != SessionState::Inspecting) return;
    const fs::path& next = inspectFiles_[std::min(done, inspectFiles_.size() - 1)];
    progress_.Done = done;
    progress_.FileText = InspectProgressText(next.filename());
    progress_.FileDetail = InspectProgressText(next);
    view_.ShowState();
}

void MainSession::InspectEnded(const InspectRunResult& result) {
    // A window that closed during the inspection has no use for it.
    if (state_ != SessionState::Inspecting) return;
    state_ = SessionState::Idle;
    progress_ = {};
    lastInspection_ = result;
    SetStatus(InspectSummaryText(result));
    view_.ShowState();
    view_.ShowInspection();
}

}  // namespace tolvane
