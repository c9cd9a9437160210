#include "qt/main_window.h"

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "formats/file_probes.h"
#include "frontend/file_list.h"
#include "frontend/path_text.h"
#include "frontend/texts.h"
#include "qt/models.h"
#include "qt/preview_pane.h"
#include "qt/inspect_window.h"
#include "qt/qt_text.h"
#include "qt/results_window.h"
#include "qt/settings_dialog.h"

namespace tolvane {

using namespace main_text;

namespace {

// X11 takes window coordinates and sizes of 16 bits.
int Coordinate(int value) { return std::clamp(value, -32768, 32767); }
int Extent(int value) { return std::clamp(value, 0, 32767); }

// The preview's share of a first start, and the window's height then.
constexpr int kFirstPreviewWidth = 380;
constexpr int kFirstHeight = 620;

}  // namespace

MainWindow::MainWindow(ConversionSettings& settings, QtPlatform& platform, ProgramPaths paths, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      platform_(platform),
      session_(settings, platform, *this, paths, [this](std::function<void()> function) {
          QMetaObject::invokeMethod(this, std::move(function), Qt::QueuedConnection);
      }) {
    setObjectName("mainWindow");
    setWindowTitle(ToQString(kCaption));
    setFont(GothicFont(12, true));
    state_ = DefaultWindowState(paths.HomeFolder);
    CreateMenus();
    CreateStatusBar();
    mainSplitter = new QSplitter(Qt::Horizontal, this);
    mainSplitter->setHandleWidth(3);
    mainSplitter->setChildrenCollapsible(false);
    setCentralWidget(mainSplitter);
    CreateFolderPanel();
    CreateListPanel();
    mainSplitter->setStretchFactor(1, 1);
    // Escape stops a folder search or a run.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { session_.EscapePressed(); });
    ApplyBounds(state_);
}

MainWindow::~MainWindow() = default;

void MainWindow::CreateMenus() {
    const auto add = [this](QMenu* menu, std::string_view text, auto handler) {
        return menu->addAction(ToQString(text), this, handler);
    };
    QMenu* fileMenu = menuBar()->addMenu(ToQString(kMenuFile));
    add(fileMenu, kMenuSearchFolder, [this] { MnuFileSFolderClick(); });
    QMenu* fileTypeMenu = fileMenu->addMenu(ToQString(kMenuFileType));
    for (int index = 0; index < static_cast<int>(kFilterMenuItems.size()); ++index)
        add(fileTypeMenu, kFilterMenuItems[static_cast<size_t>(index)], [this, index] { MnuFileTypeClick(index); });
    add(fileMenu, kMenuDestination, [this] { Button3Click(); });
    fileMenu->addSeparator();
    add(fileMenu, kMenuInspect, [this] { MnuFileInspectClick(); });
    fileMenu->addSeparator();
    add(fileMenu, kMenuExit, [this] { MnuExitClick(); });

    QMenu* settingsMenu = menuBar()->addMenu(ToQString(kMenuSettings));
    add(settingsMenu, kMenuSettingsDialog, [this] { Button1Click(); });
    settingsMenu->addSeparator();
    add(settingsMenu, kMenuSaveSettings, [this] { MnuSetSaveClick(); });
    add(settingsMenu, kMenuOpenSettings, [this] { MnuSetOpenClick(); });

    QMenu* viewMenu = menuBar()->addMenu(ToQString(kMenuView));
    previewAction = add(viewMenu, kMenuPreview, [this] { MnuViewPreviewClick(); });
    previewAction->setCheckable(true);
    previewAction->setChecked(true);
    add(viewMenu, kMenuLastResults, [this] { MnuViewResultsClick(); });
}

void MainWindow::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setFixedHeight(19);
    statusLabel = new QLabel(bar);
    statusLabel->installEventFilter(this);
    runFileLabel = new QLabel(bar);
    runFileLabel->setMinimumWidth(40);
    runProgress = new QProgressBar(bar);
    runProgress->setFixedWidth(150);
    runProgress->setFormat(QStringLiteral("%v / %m"));
    stopButton = new QPushButton(ToQString(kStopButton), bar);
    stopButton->setFocusPolicy(Qt::NoFocus);
    connect(stopButton, &QPushButton::clicked, this, [this] { session_.StopButtonClick(); });
    bar->addWidget(statusLabel, 1);
    bar->addWidget(runFileLabel, 2);
    bar->addPermanentWidget(runProgress);
    bar->addPermanentWidget(stopButton);
    for (QWidget* widget : {static_cast<QWidget*>(runFileLabel), static_cast<QWidget*>(runProgress),
                            static_cast<QWidget*>(stopButton)})
        widget->hide();
}

// Left: the search folder above the folder tree.
void MainWindow::CreateFolderPanel() {
    folderPanel = new QWidget(mainSplitter);
    auto* layout = new QVBoxLayout(folderPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    searchFolderEdit = new QLineEdit(folderPanel);
    searchFolderEdit->setReadOnly(true);
    searchFolderEdit->setFixedHeight(19);
    searchFolderEdit->setPlaceholderText(ToQString(kSearchFolderPlaceholder));
    searchFolderEdit->setToolTip(ToQString(kSearchFolderTip));
    searchFolderEdit->setFocusPolicy(Qt::ClickFocus);
    searchFolderEdit->installEventFilter(this);
    folderTree = new QTreeView(folderPanel);
    treeModel_ = new FolderTreeModel(folderTree);
    folderTree->setModel(treeModel_);
    folderTree->setHeaderHidden(true);
    folderTree->setIndentation(19);
    folderTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(folderTree, &QTreeView::clicked, this, [this] { TreeView1Click(); });
    layout->addWidget(searchFolderEdit);
    layout->addWidget(folderTree);
}

// Right: the filter, the destination and the buttons above the file list and the preview.
void MainWindow::CreateListPanel() {
    listPanel = new QWidget(mainSplitter);
    auto* layout = new QVBoxLayout(listPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* commands = new QWidget(listPanel);
    commands->setFixedHeight(48);
    (new QLabel(ToQString(kFileTypeLabel), commands))->move(4, 4);
    fileTypeCombo = new QComboBox(commands);
    for (const std::string_view item : kFilterItems) fileTypeCombo->addItem(ToQString(item));
    // Wide enough for "全てのファイル(*.*)", short of the settings button.
    fileTypeCombo->setGeometry(88, 0, std::clamp(fileTypeCombo->sizeHint().width(), 105, 208), 20);
    connect(fileTypeCombo, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    settingsButton = new QPushButton(ToQString(kSettingsButton), commands);
    settingsButton->setGeometry(304, 2, 97, 20);
    connect(settingsButton, &QPushButton::clicked, this, [this] { Button1Click(); });
    (new QLabel(ToQString(kDestinationLabel), commands))->move(4, 28);
    destinationEdit = new QLineEdit(commands);
    destinationEdit->setReadOnly(true);
    destinationEdit->setGeometry(88, 24, 273, 21);
    browseButton = new QPushButton(ToQString(kBrowseButton), commands);
    browseButton->setGeometry(368, 24, 33, 22);
    connect(browseButton, &QPushButton::clicked, this, [this] { Button3Click(); });
    convertButton = new QPushButton(ToQString(kConvertButton), commands);
    convertButton->setGeometry(408, 2, 75, 44);
    convertButton->setFont(GothicFont(19, true));
    connect(convertButton, &QPushButton::clicked, this, [this] { Button4Click(); });
    // The buttons stand at fixed places; the list side never gets narrower than they need.
    listPanel->setMinimumWidth(convertButton->geometry().right() + 5);

    listSplitter = new QSplitter(Qt::Horizontal, listPanel);
    listSplitter->setHandleWidth(3);
    listSplitter->setChildrenCollapsible(false);
    fileList = new FileListView(listSplitter);
    listModel_ = new FileListModel(fileList);
    listProxy_ = new FileListProxy(fileList);
    listProxy_->setSourceModel(listModel_);
    listProxy_->setDynamicSortFilter(false);
    fileList->setModel(listProxy_);
    fileList->setFont(GothicFont(13, false));
    fileList->setShowGrid(false);
    fileList->setWordWrap(false);
    fileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fileList->setSelectionBehavior(QAbstractItemView::SelectRows);
    fileList->setSelectionMode(QAbstractItemView::ContiguousSelection);
    fileList->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    fileList->verticalHeader()->hide();
    fileList->verticalHeader()->setDefaultSectionSize(24);
    QHeaderView* header = fileList->horizontalHeader();
    header->setMinimumSectionSize(0);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) { StringGrid1MouseDown(column); });
    fileList->viewport()->installEventFilter(this);
    connect(fileList->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { StringGrid1SelectCell(); });
    // Extracted images of the preview stay apart from those of a conversion run.
    previewPane = new PreviewPane(session_.Paths().ImageFolder / "preview", listSplitter);
    listSplitter->setStretchFactor(0, 3);
    listSplitter->setStretchFactor(1, 2);
    layout->addWidget(commands);
    layout->addWidget(listSplitter);
}

void MainWindow::SetSettingsDialog(SettingsDialog* dialog) {
    settingsDialog_ = dialog;
    if (settingsDialog_) settingsDialog_->move(Coordinate(state_.DialogLeft), Coordinate(state_.DialogTop));
}

// --- Start and end -------------------------------------------------------------------------

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    state_ = session_.Start();
    ApplyWindowState(state_);
    // Until the window manager has framed the window its frame is unknown; once known, the
    // kept frame position and outer size are applied again.
    if (platform_.FrameMargins(this).isNull()) SettleFrame(40);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!session_.CanClose()) {
        event->ignore();
        return;
    }
    if (!ended_) {
        ended_ = true;
        previewPane->Session.Stop();
        session_.End(CurrentWindowState());
    }
    if (resultsWindow) resultsWindow->close();
    if (inspectWindow) inspectWindow->close();
    event->accept();
}

void MainWindow::ApplyBounds(const WindowState& state) {
    const QMargins frame = platform_.FrameMargins(this);
    std::vector<ScreenRect> screens;
    for (const QRect& area : platform_.ScreenAreas()) screens.push_back({area.x(), area.y(), area.width(), area.height()});
    ScreenRect kept{state.MainLeft, state.MainTop, state.MainWidth, state.MainHeight};
    if (!state.MainBoundsKept && !screens.empty()) {
        // Every column of the list and the preview beside it.
        int list = 2 * fileList->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        for (int column = 0; column < kFileListColumns; ++column) list += DefaultColumnWidth(column);
        const int width = state.FolderPanelWidth + list + kFirstPreviewWidth + 2 * mainSplitter->handleWidth();
        kept = FirstStartFrame(width + frame.left() + frame.right(), kFirstHeight + frame.top() + frame.bottom(), screens[0]);
        listSplitter->setSizes({list, kFirstPreviewWidth});
    }
    kept = KeepOnScreen(kept, screens);
    setGeometry(Coordinate(kept.Left + frame.left()), Coordinate(kept.Top + frame.top()),
                Extent(kept.Width - frame.left() - frame.right()), Extent(kept.Height - frame.top() - frame.bottom()));
}

void MainWindow::SettleFrame(int triesLeft) {
    if (!platform_.FrameMargins(this).isNull()) {
        if (!isMaximized()) ApplyBounds(state_);
        return;
    }
    if (triesLeft > 0) QTimer::singleShot(50, this, [this, triesLeft] { SettleFrame(triesLeft - 1); });
}

int MainWindow::DefaultColumnWidth(int column) const {
    // A typical name, the widest size, the full date and time, a memo of about 20 characters.
    static const char* const samples[kFileListColumns] = {
        "plan-2026-07-A1.JWW", "123456789", ".JWW", "420", "住宅平面図　第２案　1/100", "2026/12/31 23:59:59", "A R "};
    const int text = std::max(QFontMetrics(fileList->font()).horizontalAdvance(QString::fromUtf8(samples[column])),
                              QFontMetrics(fileList->horizontalHeader()->font())
                                  .horizontalAdvance(ToQString(kFileListHeaders[static_cast<size_t>(column)])));
    return text + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
}

void MainWindow::ApplyWindowState(const WindowState& state) {
    ApplyBounds(state);
    if (settingsDialog_) settingsDialog_->move(Coordinate(state.DialogLeft), Coordinate(state.DialogTop));
    const int panel = Extent(state.FolderPanelWidth);
    mainSplitter->setSizes({panel, std::max(0, width() - panel - mainSplitter->handleWidth())});
    for (int column = 0; column < kFileListColumns; ++column)
        fileList->setColumnWidth(column, state.ColumnWidthKept[column] ? Extent(state.ColumnWidths[column]) : DefaultColumnWidth(column));
    previewAction->setChecked(state.PreviewVisible);
    previewPane->setVisible(state.PreviewVisible);
    if (state.MainMaximized) setWindowState(windowState() | Qt::WindowMaximized);
}

WindowState MainWindow::CurrentWindowState() const {
    WindowState state = state_;
    const QMargins frame = platform_.FrameMargins(this);
    // A maximised window keeps the bounds it has as a normal window, to restore to.
    const QRect client = isMaximized() ? normalGeometry() : geometry();
    state.MainLeft = client.x() - frame.left();
    state.MainTop = client.y() - frame.top();
    state.MainWidth = client.width() + frame.left() + frame.right();
    state.MainHeight = client.height() + frame.top() + frame.bottom();
    state.MainMaximized = isMaximized();
    if (settingsDialog_) {
        state.DialogLeft = settingsDialog_->x();
        state.DialogTop = settingsDialog_->y();
    }
    state.FolderPanelWidth = folderPanel->width();
    for (int column = 0; column < kFileListColumns; ++column) state.ColumnWidths[column] = fileList->columnWidth(column);
    state.PreviewVisible = previewAction->isChecked();
    return state;
}

// --- What the session shows ----------------------------------------------------------------

void MainWindow::ShowStatus() {
    statusLabel->setText(ToQString(session_.Status()));
    statusLabel->setToolTip(session_.StatusIsSummary() ? ToQString(kOpenDestinationTip) : QString());
    // A listing keeps this thread busy; the text shows before it starts.
    statusLabel->repaint();
}

void MainWindow::ShowFields() {
    searchFolderEdit->setText(session_.SearchFolderChosen() ? ToQString(FolderText(session_.SearchFolder())) : QString());
    destinationEdit->setText(ToQString(FolderText(session_.DestFolder())));
    const QSignalBlocker quiet(fileTypeCombo);
    const int filter = session_.FilterIndex();
    fileTypeCombo->setCurrentIndex(filter >= 0 && filter < fileTypeCombo->count() ? filter : -1);
}

void MainWindow::ShowTree() {
    treeModel_->SetTree(&session_.Tree());
    folderTree->expand(treeModel_->IndexOf(0));
}

void MainWindow::ShowListedNode() {
    folderTree->setCurrentIndex(treeModel_->IndexOf(session_.ListNode()));
}

void MainWindow::ShowList() {
    listModel_->SetRows(&session_.Rows());
    listProxy_->sort(-1);
    if (listProxy_->rowCount() > 0) fileList->setCurrentIndex(listProxy_->index(0, 0));
    else previewPane->Session.Clear();
}

void MainWindow::ShowOrder() {
    listProxy_->sort(session_.SortColumn(), session_.SortedDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    fileList->scrollTo(fileList->currentIndex());
}

void MainWindow::ShowState() {
    const bool working = session_.ShowsProgress();
    folderTree->setEnabled(session_.State() != SessionState::Searching);
    fileTypeCombo->setEnabled(!working);
    runFileLabel->setVisible(working);
    runProgress->setVisible(working);
    stopButton->setVisible(working);
    const RunProgress& progress = session_.Progress();
    runProgress->setRange(0, static_cast<int>(progress.Total));
    runProgress->setValue(static_cast<int>(progress.Done));
    runFileLabel->setText(ToQString(progress.FileText));
    runFileLabel->setToolTip(ToQString(progress.FileDetail));
    stopButton->setEnabled(!session_.Stopping());
}

void MainWindow::ShowResults() {
    if (resultsWindow) resultsWindow->close();
    resultsWindow = new ResultsWindow(this, platform_, *session_.LastResults(), [this] { session_.OpenDestinationFolder(); });
    resultsWindow->show();
}

void MainWindow::ShowInspection() {
    if (inspectWindow) inspectWindow->close();
    inspectWindow = new InspectWindow(this, platform_, *session_.LastInspection(), session_.ListFolder());
    inspectWindow->show();
}

void MainWindow::Close() {
    close();
}

// --- Handlers ------------------------------------------------------------------------------

int MainWindow::SelectedNode() const {
    return FolderTreeModel::NodeOf(folderTree->currentIndex());
}

std::optional<size_t> MainWindow::CurrentRow() const {
    const QModelIndex current = listProxy_->mapToSource(fileList->currentIndex());
    if (!current.isValid()) return std::nullopt;
    return static_cast<size_t>(current.row());
}

void MainWindow::MnuFileSFolderClick() { session_.MnuFileSFolderClick(); }
void MainWindow::TreeView1Click() { session_.TreeView1Click(SelectedNode()); }
void MainWindow::ComboBox1Change() { session_.ComboBox1Change(fileTypeCombo->currentIndex(), SelectedNode()); }
void MainWindow::MnuFileTypeClick(int index) { session_.MnuFileTypeClick(index, SelectedNode()); }
void MainWindow::StringGrid1MouseDown(int column) { session_.StringGrid1MouseDown(column); }
void MainWindow::StringGrid1DblClick() { session_.StringGrid1DblClick(CurrentRow()); }
void MainWindow::MnuExitClick() { session_.MnuExitClick(); }
void MainWindow::Button3Click() { session_.Button3Click(); }
void MainWindow::MnuSetSaveClick() { session_.MnuSetSaveClick(); }
void MainWindow::MnuViewResultsClick() { session_.ShowLastResults(); }

void MainWindow::StringGrid1SelectCell() {
    if (!session_.ListReady() || !previewAction->isChecked()) return;
    const std::optional<size_t> row = CurrentRow();
    if (row) previewPane->Session.Show(session_.FileOf(*row), settings_);
    else previewPane->Session.Clear();
}

void MainWindow::Button1Click() {
    if (!session_.Button1Click() || !settingsDialog_) return;
    settingsDialog_->SetUsageFiles(session_.SelectedDrawings(SelectedRows()));
    settingsDialog_->exec();
    // The after view follows the settings just chosen.
    StringGrid1SelectCell();
}

std::vector<size_t> MainWindow::SelectedRows() const {
    // After a header sort the selected files may lie apart; they go in the order shown.
    std::vector<std::pair<int, size_t>> rows;
    for (const QModelIndex& index : fileList->selectionModel()->selectedRows())
        rows.emplace_back(index.row(), static_cast<size_t>(listProxy_->mapToSource(index).row()));
    if (rows.empty() && CurrentRow()) rows.emplace_back(0, *CurrentRow());
    std::sort(rows.begin(), rows.end());
    std::vector<size_t> selected;
    for (const auto& [place, row] : rows) selected.push_back(row);
    return selected;
}

void MainWindow::Button4Click() { session_.Button4Click(SelectedRows()); }
void MainWindow::MnuFileInspectClick() { session_.MnuFileInspectClick(SelectedRows()); }

void MainWindow::MnuSetOpenClick() {
    if (session_.MnuSetOpenClick()) StringGrid1SelectCell();
}

void MainWindow::MnuViewPreviewClick() {
    previewPane->setVisible(previewAction->isChecked());
    StringGrid1SelectCell();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched == searchFolderEdit) {
        MnuFileSFolderClick();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && watched == statusLabel) session_.StatusClick();
    // A double click acts on the current row wherever it lands, as the original list did.
    if (event->type() == QEvent::MouseButtonDblClick && fileList && watched == fileList->viewport()) StringGrid1DblClick();
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tolvane
