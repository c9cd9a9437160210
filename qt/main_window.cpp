#include "qt/main_window.h"

#include "settings/text_encoding.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTreeWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "qt/conversion_run.h"
#include "frontend/file_list.h"
#include "qt/folder_tree.h"
#include "qt/path_text.h"
#include "qt/preview_pane.h"
#include "qt/run_controller.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

const QString kSpecifySearchFolder = QStringLiteral("検索フォルダを指定して下さい。");
const QString kSearchFolderHint =
    QStringLiteral("検索フォルダを指定して下さい。（左上の欄をクリックするか、「ファイル」→「検索フォルダの指定」）");
const QString kBusySearching = QStringLiteral("フォルダ検索中は操作できません。検索が終わるまで待つかESCで中断して下さい。");
const QString kSettingsNotRead = QStringLiteral("設定ファイルを読み込めませんでした。\n");
const QString kSearchingFolders = QStringLiteral("フォルダ検索中です。（ESC：中断）");
const QString kDriveNotReady = QStringLiteral("検索フォルダのディスクドライブの準備が出来ていません。");
const QString kFolderSearchStopped = QStringLiteral("フォルダ検索を中断しました。");
const QString kListingStopped = QStringLiteral("検索を中断しました。");
const QString kSpecifyDrawingFolder = QStringLiteral("図面の格納されているフォルダを指定して下さい。");
const QString kAskExit = QStringLiteral("終了します。よろしいですか？");
const QString kSearchFolderTitle = QStringLiteral("検索フォルダの指定");
const QString kDestFolderTitle = QStringLiteral("保存先フォルダの指定");
const QString kSaveSettingsTitle = QStringLiteral("現在の設定を保存");
const QString kOpenSettingsTitle = QStringLiteral("保存した設定ファイルを開く");
const QString kSettingsFilter = QStringLiteral("設定ファイル(*.set)");
const QString kSettingsNotSaved = QStringLiteral("設定ファイルを保存できませんでした。");
const QString kSettingsKeysRefused = QStringLiteral("設定ファイルの範囲外の値を読み込みませんでした：");
const QString kBusyConverting = QStringLiteral("変換中は操作できません。変換が終わるまで待つか「中止」を押して下さい。");
const QString kAskStopAndExit = QStringLiteral("変換中です。変換を中止して終了しますか？");
const QString kExitAfterStop = QStringLiteral("変換を中止しています。変換中のファイルが終わると終了します。");

// The fonts of the original program come first; the IPA fonts have the same metrics and are
// there on Linux.
QFont MakeFont(const QString& family, const QString& fallback, int pixels) {
    QFont font;
    font.setFamilies({family, fallback});
    font.setPixelSize(pixels);
    return font;
}

QByteArray ByteArrayOf(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The folder and the name of a settings file, for the file dialogs.
FileChoice SettingsFileChoice(const QString& title, const std::string& lastFile) {
    const size_t slash = lastFile.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : lastFile.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? lastFile : lastFile.substr(slash + 1);
    return {title, DisplayText(folder), DisplayText(name), kSettingsFilter, QStringLiteral("set")};
}

// Sizes are padded to the column's width so that they sort as text; when the font leaves
// too little room, the padding is what gets cut, never the digits.
class SizeColumnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = option->text.trimmed();
        option->textElideMode = Qt::ElideLeft;
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};

// X11 takes window coordinates and sizes of 16 bits.
int Coordinate(int value) { return std::clamp(value, -32768, 32767); }
int Extent(int value) { return std::clamp(value, 0, 32767); }

}  // namespace

TForm1::TForm1(ConversionSettings& settings, Platform& platform, ProgramPaths paths, QWidget* parent)
    : QMainWindow(parent), settings_(settings), platform_(platform), paths_(std::move(paths)) {
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("Tolvane Ver.1.04"));
    setFont(MakeFont(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), 12));
    state_ = DefaultWindowState(paths_.HomeFolder);
    SearchFolder = paths_.HomeFolder;
    IniFileName = paths_.StateFile;
    CreateMenus();
    CreateControls();
    Run = new RunController(this, StatusBar1, StatusPanel, platform_);
    Run->DisabledWhileRunning = {ComboBox1};
    Run->Ended = [this] {
        if (closeAfterRun_) close();
    };
    ApplyWindowBounds();
}

TForm1::~TForm1() = default;

void TForm1::CreateMenus() {
    MnuFile = menuBar()->addMenu(QStringLiteral("ファイル (&F)"));
    MnuFile->setObjectName("MnuFile");
    MnuFileSFolder = MnuFile->addAction(QStringLiteral("検索フォルダの指定 (&S)"), this, [this] { MnuFileSFolderClick(); });
    MnuFileSFolder->setObjectName("MnuFileSFolder");
    MnuFileType = MnuFile->addMenu(QStringLiteral("ファイルの種類 (&T)"));
    MnuFileType->setObjectName("MnuFileType");
    MnuFileType0 = MnuFileType->addAction(QStringLiteral("全てのファイル(*.*) (&0)"), this, [this] { MnuFileType0Click(); });
    MnuFileType1 = MnuFileType->addAction(QStringLiteral("(*.jw?) (&1)"), this, [this] { MnuFileType1Click(); });
    MnuFileType2 = MnuFileType->addAction(QStringLiteral("(*.jww) (&2)"), this, [this] { MnuFileType2Click(); });
    MnuFileType3 = MnuFileType->addAction(QStringLiteral("(*.jws) (&3)"), this, [this] { MnuFileType3Click(); });
    MnuFileType0->setObjectName("MnuFileType0");
    MnuFileType1->setObjectName("MnuFileType1");
    MnuFileType2->setObjectName("MnuFileType2");
    MnuFileType3->setObjectName("MnuFileType3");
    MnuFileSave = MnuFile->addAction(QStringLiteral("保存先フォルダの指定 (&H)"), this, [this] { Button3Click(); });
    MnuFileSave->setObjectName("MnuFileSave");
    MnuFile->addSeparator();
    MnuExit = MnuFile->addAction(QStringLiteral("終了 (&X)"), this, [this] { MnuExitClick(); });
    MnuExit->setObjectName("MnuExit");

    MnuSet = menuBar()->addMenu(QStringLiteral("設定 (&S)"));
    MnuSet->setObjectName("MnuSet");
    MnuSetJWW = MnuSet->addAction(QStringLiteral("JWW/JWS設定 (&1)"), this, [this] { Button1Click(); });
    MnuSetJWW->setObjectName("MnuSetJWW");
    MnuSet->addSeparator();
    MnuSetSave = MnuSet->addAction(QStringLiteral("現在の設定を保存(&S)..."), this, [this] { MnuSetSaveClick(); });
    MnuSetSave->setObjectName("MnuSetSave");
    MnuSetOpen = MnuSet->addAction(QStringLiteral("保存した設定を開く(&O)..."), this, [this] { MnuSetOpenClick(); });
    MnuSetOpen->setObjectName("MnuSetOpen");

    MnuView = menuBar()->addMenu(QStringLiteral("表示 (&V)"));
    MnuView->setObjectName("MnuView");
    MnuViewPreview = MnuView->addAction(QStringLiteral("プレビュー (&P)"), this, [this] { MnuViewPreviewClick(); });
    MnuViewPreview->setObjectName("MnuViewPreview");
    MnuViewPreview->setCheckable(true);
    MnuViewPreview->setChecked(true);
}

void TForm1::CreateControls() {
    CreateStatusBar();
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    setCentralWidget(Splitter1);

    CreateFolderPanel();
    CreateCommandPanel();
    CreateFileList();
    auto* rightLayout = static_cast<QVBoxLayout*>(Panel3->layout());
    rightLayout->addWidget(Panel4);
    rightLayout->addWidget(Splitter2);
    // The buttons stand at fixed places; the list side never gets narrower than they need.
    Panel3->setMinimumWidth(Button4->geometry().right() + 5);

    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({state_.FolderPanelWidth, std::max(0, state_.MainWidth - state_.FolderPanelWidth - 3)});
}

void TForm1::CreateStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFixedHeight(19);
    StatusPanel = new QLabel(StatusBar1);
    StatusPanel->setObjectName("StatusPanel");
    StatusBar1->addWidget(StatusPanel, 1);
    setStatusBar(StatusBar1);
}

// Left: the search folder above the folder tree.
void TForm1::CreateFolderPanel() {
    Panel1 = new QWidget(Splitter1);
    Panel1->setObjectName("Panel1");
    auto* leftLayout = new QVBoxLayout(Panel1);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    Panel2 = new QWidget(Panel1);
    Panel2->setObjectName("Panel2");
    Panel2->setFixedHeight(19);
    auto* folderLayout = new QHBoxLayout(Panel2);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    Edit1 = new QLineEdit(Panel2);
    Edit1->setObjectName("Edit1");
    Edit1->setReadOnly(true);
    Edit1->setPlaceholderText(QStringLiteral("クリックでフォルダを指定"));
    Edit1->setToolTip(QStringLiteral("クリックして検索フォルダを指定します"));
    Edit1->setFocusPolicy(Qt::ClickFocus);
    Edit1->installEventFilter(this);
    folderLayout->addWidget(Edit1);
    TreeView1 = new QTreeWidget(Panel1);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setIndentation(19);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->viewport()->installEventFilter(this);
    leftLayout->addWidget(Panel2);
    leftLayout->addWidget(TreeView1);
}

// Right: the filter, the destination and the buttons above the file list.
void TForm1::CreateCommandPanel() {
    Panel3 = new QWidget(Splitter1);
    Panel3->setObjectName("Panel3");
    auto* rightLayout = new QVBoxLayout(Panel3);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    Panel4 = new QWidget(Panel3);
    Panel4->setObjectName("Panel4");
    Panel4->setFixedHeight(48);
    Label1 = new QLabel(QStringLiteral("ファイルの種類"), Panel4);
    Label1->setObjectName("Label1");
    Label1->move(4, 4);
    ComboBox1 = new QComboBox(Panel4);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({QStringLiteral("全てのファイル(*.*)"), QStringLiteral("*.JW?"), QStringLiteral("*.JWW"),
                         QStringLiteral("*.JWS")});
    // Wide enough for "全てのファイル(*.*)", short of the settings button.
    ComboBox1->setGeometry(88, 0, std::clamp(ComboBox1->sizeHint().width(), 105, 208), 20);
    // The closed box is as narrow as it always was; its list shows the items whole.
    ComboBox1->view()->setMinimumWidth(ComboBox1->view()->sizeHintForColumn(0) + 8);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    Button1 = new QPushButton(QStringLiteral("JWW/JWS設定"), Panel4);
    Button1->setObjectName("Button1");
    Button1->setGeometry(304, 2, 97, 20);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    Label2 = new QLabel(QStringLiteral("保存先フォルダ"), Panel4);
    Label2->setObjectName("Label2");
    Label2->move(4, 28);
    Edit2 = new QLineEdit(Panel4);
    Edit2->setObjectName("Edit2");
    Edit2->setReadOnly(true);
    Edit2->setGeometry(88, 24, 273, 21);
    Button3 = new QPushButton(QStringLiteral("参照"), Panel4);
    Button3->setObjectName("Button3");
    Button3->setGeometry(368, 24, 33, 22);
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    Button4 = new QPushButton(QStringLiteral("変換"), Panel4);
    Button4->setObjectName("Button4");
    Button4->setGeometry(408, 2, 75, 44);
    Button4->setFont(MakeFont(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), 19));
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
}

// The file list and, beside it, the preview.
void TForm1::CreateFileList() {
    Splitter2 = new QSplitter(Qt::Horizontal, Panel3);
    Splitter2->setObjectName("Splitter2");
    Splitter2->setHandleWidth(3);
    Splitter2->setChildrenCollapsible(false);
    StringGrid1 = new QTableWidget(4, kFileListColumns, Splitter2);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setFont(MakeFont(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"), 13));
    StringGrid1->setShowGrid(false);
    StringGrid1->setWordWrap(false);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    StringGrid1->setItemDelegateForColumn(kSizeColumn, new SizeColumnDelegate(StringGrid1));
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setDefaultSectionSize(24);
    QHeaderView* header = StringGrid1->horizontalHeader();
    header->setMinimumSectionSize(0);
    header->setDefaultSectionSize(64);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionResized, this, [this](int column) { StringGrid1DrawCell(column, 0); });
    StringGrid1->viewport()->installEventFilter(this);
    // Extracted images of the preview stay apart from those of a conversion run.
    Preview = new PreviewPane(paths_.ImageFolder / "preview", Splitter2);
    // The list keeps the larger part: at the design size its name, size and type columns show.
    Splitter2->setStretchFactor(0, 3);
    Splitter2->setStretchFactor(1, 2);
    Splitter2->setSizes({300, 200});
    connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this] { StringGrid1SelectCell(); });
}

void TForm1::SetSettingsDialog(QDialog* dialog) {
    settingsDialog_ = dialog;
    if (settingsDialog_) settingsDialog_->move(state_.DialogLeft, state_.DialogTop);
}

QString TForm1::StatusText() const {
    return StatusPanel->text();
}

void TForm1::SetStatusText(const QString& text) {
    StatusPanel->setText(text);
}

// --- Start and end -------------------------------------------------------------------------

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing waits for the files being converted: a write is never cut off.
    if (Run && Run->Running()) {
        event->ignore();
        if (closeAfterRun_) return;
        if (platform_.ShowMessage(this, MessageKind::Confirmation, kAskStopAndExit, MessageButtons::YesNo) != MessageAnswer::Yes)
            return;
        closeAfterRun_ = true;
        Run->StopButtonClick();
        SetStatusText(kExitAfterStop);
        return;
    }
    // A search that is still running stops at its next look at the keyboard.
    if (searching_) SearchAborted = true;
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    event->accept();
}

void TForm1::FormShow() {
    TreeReady = false;
    ListReady = false;
    SortDescending = false;
    SearchAborted = false;
    {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->setCurrentIndex(0);
    }
    std::error_code ignored;
    fs::create_directories(paths_.ImageFolder, ignored);

    state_ = DefaultWindowState(paths_.HomeFolder);
    SearchFolder = paths_.HomeFolder;
    DestFolder.clear();
    settings_.LastSettingsFile.clear();
    IniFileName = paths_.StateFile;
    // The headers first: the widths chosen for a first start fit them too.
    QStringList headers;
    for (const char* header : kFileListHeaders) headers << QString::fromUtf8(header);
    StringGrid1->setHorizontalHeaderLabels(headers);
    const ProfileDocument stateFile = ProfileDocument::Load(IniFileName);
    ReadWindowState(stateFile, state_);
    ApplyWindowState();
    // Until the window manager has framed the window its frame is unknown; once known, the
    // kept frame position and outer size are applied again.
    if (platform_.FrameMargins(this).isNull()) SettleFrame(40);
    LoadConversionSettings(settings_, stateFile);
    settings_.LastSettingsFile = state_.LastSettingsFile;

    Edit2->setText(DisplayText(DestFolder));
    SetStatusText(kSearchFolderHint);
}

void TForm1::ApplyWindowBounds() {
    const QMargins frame = platform_.FrameMargins(this);
    std::vector<ScreenRect> screens;
    for (const QRect& area : platform_.ScreenAreas()) screens.push_back({area.x(), area.y(), area.width(), area.height()});
    const ScreenRect kept = KeepOnScreen({state_.MainLeft, state_.MainTop, state_.MainWidth, state_.MainHeight}, screens);
    setGeometry(Coordinate(kept.Left + frame.left()), Coordinate(kept.Top + frame.top()),
                Extent(kept.Width - frame.left() - frame.right()), Extent(kept.Height - frame.top() - frame.bottom()));
}

void TForm1::SettleFrame(int triesLeft) {
    if (!platform_.FrameMargins(this).isNull()) {
        ApplyWindowBounds();
        return;
    }
    if (triesLeft > 0) QTimer::singleShot(50, this, [this, triesLeft] { SettleFrame(triesLeft - 1); });
}

int TForm1::DefaultColumnWidth(int column) const {
    // A typical name, the widest size, the full date and time, a memo of about 20 characters.
    static const char* const samples[kFileListColumns] = {
        "plan-2026-07-A1.JWW", "123456789", ".JWW", "420", "住宅平面図　第２案　1/100", "2026/12/31 23:59:59", "A R "};
    const QFontMetrics metrics(StringGrid1->font());
    const QString header = StringGrid1->horizontalHeaderItem(column) ? StringGrid1->horizontalHeaderItem(column)->text()
                                                                    : QString();
    const int text = std::max(metrics.horizontalAdvance(QString::fromUtf8(samples[column])),
                              QFontMetrics(StringGrid1->horizontalHeader()->font()).horizontalAdvance(header));
    return text + 2 * StringGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
}

void TForm1::ApplyWindowState() {
    ApplyWindowBounds();
    if (settingsDialog_) settingsDialog_->move(Coordinate(state_.DialogLeft), Coordinate(state_.DialogTop));
    const int panelWidth = Extent(state_.FolderPanelWidth);
    Splitter1->setSizes({panelWidth, std::max(0, width() - panelWidth - Splitter1->handleWidth())});
    for (int column = 0; column < kFileListColumns; ++column) {
        StringGrid1->setColumnWidth(column, state_.ColumnWidthKept[column] ? Extent(state_.ColumnWidths[column])
                                                                           : DefaultColumnWidth(column));
    }
    SearchFolder = state_.SearchFolder;
    DestFolder = state_.DestFolder;
    MnuViewPreview->setChecked(state_.PreviewVisible);
    Preview->setVisible(state_.PreviewVisible);
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->setCurrentIndex(state_.FilterIndex >= 0 && state_.FilterIndex < ComboBox1->count() ? state_.FilterIndex : -1);
}

WindowState TForm1::CurrentWindowState() const {
    WindowState state = state_;
    const QMargins frame = platform_.FrameMargins(this);
    const QRect client = geometry();
    state.MainLeft = client.x() - frame.left();
    state.MainTop = client.y() - frame.top();
    state.MainWidth = client.width() + frame.left() + frame.right();
    state.MainHeight = client.height() + frame.top() + frame.bottom();
    if (settingsDialog_) {
        state.DialogLeft = settingsDialog_->x();
        state.DialogTop = settingsDialog_->y();
    }
    state.FolderPanelWidth = Panel1->width();
    for (int column = 0; column < kFileListColumns; ++column) state.ColumnWidths[column] = StringGrid1->columnWidth(column);
    state.SearchFolder = SearchFolder;
    state.DestFolder = DestFolder;
    state.LastSettingsFile = settings_.LastSettingsFile;
    state.FilterIndex = ComboBox1->currentIndex();
    state.PreviewVisible = MnuViewPreview->isChecked();
    return state;
}

void TForm1::FormClose() {
    Preview->Stop();
    std::error_code ignored;
    if (fs::is_directory(paths_.ImageFolder, ignored) && fs::is_empty(paths_.ImageFolder, ignored))
        fs::remove(paths_.ImageFolder, ignored);

    fs::create_directories(fs::path(IniFileName).parent_path(), ignored);
    // A state file that exists but cannot be read is left alone rather than replaced.
    std::optional<ProfileDocument> file = ProfileDocument::LoadForUpdate(IniFileName);
    if (!file) return;
    WriteWindowState(*file, CurrentWindowState());
    SaveConversionSettings(settings_, *file);
    file->Save(IniFileName);
}

// --- Folder tree ---------------------------------------------------------------------------

void TForm1::MnuFileSFolderClick() {
    if (RefuseWhileSearching()) return;
    SetStatusText(QString());
    platform_.RepaintNow(StatusPanel);
    const std::optional<QString> chosen = platform_.ChooseFolder(this, kSearchFolderTitle, DisplayText(SearchFolder));
    if (!chosen) return;
    SearchFolder = WithTrailingSlash(PathBytes(*chosen));
    Edit1->setText(DisplayText(SearchFolder));
    BuildFolderTree();
}

void TForm1::BuildFolderTree() {
    SetStatusText(kSearchingFolders);
    platform_.RepaintNow(StatusPanel);
    std::error_code error;
    if (!fs::is_directory(SearchFolder, error)) {
        platform_.Beep();
        platform_.ShowMessage(this, MessageKind::Information, kDriveNotReady, MessageButtons::Ok);
        SetStatusText(kSearchFolderHint);
        return;
    }
    ListReady = false;
    ListFolder.clear();
    ClearFileList(1);

    TreeReady = false;
    SearchAborted = false;
    searching_ = true;
    TreeView1->setEnabled(false);
    TreeView1->clear();
    QTreeWidgetItem* root = MakeRootNode(TreeView1, SearchFolder);
    root->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    AddSubfolders(SearchFolder, root);
    SearchFolderTree(root, platform_, SearchAborted);
    TreeView1->setEnabled(true);
    searching_ = false;
    SetStatusText(SearchAborted ? kFolderSearchStopped : QString());
    if (TreeView1->topLevelItemCount() > 0) {
        TreeReady = true;
        SortFolderTree(root);
        root->setExpanded(true);
    }
}

void TForm1::AddSubfolders(const std::string& path, QTreeWidgetItem* node) {
    tolvane::AddSubfolders(path, node, platform_, SearchAborted);
}

std::string TForm1::NodePath(int index) const {
    return tolvane::NodePath(TreeView1, index);
}

void TForm1::TreeView1Click() {
    if (RefuseWhileConverting()) return;
    if (!TreeReady) {
        ShowError(MessageKind::Error, kSpecifySearchFolder, true);
        return;
    }
    // The path comes from the node and its parents; numbering the nodes first would walk the
    // whole tree twice on every click.
    const QTreeWidgetItem* selected = TreeView1->currentItem();
    if (!selected) return;
    FillFileList(tolvane::NodePath(selected));
}

// --- File list -----------------------------------------------------------------------------

void TForm1::ClearFileList(int rows) {
    Preview->Clear();
    StringGrid1->clearContents();
    StringGrid1->setRowCount(rows);
    FileRows.clear();
}

namespace {

// A wide memo sorts by its Shift-JIS form, among the memos of byte-string drawings.
std::string MemoSortBytes(const FileListRow& row) {
    return row.Memo.IsWide() ? Utf8ToShiftJis(ArchiveStringToUtf8(row.Memo)) : row.Memo.Stored();
}

}  // namespace

void TForm1::RenderFileRows(int sizeChars) {
    StringGrid1->setRowCount(std::max(1, static_cast<int>(FileRows.size())));
    for (size_t index = 0; index < FileRows.size(); ++index) {
        const FileListRow& row = FileRows[index];
        const auto set = [this, index](int column, const QString& text) {
            StringGrid1->setItem(static_cast<int>(index), column, new QTableWidgetItem(text));
        };
        set(0, DisplayText(row.Name));
        set(kSizeColumn, QString::fromStdString(PadSize(row.Size, sizeChars)));
        set(2, DisplayText(row.Kind));
        set(3, QString::fromStdString(row.Version));
        const std::string memoUtf8 = ArchiveStringToUtf8(row.Memo);
        set(kMemoColumn, QString::fromUtf8(memoUtf8.data(), static_cast<qsizetype>(memoUtf8.size())));
        set(5, QString::fromStdString(row.Modified));
        set(kAttributesColumn, QString::fromStdString(row.Attributes));
    }
}

void TForm1::FillFileList(const std::string& folder) {
    SetStatusText(QStringLiteral("フォルダ「") + DisplayText(folder) + QStringLiteral("」を検索中(ESC:中断)"));
    platform_.RepaintNow(StatusPanel);
    ListReady = false;
    ListFolder = folder;
    ClearFileList(1);
    const int sizeChars = SizeColumnChars(StringGrid1->columnWidth(kSizeColumn), 8);

    FileListing listing =
        ListFolderFiles(folder, ComboBox1->currentIndex(), [this] { return platform_.IsEscapeDown(); });
    const int count = static_cast<int>(listing.Rows.size());
    FileRows = std::move(listing.Rows);
    RenderFileRows(sizeChars);
    StringGrid1->setCurrentCell(0, 0);

    if (listing.Completed)
        SetStatusText(QString::number(count) + QStringLiteral(" Files  パス名「") + DisplayText(folder) + QStringLiteral("」"));
    else
        SetStatusText(kListingStopped);
    ListReady = count > 0;
    StringGrid1SelectCell();
    StringGrid1DrawCell(kSizeColumn, 0);
}

int TForm1::FileRowCount() const {
    return StringGrid1->rowCount();
}

std::string TForm1::CellBytes(int gridRow, int column) const {
    if (gridRow < 1 || gridRow > static_cast<int>(FileRows.size())) return {};
    const FileListRow& row = FileRows[static_cast<size_t>(gridRow - 1)];
    switch (column) {
        case 0: return row.Name;
        case kMemoColumn: return MemoSortBytes(row);
        default: return CellText(gridRow, column).toStdString();
    }
}

QString TForm1::CellText(int gridRow, int column) const {
    const QTableWidgetItem* item = StringGrid1->item(gridRow - 1, column);
    return item ? item->text() : QString();
}

void TForm1::SelectFileType(int index) {
    if (RefuseWhileConverting()) return;
    {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->setCurrentIndex(index);
    }
    if (TreeReady) TreeView1Click();
}

void TForm1::ComboBox1Change() {
    if (TreeReady && TreeView1->currentItem()) TreeView1Click();
}

void TForm1::MnuFileType0Click() { SelectFileType(0); }
void TForm1::MnuFileType1Click() { SelectFileType(1); }
void TForm1::MnuFileType2Click() { SelectFileType(2); }
void TForm1::MnuFileType3Click() { SelectFileType(3); }

void TForm1::StringGrid1MouseDown(Qt::MouseButton, int x, int y) {
    if (RefuseWhileConverting()) return;
    QHeaderView* header = StringGrid1->horizontalHeader();
    if (!ListReady || y >= header->height()) return;
    std::vector<int> widths;
    for (int column = 0; column < kFileListColumns; ++column) widths.push_back(header->sectionSize(column));
    const int grip = header->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, header);
    const int column = HeaderColumnAt(widths, x + header->offset(), 0, grip);
    if (column < 0) return;
    if (column == kAttributesColumn) {
        FillFileList(ListFolder);
        return;
    }
    SortFileList(column);
    SortDescending = !SortDescending;
}

void TForm1::SortFileList(int column) {
    std::vector<std::string> keys;
    for (int row = 1; row <= static_cast<int>(FileRows.size()); ++row)
        keys.push_back(SortKey(CellBytes(row, column), column == kMemoColumn));
    // The selection belongs to files, not to places: it follows its rows through the swaps.
    std::vector<size_t> place(FileRows.size());  // place[p]: the row before the sort now at p
    for (size_t p = 0; p < place.size(); ++p) place[p] = p;
    for (const auto& [a, b] : SelectionSortSwaps(std::move(keys), SortDescending)) {
        std::swap(FileRows[static_cast<size_t>(a)], FileRows[static_cast<size_t>(b)]);
        std::swap(place[static_cast<size_t>(a)], place[static_cast<size_t>(b)]);
    }
    std::vector<bool> wasSelected(FileRows.size(), false);
    for (const QModelIndex& index : StringGrid1->selectionModel()->selectedRows())
        if (index.row() >= 0 && static_cast<size_t>(index.row()) < wasSelected.size()) wasSelected[static_cast<size_t>(index.row())] = true;
    const int current = StringGrid1->currentRow();
    StringGrid1->setUpdatesEnabled(false);
    RenderFileRows(SizeColumnChars(StringGrid1->columnWidth(kSizeColumn), QFontMetrics(StringGrid1->font()).horizontalAdvance('0')));
    QItemSelection selection;
    for (size_t p = 0; p < place.size(); ++p) {
        const int row = static_cast<int>(p);
        if (static_cast<int>(place[p]) == current) StringGrid1->setCurrentCell(row, 0, QItemSelectionModel::NoUpdate);
        if (wasSelected[place[p]])
            selection.select(StringGrid1->model()->index(row, 0), StringGrid1->model()->index(row, kFileListColumns - 1));
    }
    StringGrid1->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    StringGrid1->setUpdatesEnabled(true);
}

void TForm1::StringGrid1DrawCell(int column, int row) {
    if (column != kSizeColumn || row != 0 || !ListReady) return;
    const int chars =
        SizeColumnChars(StringGrid1->columnWidth(kSizeColumn), QFontMetrics(StringGrid1->font()).horizontalAdvance('0'));
    for (size_t index = 0; index < FileRows.size(); ++index) {
        QTableWidgetItem* item = StringGrid1->item(static_cast<int>(index), kSizeColumn);
        if (!item) continue;
        const QString padded = QString::fromStdString(PadSize(FileRows[index].Size, chars));
        if (padded != item->text()) item->setText(padded);
    }
}

void TForm1::StringGrid1DblClick() {
    if (RefuseWhileSearching()) return;
    if (!TreeReady) {
        ShowError(MessageKind::Error, kSpecifySearchFolder, true);
        return;
    }
    if (!ListReady) {
        platform_.Beep();
        SetStatusText(kSpecifyDrawingFolder);
        return;
    }
    const std::string name = CellBytes(StringGrid1->currentRow() + 1, 0);
    if (name.empty()) return;
    platform_.OpenWithAssociatedApplication(QFile::decodeName(ByteArrayOf(ListFolder + name)));
}

void TForm1::StringGrid1SelectCell() {
    if (!ListReady || !MnuViewPreview->isChecked()) return;
    const std::string name = CellBytes(StringGrid1->currentRow() + 1, 0);
    if (name.empty()) {
        Preview->Clear();
        return;
    }
    Preview->ShowFile(fs::path(ListFolder) / name, settings_);
}

// --- Commands ------------------------------------------------------------------------------

void TForm1::MnuExitClick() {
    if (Run->Running()) {
        close();
        return;
    }
    if (RefuseWhileSearching()) return;
    if (platform_.ShowMessage(this, MessageKind::Confirmation, kAskExit, MessageButtons::YesNo) == MessageAnswer::Yes) close();
}

void TForm1::Button1Click() {
    if (RefuseWhileSearching() || !settingsDialog_) return;
    settingsDialog_->exec();
    // The after view follows the settings just chosen.
    StringGrid1SelectCell();
}

void TForm1::Button3Click() {
    if (RefuseWhileSearching()) return;
    const std::optional<QString> chosen = platform_.ChooseFolder(this, kDestFolderTitle, DisplayText(DestFolder));
    if (!chosen) return;
    DestFolder = WithTrailingSlash(PathBytes(*chosen));
    Edit2->setText(DisplayText(DestFolder));
}

void TForm1::Button4Click() {
    if (RefuseWhileSearching()) return;
    const RunInputs inputs{TreeReady, ListReady, DestFolder, ListFolder};
    const RunCheck check = CheckConversionRun(settings_, inputs);
    if (check.Check != RunCheckNumber::Passed) {
        ShowError(check.Kind, QString::fromStdString(check.Message), check.StatusToo);
        return;
    }
    if (platform_.ShowMessage(this, MessageKind::Confirmation, QString::fromUtf8(kAskStartConversion),
                              MessageButtons::YesNo) != MessageAnswer::Yes) {
        SetStatusText(QString::fromUtf8(kConversionCancelled));
        return;
    }
    // After a header sort the selected files may lie apart; they are taken in list order.
    std::vector<int> rows;
    for (const QModelIndex& index : StringGrid1->selectionModel()->selectedRows()) rows.push_back(index.row());
    if (rows.empty() && StringGrid1->currentRow() >= 0) rows.push_back(StringGrid1->currentRow());
    std::sort(rows.begin(), rows.end());
    std::vector<std::string> names;
    for (const int row : rows) names.push_back(CellBytes(row + 1, 0));
    ResolveRuleSources(settings_);
    Run->Start(settings_, SelectionFiles(ListFolder, DestFolder, names), paths_.ImageFolder, DestFolder);
}

void TForm1::MnuSetSaveClick() {
    if (RefuseWhileSearching()) return;
    const std::optional<QString> file =
        platform_.ChooseSaveFile(this, SettingsFileChoice(kSaveSettingsTitle, settings_.LastSettingsFile));
    if (!file) return;
    settings_.LastSettingsFile = PathBytes(*file);
    if (!SaveConversionSettings(settings_, settings_.LastSettingsFile)) ShowError(MessageKind::Error, kSettingsNotSaved, false);
}

void TForm1::MnuSetOpenClick() {
    if (RefuseWhileSearching()) return;
    const std::optional<QString> file =
        platform_.ChooseOpenFile(this, SettingsFileChoice(kOpenSettingsTitle, settings_.LastSettingsFile));
    if (!file) return;
    // An unreadable file would read as an empty one and reset every setting.
    const std::optional<ProfileDocument> document = ProfileDocument::LoadExisting(PathBytes(*file));
    if (!document) {
        ShowError(MessageKind::Error, kSettingsNotRead + *file, false);
        return;
    }
    settings_.LastSettingsFile = PathBytes(*file);
    const std::vector<std::string> refused = LoadConversionSettings(settings_, *document);
    if (!refused.empty()) {
        QStringList keys;
        for (const std::string& key : refused) keys << QString::fromStdString(key);
        SetStatusText(kSettingsKeysRefused + keys.join(QStringLiteral(", ")));
    }
    StringGrid1SelectCell();
}

void TForm1::MnuViewPreviewClick() {
    Preview->setVisible(MnuViewPreview->isChecked());
    StringGrid1SelectCell();
}

// --- Helpers -------------------------------------------------------------------------------

void TForm1::ShowError(MessageKind kind, const QString& text, bool statusToo) {
    platform_.Beep();
    platform_.ShowMessage(this, kind, text, MessageButtons::Ok);
    if (statusToo) SetStatusText(text);
}

// The folder search lets events through while it runs; commands that would start other work
// wait for it to end.
bool TForm1::RefuseWhileSearching() {
    if (RefuseWhileConverting()) return true;
    if (!searching_) return false;
    platform_.Beep();
    SetStatusText(kBusySearching);
    return true;
}

// While a run goes, what it works on stays as it is: the tree, the list, the settings, the
// destination.
bool TForm1::RefuseWhileConverting() {
    if (!Run || !Run->Running()) return false;
    platform_.Beep();
    SetStatusText(kBusyConverting);
    return true;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (!StringGrid1) return QMainWindow::eventFilter(watched, event);
    if (watched == Edit1 && event->type() == QEvent::MouseButtonPress) {
        MnuFileSFolderClick();
        return true;
    }
    if (watched == TreeView1->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        TreeView1Click();
        return false;
    }
    if (watched == StringGrid1->horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        StringGrid1MouseDown(mouse->button(), at.x(), at.y());
        return false;
    }
    if (watched == StringGrid1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        StringGrid1DblClick();
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tolvane
