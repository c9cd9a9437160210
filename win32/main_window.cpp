#include "win32/main_window.h"

#include <algorithm>

#include <commctrl.h>
#include <windowsx.h>

#include "conversion/app_paths.h"
#include "formats/utf8_path.h"
#include "frontend/file_list.h"
#include "frontend/path_text.h"
#include "frontend/texts.h"
#include "win32/text.h"
#include "win32/ui_font.h"

namespace tolvane::win32 {

namespace fs = std::filesystem;
using namespace main_text;

namespace {

constexpr int kSplitter = 3;       // design pixels between the panels
constexpr int kCommandStrip = 48;  // the strip of the filter, the destination and the buttons
// The preview's share of a first start, and the window's client height then.
constexpr int kFirstPreviewWidth = 380;
constexpr int kFirstHeight = 620;
// The parts of the status bar during a run, beside the status: the file, the progress, 中止.
constexpr int kRunFileWidth = 260;
constexpr int kProgressWidth = 150;
constexpr int kStopWidth = 60;

// The work areas of the monitors, in screen coordinates, the primary monitor's first.
std::vector<ScreenRect> WorkAreas() {
    std::vector<ScreenRect> areas;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(monitor, &info)) {
                auto& found = *reinterpret_cast<std::vector<ScreenRect>*>(data);
                const RECT& work = info.rcWork;
                const ScreenRect area{work.left, work.top, work.right - work.left, work.bottom - work.top};
                if (info.dwFlags & MONITORINFOF_PRIMARY) found.insert(found.begin(), area);
                else found.push_back(area);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&areas));
    return areas;
}

// The normal position of a placement is in workspace coordinates: screen coordinates less
// the room that a task bar at the top or left of that monitor takes.
POINT WorkspaceOffset(const RECT& screenRect) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&screenRect, MONITOR_DEFAULTTONEAREST), &info)) return {0, 0};
    return {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

void AppendItem(HMENU menu, int id, std::string_view text, UINT flags = MF_STRING) {
    AppendMenuW(menu, flags, static_cast<UINT_PTR>(id), Wide(text).c_str());
}

void AppendPopup(HMENU menu, HMENU popup, std::string_view text) {
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), Wide(text).c_str());
}

}  // namespace

ProgramPaths WindowsProgramPaths() {
    ProgramPaths paths;
    paths.HomeFolder = AsFolder(HomeFolderPath());
    paths.StateFile = WindowStateFilePath();
    paths.ImageFolder = ImageFolderPath();
    return paths;
}

TForm1::TForm1(ConversionSettings& settings, Platform& platform, ProgramPaths paths)
    // Extracted images of the preview stay apart from those of a conversion run.
    : Preview(paths.ImageFolder / "preview"),
      Settings(settings, platform),
      settings_(settings),
      platform_(platform),
      session_(settings, platform, *this, paths, Poster()) {
    state_ = DefaultWindowState(paths.HomeFolder);
}

TForm1::~TForm1() {
    Preview.Session.Stop();
    Results.reset();
    if (hwnd_) DestroyWindow(hwnd_);
    if (Accelerators) DestroyAcceleratorTable(Accelerators);
    if (font_) DeleteObject(font_);
    if (bigFont_) DeleteObject(bigFont_);
}

bool TForm1::Create() {
    CreateMenus();
    if (!CreateAs(L"TolvaneMainWindow", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, Wide(kCaption).c_str(),
                  CW_USEDEFAULT, CW_USEDEFAULT, state_.MainWidth, state_.MainHeight, nullptr, Menu))
        return false;
    dpi_ = WindowDpi(hwnd_);
    CreateControls();
    ApplyFonts();
    Layout();
    Settings.Create(hwnd_);
    // Escape stops a folder search or a run; the message loop leaves it to a dropped-down list.
    ACCEL escape{FVIRTKEY, VK_ESCAPE, EscapeKey};
    Accelerators = CreateAcceleratorTableW(&escape, 1);
    return true;
}

void TForm1::CreateMenus() {
    Menu = CreateMenu();
    const HMENU file = CreatePopupMenu();
    AppendItem(file, MnuFileSFolder, kMenuSearchFolder);
    const HMENU types = CreatePopupMenu();
    for (size_t index = 0; index < kFilterMenuItems.size(); ++index)
        AppendItem(types, MnuFileType0 + static_cast<int>(index), kFilterMenuItems[index]);
    AppendPopup(file, types, kMenuFileType);
    AppendItem(file, MnuFileSave, kMenuDestination);
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendItem(file, MnuExit, kMenuExit);
    AppendPopup(Menu, file, kMenuFile);

    const HMENU set = CreatePopupMenu();
    AppendItem(set, MnuSetJWW, kMenuSettingsDialog);
    AppendMenuW(set, MF_SEPARATOR, 0, nullptr);
    AppendItem(set, MnuSetSave, kMenuSaveSettings);
    AppendItem(set, MnuSetOpen, kMenuOpenSettings);
    AppendPopup(Menu, set, kMenuSettings);

    const HMENU view = CreatePopupMenu();
    AppendItem(view, MnuViewPreview, kMenuPreview, MF_STRING | MF_CHECKED);
    AppendItem(view, MnuViewResults, kMenuLastResults);
    AppendPopup(Menu, view, kMenuView);
}

void TForm1::CreateControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto make = [&](const wchar_t* className, std::string_view text, DWORD style, DWORD exStyle, int id) {
        return CreateWindowExW(exStyle, className, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    StatusBar1.Create(hwnd_, StatusBar1Id);
    // The run's progress and its stop button lie over the status bar while a run goes.
    ProgressBar1 = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 10, 10, hwnd_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(RunProgressId)), instance, nullptr);
    StopButton = CreateWindowExW(0, WC_BUTTONW, Wide(kStopButton).c_str(), WS_CHILD | BS_PUSHBUTTON, 0, 0, 10, 10, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(StopButtonId)), instance, nullptr);
    // The search folder: read-only, not a tab stop; a click chooses the folder.
    Edit1 = make(WC_EDITW, {}, ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, Edit1Id);
    SendMessageW(Edit1, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(Wide(kSearchFolderPlaceholder).c_str()));
    TreeView1.Create(hwnd_, TreeView1Id);
    TreeView1.ItemClicked = [this](HTREEITEM item) { TreeView1Click(item); };
    Label1 = make(WC_STATICW, kFileTypeLabel, 0, 0, -1);
    ComboBox1 = make(WC_COMBOBOXW, {}, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, ComboBox1Id);
    for (const std::string_view item : kFilterItems)
        SendMessageW(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    Button1 = make(WC_BUTTONW, kSettingsButton, WS_TABSTOP | BS_PUSHBUTTON, 0, Button1Id);
    Label2 = make(WC_STATICW, kDestinationLabel, 0, 0, -1);
    Edit2 = make(WC_EDITW, {}, WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, Edit2Id);
    Button3 = make(WC_BUTTONW, kBrowseButton, WS_TABSTOP | BS_PUSHBUTTON, 0, Button3Id);
    Button4 = make(WC_BUTTONW, kConvertButton, WS_TABSTOP | BS_PUSHBUTTON, 0, Button4Id);

    StringGrid1.Create(hwnd_, StringGrid1Id, true);
    for (int column = 0; column < kFileListColumns; ++column)
        StringGrid1.AddColumn(Wide(kFileListHeaders[static_cast<size_t>(column)]), 64,
                              column == kSizeColumn ? LVCFMT_RIGHT : LVCFMT_LEFT);
    StringGrid1.CellText = [this](int place, int column) -> std::wstring {
        if (place < 0 || static_cast<size_t>(place) >= order_.size()) return {};
        return Wide(CellText(session_.Rows()[RowAt(place)], column));
    };
    StringGrid1.HeaderClicked = [this](int column) { StringGrid1MouseDown(column); };
    Preview.Create(hwnd_, PreviewId);
}

void TForm1::ApplyFonts() {
    if (font_) DeleteObject(font_);
    if (bigFont_) DeleteObject(bigFont_);
    font_ = CreateUiFont(dpi_);
    bigFont_ = CreateUiFont(dpi_, 14);
    SetChildFonts(hwnd_, font_);
    SetChildFonts(Preview.Handle(), font_);
    SendMessageW(Button4, WM_SETFONT, reinterpret_cast<WPARAM>(bigFont_), TRUE);
}

bool TForm1::PreviewVisible() const { return (GetMenuState(Menu, MnuViewPreview, MF_BYCOMMAND) & MF_CHECKED) != 0; }

void TForm1::Layout() {
    if (!StringGrid1.Handle()) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const auto s = [this](int pixels) { return Scale(pixels, dpi_); };
    const int status = StatusBar1.Resize();
    LayoutStatusBar();
    const int bottom = std::max(0, static_cast<int>(client.bottom) - status);
    const int panel = std::clamp(panelWidth_, 0, std::max(0, static_cast<int>(client.right) - s(kSplitter)));
    const int field = s(21);
    MoveWindow(Edit1, 0, 0, panel, field, TRUE);
    MoveWindow(TreeView1.Handle(), 0, field, panel, std::max(0, bottom - field), TRUE);

    // The buttons stand at fixed places of the strip above the list, as in the original form.
    const int left = panel + s(kSplitter);
    MoveWindow(Label1, left + s(4), s(4), s(82), s(16), TRUE);
    MoveWindow(ComboBox1, left + s(88), 0, s(140), s(200), TRUE);
    MoveWindow(Button1, left + s(304), s(2), s(97), s(20), TRUE);
    MoveWindow(Label2, left + s(4), s(28), s(82), s(16), TRUE);
    MoveWindow(Edit2, left + s(88), s(24), s(273), s(21), TRUE);
    MoveWindow(Button3, left + s(368), s(24), s(33), s(22), TRUE);
    MoveWindow(Button4, left + s(408), s(2), s(75), s(44), TRUE);

    const int top = s(kCommandStrip);
    const int width = std::max(0, static_cast<int>(client.right) - left);
    const int height = std::max(0, bottom - top);
    if (previewWidth_ <= 0) previewWidth_ = width * 2 / 5;
    const bool preview = PreviewVisible();
    const int previewWidth = preview ? std::clamp(previewWidth_, 0, std::max(0, width - s(kSplitter))) : 0;
    const int list = preview ? width - previewWidth - s(kSplitter) : width;
    MoveWindow(StringGrid1.Handle(), left, top, std::max(0, list), height, TRUE);
    ShowWindow(Preview.Handle(), preview ? SW_SHOWNA : SW_HIDE);
    if (preview) MoveWindow(Preview.Handle(), left + list + s(kSplitter), top, previewWidth, height, TRUE);
}

void TForm1::LayoutStatusBar() {
    const bool converting = session_.Run().Running();
    const auto s = [this](int pixels) { return Scale(pixels, dpi_); };
    if (!converting) {
        StatusBar1.SetParts({});
    } else {
        StatusBar1.SetParts({s(kRunFileWidth), s(kProgressWidth), s(kStopWidth)});
        RECT bar{};
        GetWindowRect(StatusBar1.Handle(), &bar);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&bar), 2);
        for (const auto& [window, part] : {std::pair{ProgressBar1, 2}, std::pair{StopButton, 3}}) {
            RECT rect = StatusBar1.PartRect(part);
            SetWindowPos(window, HWND_TOP, bar.left + rect.left + 1, bar.top + rect.top + 1, rect.right - rect.left - 2,
                         rect.bottom - rect.top - 2, SWP_NOACTIVATE);
        }
    }
    ShowWindow(ProgressBar1, converting ? SW_SHOWNA : SW_HIDE);
    ShowWindow(StopButton, converting ? SW_SHOWNA : SW_HIDE);
}

int TForm1::SplitterAt(int x, int y) const {
    const int gap = Scale(kSplitter, dpi_);
    if (x >= panelWidth_ && x < panelWidth_ + gap) return 1;
    RECT list{};
    GetWindowRect(StringGrid1.Handle(), &list);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&list), 2);
    if (PreviewVisible() && y >= list.top && y < list.bottom && x >= list.right && x < list.right + gap) return 2;
    return 0;
}

int TForm1::DefaultColumnWidth(int column) const {
    const auto width = [this](std::string_view text) { return ListView_GetStringWidth(StringGrid1.Handle(), Wide(text).c_str()); };
    const size_t c = static_cast<size_t>(column);
    return std::max(width(kFileListWidthSamples[c]), width(kFileListHeaders[c])) + Scale(16, dpi_);
}

// --- Start and end -------------------------------------------------------------------------

void TForm1::FormShow(int showCommand) {
    state_ = session_.Start();
    ApplyWindowState(state_);
    ShowWindow(hwnd_, state_.MainMaximized ? SW_SHOWMAXIMIZED : showCommand);
    Layout();
}

void TForm1::ApplyWindowState(const WindowState& state) {
    const std::vector<ScreenRect> screens = WorkAreas();
    panelWidth_ = std::max(0, state.FolderPanelWidth);
    int columns = 0;
    for (int column = 0; column < kFileListColumns; ++column) {
        const size_t c = static_cast<size_t>(column);
        const int width = state.ColumnWidthKept[c] ? std::max(0, state.ColumnWidths[c]) : DefaultColumnWidth(column);
        StringGrid1.SetColumnWidth(column, width);
        columns += width;
    }
    CheckMenuItem(Menu, MnuViewPreview, MF_BYCOMMAND | (state.PreviewVisible ? MF_CHECKED : MF_UNCHECKED));

    ScreenRect kept{state.MainLeft, state.MainTop, state.MainWidth, state.MainHeight};
    if (!state.MainBoundsKept && !screens.empty()) {
        // Every column of the list and the preview beside it.
        const int list = columns + GetSystemMetricsForDpi(SM_CXVSCROLL, dpi_) + 2 * GetSystemMetricsForDpi(SM_CXEDGE, dpi_);
        previewWidth_ = Scale(kFirstPreviewWidth, dpi_);
        RECT frame = {0, 0, panelWidth_ + list + previewWidth_ + 2 * Scale(kSplitter, dpi_), Scale(kFirstHeight, dpi_)};
        AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), TRUE,
                                 static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi_);
        kept = FirstStartFrame(frame.right - frame.left, frame.bottom - frame.top, screens[0]);
    }
    kept = KeepOnScreen(kept, screens);
    RECT normal = {kept.Left, kept.Top, kept.Left + kept.Width, kept.Top + kept.Height};
    const POINT offset = WorkspaceOffset(normal);
    OffsetRect(&normal, -offset.x, -offset.y);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd_, &placement);
    placement.flags = 0;
    placement.showCmd = SW_HIDE;
    placement.rcNormalPosition = normal;
    SetWindowPlacement(hwnd_, &placement);

    RECT dialog{};
    GetWindowRect(Settings.Handle(), &dialog);
    const ScreenRect dialogKept =
        KeepOnScreen({state.DialogLeft, state.DialogTop, dialog.right - dialog.left, dialog.bottom - dialog.top}, screens);
    SetWindowPos(Settings.Handle(), nullptr, dialogKept.Left, dialogKept.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

WindowState TForm1::CurrentWindowState() const {
    WindowState state = state_;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(hwnd_, &placement)) {
        // The restored frame, also when the window is maximised or minimised.
        RECT normal = placement.rcNormalPosition;
        const POINT offset = WorkspaceOffset(normal);
        OffsetRect(&normal, offset.x, offset.y);
        state.MainLeft = normal.left;
        state.MainTop = normal.top;
        state.MainWidth = normal.right - normal.left;
        state.MainHeight = normal.bottom - normal.top;
    }
    state.MainMaximized = IsZoomed(hwnd_) != FALSE;
    RECT dialog{};
    if (GetWindowRect(Settings.Handle(), &dialog)) {
        state.DialogLeft = dialog.left;
        state.DialogTop = dialog.top;
    }
    state.FolderPanelWidth = panelWidth_;
    for (int column = 0; column < kFileListColumns; ++column)
        state.ColumnWidths[static_cast<size_t>(column)] = StringGrid1.ColumnWidth(column);
    state.PreviewVisible = PreviewVisible();
    return state;
}

// --- What the session shows ----------------------------------------------------------------

void TForm1::ShowStatus() {
    StatusBar1.SetText(Wide(session_.Status()));
    StatusBar1.SetTip(session_.StatusIsSummary() ? Wide(kOpenDestinationTip) : std::wstring());
    // A listing keeps this thread busy; the text shows before it starts.
    UpdateWindow(StatusBar1.Handle());
}

void TForm1::ShowFields() {
    SetWindowTextUtf8(Edit1, session_.SearchFolderChosen() ? FolderText(session_.SearchFolder()) : std::string());
    SetWindowTextUtf8(Edit2, FolderText(session_.DestFolder()));
    const int filter = session_.FilterIndex();
    const int count = static_cast<int>(SendMessageW(ComboBox1, CB_GETCOUNT, 0, 0));
    SendMessageW(ComboBox1, CB_SETCURSEL, filter >= 0 && filter < count ? static_cast<WPARAM>(filter) : static_cast<WPARAM>(-1), 0);
}

void TForm1::ShowTree() {
    const FolderTree& tree = session_.Tree();
    SendMessageW(TreeView1.Handle(), WM_SETREDRAW, FALSE, 0);
    TreeView1.Clear();
    items_.assign(tree.Nodes.size(), nullptr);
    // Depth first, the children of each node in the session's order.
    std::vector<std::pair<int, HTREEITEM>> pending;
    if (!tree.Empty()) pending.emplace_back(0, nullptr);
    while (!pending.empty()) {
        const auto [node, parent] = pending.back();
        pending.pop_back();
        const HTREEITEM item = TreeView1.Add(parent, Wide(tree.TextOf(node)), node);
        items_[static_cast<size_t>(node)] = item;
        const std::vector<int>& children = tree.Nodes[static_cast<size_t>(node)].Children;
        for (auto child = children.rbegin(); child != children.rend(); ++child) pending.emplace_back(*child, item);
    }
    if (!tree.Empty()) TreeView1.Expand(items_[0]);
    SendMessageW(TreeView1.Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(TreeView1.Handle(), nullptr, TRUE);
}

HTREEITEM TForm1::ItemOf(int node) const {
    return node >= 0 && static_cast<size_t>(node) < items_.size() ? items_[static_cast<size_t>(node)] : nullptr;
}

void TForm1::ShowListedNode() {
    TreeView1.Select(ItemOf(session_.ListNode()));
}

void TForm1::ShowList() {
    order_ = session_.Order();
    ListView_SetItemState(StringGrid1.Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    StringGrid1.SetRowCount(static_cast<int>(order_.size()));
    if (!order_.empty()) {
        StringGrid1.SetFocusedRow(0);
        StringGrid1.Select(0, true);
        ListView_SetSelectionMark(StringGrid1.Handle(), 0);
        StringGrid1.EnsureVisible(0);
    }
    InvalidateRect(StringGrid1.Handle(), nullptr, FALSE);
    StringGrid1SelectCell();
}

// The selection and the cursor stay with their files, wherever the new order puts them.
void TForm1::ShowOrder() {
    std::vector<size_t> selected;
    for (const int place : StringGrid1.SelectedRows()) selected.push_back(RowAt(place));
    ShowPlaces(selected, CurrentRow());
}

void TForm1::ShowPlaces(const std::vector<size_t>& selectedRows, std::optional<size_t> focusedRow) {
    order_ = session_.Order();
    std::vector<int> placeOf(order_.size());
    for (size_t place = 0; place < order_.size(); ++place) placeOf[order_[place]] = static_cast<int>(place);
    reordering_ = true;
    ListView_SetItemState(StringGrid1.Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (const size_t row : selectedRows)
        if (row < placeOf.size()) StringGrid1.Select(placeOf[row], true);
    if (focusedRow && *focusedRow < placeOf.size()) {
        StringGrid1.SetFocusedRow(placeOf[*focusedRow]);
        ListView_SetSelectionMark(StringGrid1.Handle(), placeOf[*focusedRow]);
        StringGrid1.EnsureVisible(placeOf[*focusedRow]);
    }
    reordering_ = false;
    InvalidateRect(StringGrid1.Handle(), nullptr, FALSE);
}

void TForm1::ShowState() {
    const bool converting = session_.Run().Running();
    EnableWindow(TreeView1.Handle(), session_.State() != SessionState::Searching);
    EnableWindow(ComboBox1, !converting);
    LayoutStatusBar();
    const RunProgress& progress = session_.Progress();
    SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, static_cast<LPARAM>(progress.Total));
    SendMessageW(ProgressBar1, PBM_SETPOS, progress.Done, 0);
    StatusBar1.SetText(converting ? Wide(progress.FileText) : std::wstring(), 1);
    StatusBar1.SetTip(converting ? Wide(progress.FileDetail) : std::wstring(), 1);
    EnableWindow(StopButton, !session_.Stopping());
}

void TForm1::ShowResults() {
    Results = std::make_unique<ResultsWindow>(platform_, *session_.LastResults(), [this] { session_.OpenDestinationFolder(); });
    Results->Create(hwnd_);
}

void TForm1::Close() {
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// --- Handlers ------------------------------------------------------------------------------

int TForm1::SelectedNode() const {
    const HTREEITEM selected = TreeView1.Selected();
    return selected ? static_cast<int>(TreeView1.Data(selected)) : -1;
}

std::optional<size_t> TForm1::CurrentRow() const {
    const int place = StringGrid1.FocusedRow();
    if (place < 0 || static_cast<size_t>(place) >= order_.size()) return std::nullopt;
    return RowAt(place);
}

void TForm1::MnuFileSFolderClick() { session_.MnuFileSFolderClick(); }
void TForm1::ComboBox1Change() {
    session_.ComboBox1Change(static_cast<int>(SendMessageW(ComboBox1, CB_GETCURSEL, 0, 0)), SelectedNode());
}
void TForm1::MnuFileTypeClick(int index) { session_.MnuFileTypeClick(index, SelectedNode()); }
void TForm1::StringGrid1MouseDown(int column) { session_.StringGrid1MouseDown(column); }
void TForm1::StringGrid1DblClick() { session_.StringGrid1DblClick(CurrentRow()); }
void TForm1::MnuExitClick() { session_.MnuExitClick(); }
void TForm1::Button3Click() { session_.Button3Click(); }
void TForm1::MnuSetSaveClick() { session_.MnuSetSaveClick(); }
void TForm1::MnuViewResultsClick() { session_.ShowLastResults(); }

void TForm1::TreeView1Click(HTREEITEM item) {
    // The highlight moves only when the session takes the click.
    if (session_.TreeView1Click(static_cast<int>(TreeView1.Data(item)))) TreeView1.Select(item);
}

void TForm1::StringGrid1SelectCell() {
    cursorRow_ = CurrentRow();
    if (!session_.ListReady() || !PreviewVisible()) return;
    const std::optional<size_t> row = cursorRow_;
    if (row) Preview.Session.Show(session_.FileOf(*row), settings_);
    else Preview.Session.Clear();
}

void TForm1::Button1Click() {
    if (!session_.Button1Click()) return;
    Settings.ShowModal();
    // The after view follows the settings just chosen.
    StringGrid1SelectCell();
}

void TForm1::Button4Click() {
    // After a header sort the selected files may lie apart; they go in the order shown.
    std::vector<size_t> selected;
    for (const int place : StringGrid1.SelectedRows()) selected.push_back(RowAt(place));
    if (selected.empty() && CurrentRow()) selected.push_back(*CurrentRow());
    session_.Button4Click(selected);
}

void TForm1::MnuSetOpenClick() {
    if (session_.MnuSetOpenClick()) StringGrid1SelectCell();
}

void TForm1::MnuViewPreviewClick() {
    CheckMenuItem(Menu, MnuViewPreview, MF_BYCOMMAND | (PreviewVisible() ? MF_UNCHECKED : MF_CHECKED));
    Layout();
    StringGrid1SelectCell();
}

// --- Messages ------------------------------------------------------------------------------

bool TForm1::OnNotify(const NMHDR& header, LRESULT& result) {
    if (StringGrid1.HandleNotify(header, result)) return true;
    if (header.hwndFrom == StringGrid1.Handle() && (header.code == LVN_ITEMCHANGED || header.code == LVN_ODSTATECHANGED)) {
        // The preview follows the cursor to another file; a sort moves the cursor with its file.
        if (!reordering_ && CurrentRow() != cursorRow_) StringGrid1SelectCell();
        return true;
    }
    if (header.hwndFrom == StringGrid1.Handle() && header.code == NM_DBLCLK) {
        StringGrid1DblClick();
        return true;
    }
    if (header.hwndFrom == StatusBar1.Handle() && header.code == NM_CLICK) {
        session_.StatusClick();
        return true;
    }
    return false;
}

bool TForm1::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd_) {
                POINT at{};
                GetCursorPos(&at);
                ScreenToClient(hwnd_, &at);
                if (SplitterAt(at.x, at.y)) {
                    SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
                    result = TRUE;
                    return true;
                }
            }
            return false;
        case WM_LBUTTONDOWN:
            dragging_ = SplitterAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            if (dragging_) SetCapture(hwnd_);
            return true;
        case WM_MOUSEMOVE:
            if (dragging_) {
                RECT client{};
                GetClientRect(hwnd_, &client);
                const int x = GET_X_LPARAM(lParam);
                const int least = Scale(20, dpi_), leastList = Scale(120, dpi_), leastPreview = Scale(80, dpi_);
                if (dragging_ == 1)
                    panelWidth_ = std::clamp(x, least, std::max(least, static_cast<int>(client.right) - Scale(200, dpi_)));
                else
                    previewWidth_ = std::clamp(static_cast<int>(client.right) - x - Scale(kSplitter, dpi_), leastPreview,
                                               std::max(leastPreview, static_cast<int>(client.right) - panelWidth_ - leastList));
                Layout();
            }
            return true;
        case WM_LBUTTONUP:
            if (dragging_) ReleaseCapture();
            return true;
        case WM_CAPTURECHANGED: dragging_ = 0; return true;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            ApplyFonts();
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return true;
        }
        default: return false;
    }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            switch (id) {
                case MnuFileSFolder: MnuFileSFolderClick(); return 0;
                case MnuFileType0:
                case MnuFileType1:
                case MnuFileType2:
                case MnuFileType3: MnuFileTypeClick(id - MnuFileType0); return 0;
                case MnuFileSave:
                case Button3Id: Button3Click(); return 0;
                case MnuExit: MnuExitClick(); return 0;
                case MnuSetJWW:
                case Button1Id: Button1Click(); return 0;
                case MnuSetSave: MnuSetSaveClick(); return 0;
                case MnuSetOpen: MnuSetOpenClick(); return 0;
                case MnuViewPreview: MnuViewPreviewClick(); return 0;
                case MnuViewResults: MnuViewResultsClick(); return 0;
                case Button4Id: Button4Click(); return 0;
                case StopButtonId: session_.StopButtonClick(); return 0;
                case EscapeKey: session_.EscapePressed(); return 0;
                case ComboBox1Id:
                    if (code == CBN_SELCHANGE) ComboBox1Change();
                    return 0;
                case Edit1Id:
                    if (code == EN_SETFOCUS) {
                        SetFocus(TreeView1.Handle());
                        MnuFileSFolderClick();
                    }
                    return 0;
                default: break;
            }
            break;
        }
        case WM_NOTIFY:
            if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
            break;
        case WM_SIZE: Layout(); return 0;
        case WM_CLOSE:
            // During a run the session asks whether to stop, and closes the window at its end.
            if (!session_.CanClose()) return 0;
            if (!ended_) {
                ended_ = true;
                Preview.Session.Stop();
                session_.End(CurrentWindowState());
            }
            Results.reset();
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            if (QuitOnDestroy) PostQuitMessage(0);
            return 0;
        default:
            if (OnWindowMessage(message, wParam, lParam, result)) return result;
            break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace tolvane::win32
