#include "win32/main_window.h"

#include <algorithm>
#include <system_error>

#include <commctrl.h>
#include <windowsx.h>

#include "conversion/app_paths.h"
#include "formats/utf8_path.h"
#include "frontend/file_list.h"
#include "settings/profile.h"
#include "settings/settings_file.h"
#include "settings/text_encoding.h"
#include "win32/text.h"
#include "win32/ui_font.h"

namespace tolvane::win32 {

namespace fs = std::filesystem;

namespace {

constexpr const wchar_t* kTitle = L"Tolvane Ver.1.04";
constexpr int kSplitter = 3;     // design pixels between the panels
constexpr int kCommandStrip = 48;

std::string WithBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

// The work areas of the monitors, in screen coordinates.
std::vector<ScreenRect> WorkAreas() {
    std::vector<ScreenRect> areas;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(monitor, &info)) {
                const RECT& work = info.rcWork;
                reinterpret_cast<std::vector<ScreenRect>*>(data)->push_back(
                    {work.left, work.top, work.right - work.left, work.bottom - work.top});
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

}  // namespace

ProgramPaths WindowsProgramPaths() {
    ProgramPaths paths;
    paths.HomeFolder = PathFromUtf8(WithBackslash(Utf8FromPath(HomeFolderPath())));
    paths.StateFile = WindowStateFilePath();
    paths.ImageFolder = ImageFolderPath();
    return paths;
}

TForm1::TForm1(ConversionSettings& settings, Platform& platform, ProgramPaths paths)
    : Settings(settings, platform), settings_(settings), platform_(platform), paths_(std::move(paths)) {
    state_ = DefaultWindowState(paths_.HomeFolder);
}

TForm1::~TForm1() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (Accelerators) DestroyAcceleratorTable(Accelerators);
    if (font_) DeleteObject(font_);
    if (bigFont_) DeleteObject(bigFont_);
}

bool TForm1::Create() {
    CreateMenus();
    if (!CreateAs(L"TolvaneMainWindow", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, kTitle, CW_USEDEFAULT,
                  CW_USEDEFAULT, 696, 478, nullptr, Menu))
        return false;
    dpi_ = WindowDpi(hwnd_);
    CreateControls();
    ApplyFonts();
    Layout();
    Settings.Create(hwnd_);
    // The loop takes the window's accelerators. Escape, which stops a folder search or a run,
    // comes with the session in the next phase; it then must not take Escape from a list that
    // is dropped down. Until then the menus' mnemonics are the keys.
    return true;
}

void TForm1::CreateMenus() {
    Menu = CreateMenu();
    const HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, MnuFileSFolder, L"検索フォルダの指定 (&S)");
    const HMENU types = CreatePopupMenu();
    AppendMenuW(types, MF_STRING, MnuFileType0, L"全てのファイル(*.*) (&0)");
    AppendMenuW(types, MF_STRING, MnuFileType1, L"(*.jw?) (&1)");
    AppendMenuW(types, MF_STRING, MnuFileType2, L"(*.jww) (&2)");
    AppendMenuW(types, MF_STRING, MnuFileType3, L"(*.jws) (&3)");
    AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(types), L"ファイルの種類 (&T)");
    AppendMenuW(file, MF_STRING, MnuFileSave, L"保存先フォルダの指定 (&H)");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, MnuExit, L"終了 (&X)");
    AppendMenuW(Menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"ファイル (&F)");

    const HMENU set = CreatePopupMenu();
    AppendMenuW(set, MF_STRING, MnuSetJWW, L"JWW/JWS設定 (&1)");
    AppendMenuW(set, MF_SEPARATOR, 0, nullptr);
    // Saving and opening settings from the menu belong to the session (next phase).
    AppendMenuW(set, MF_STRING | MF_GRAYED, MnuSetSave, L"現在の設定を保存(&S)...");
    AppendMenuW(set, MF_STRING | MF_GRAYED, MnuSetOpen, L"保存した設定を開く(&O)...");
    AppendMenuW(Menu, MF_POPUP, reinterpret_cast<UINT_PTR>(set), L"設定 (&S)");

    const HMENU view = CreatePopupMenu();
    AppendMenuW(view, MF_STRING | MF_CHECKED, MnuViewPreview, L"プレビュー (&P)");
    AppendMenuW(Menu, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"表示 (&V)");
}

void TForm1::CreateControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto make = [&](const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int id) {
        return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    StatusBar1.Create(hwnd_, StatusBar1Id);
    // The search folder: read-only, not a tab stop; a click chooses the folder.
    Edit1 = make(WC_EDITW, L"", ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, Edit1Id);
    SendMessageW(Edit1, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"クリックでフォルダを指定"));
    TreeView1.Create(hwnd_, TreeView1Id);
    Label1 = make(WC_STATICW, L"ファイルの種類", 0, 0, -1);
    ComboBox1 = make(WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, ComboBox1Id);
    for (const wchar_t* item : {L"全てのファイル(*.*)", L"*.JW?", L"*.JWW", L"*.JWS"})
        SendMessageW(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    Button1 = make(WC_BUTTONW, L"JWW/JWS設定", WS_TABSTOP | BS_PUSHBUTTON, 0, Button1Id);
    Label2 = make(WC_STATICW, L"保存先フォルダ", 0, 0, -1);
    Edit2 = make(WC_EDITW, L"", WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, Edit2Id);
    Button3 = make(WC_BUTTONW, L"参照", WS_TABSTOP | BS_PUSHBUTTON, 0, Button3Id);
    // The conversion run comes from frontend/ in the next phase; until then the button waits.
    Button4 = make(WC_BUTTONW, L"変換", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0, Button4Id);

    StringGrid1.Create(hwnd_, StringGrid1Id, true);
    for (int column = 0; column < kFileListColumns; ++column)
        StringGrid1.AddColumn(Wide(kFileListHeaders[static_cast<size_t>(column)]), 64,
                              column == kSizeColumn ? LVCFMT_RIGHT : LVCFMT_LEFT);
    StringGrid1.CellText = [this](int row, int column) { return CellText(row, column); };
    // What a header click means, and a sort that keeps the selection, come with the session.
    StringGrid1.HeaderClicked = [](int) {};
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
    const int preview = PreviewVisible() ? std::clamp(previewWidth_, 0, std::max(0, width - s(kSplitter))) : 0;
    const int list = PreviewVisible() ? width - preview - s(kSplitter) : width;
    MoveWindow(StringGrid1.Handle(), left, top, std::max(0, list), height, TRUE);
    ShowWindow(Preview.Handle(), PreviewVisible() ? SW_SHOWNA : SW_HIDE);
    if (PreviewVisible()) MoveWindow(Preview.Handle(), left + list + s(kSplitter), top, preview, height, TRUE);
}

int TForm1::SplitterAt(int x, int y) const {
    const int gap = Scale(kSplitter, dpi_);
    if (x >= panelWidth_ && x < panelWidth_ + gap) return 1;
    RECT list{};
    GetWindowRect(StringGrid1.Handle(), &list);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&list), 2);
    if (PreviewVisible() && y >= list.top && x >= list.right && x < list.right + gap) return 2;
    return 0;
}

// --- Start and end -------------------------------------------------------------------------

void TForm1::FormShow(int showCommand) {
    std::error_code ignored;
    fs::create_directories(paths_.ImageFolder, ignored);
    state_ = DefaultWindowState(paths_.HomeFolder);
    const ProfileDocument stateFile = ProfileDocument::Load(Utf8FromPath(paths_.StateFile));
    ReadWindowState(stateFile, state_);
    LoadConversionSettings(settings_, stateFile);
    settings_.LastSettingsFile = Utf8FromPath(state_.LastSettingsFile);
    SearchFolder = Utf8FromPath(state_.SearchFolder);
    DestFolder = Utf8FromPath(state_.DestFolder);
    SetWindowTextUtf8(Edit2, DestFolder);
    SendMessageW(ComboBox1, CB_SETCURSEL,
                 state_.FilterIndex >= 0 && state_.FilterIndex < 4 ? static_cast<WPARAM>(state_.FilterIndex) : static_cast<WPARAM>(-1), 0);
    CheckMenuItem(Menu, MnuViewPreview, MF_BYCOMMAND | (state_.PreviewVisible ? MF_CHECKED : MF_UNCHECKED));
    panelWidth_ = std::max(0, state_.FolderPanelWidth);
    for (int column = 0; column < kFileListColumns; ++column) {
        const size_t c = static_cast<size_t>(column);
        if (state_.ColumnWidthKept[c])
            StringGrid1.SetColumnWidth(column, std::max(0, state_.ColumnWidths[c]));
        else
            StringGrid1.SetColumnWidth(column, LVSCW_AUTOSIZE_USEHEADER);
    }
    RECT dialog{};
    GetWindowRect(Settings.Handle(), &dialog);
    const ScreenRect dialogKept = KeepOnScreen(
        {state_.DialogLeft, state_.DialogTop, dialog.right - dialog.left, dialog.bottom - dialog.top}, WorkAreas());
    SetWindowPos(Settings.Handle(), nullptr, dialogKept.Left, dialogKept.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyWindowPlacement();
    ShowWindow(hwnd_, showCommand);
    Layout();
}

void TForm1::ApplyWindowPlacement() {
    const ScreenRect kept = KeepOnScreen({state_.MainLeft, state_.MainTop, state_.MainWidth, state_.MainHeight}, WorkAreas());
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
    RECT dialog{};
    if (GetWindowRect(Settings.Handle(), &dialog)) {
        state.DialogLeft = dialog.left;
        state.DialogTop = dialog.top;
    }
    state.FolderPanelWidth = panelWidth_;
    for (int column = 0; column < kFileListColumns; ++column)
        state.ColumnWidths[static_cast<size_t>(column)] = StringGrid1.ColumnWidth(column);
    state.SearchFolder = PathFromUtf8(SearchFolder);
    state.DestFolder = PathFromUtf8(DestFolder);
    state.LastSettingsFile = PathFromUtf8(settings_.LastSettingsFile);
    state.FilterIndex = FilterIndex();
    state.PreviewVisible = PreviewVisible();
    return state;
}

void TForm1::FormClose() {
    std::error_code ignored;
    if (fs::is_directory(paths_.ImageFolder, ignored) && fs::is_empty(paths_.ImageFolder, ignored))
        fs::remove(paths_.ImageFolder, ignored);
    fs::create_directories(paths_.StateFile.parent_path(), ignored);
    // A state file that exists but cannot be read is left alone rather than replaced.
    std::optional<ProfileDocument> file = ProfileDocument::LoadForUpdate(Utf8FromPath(paths_.StateFile));
    if (!file) return;
    WriteWindowState(*file, CurrentWindowState());
    SaveConversionSettings(settings_, *file);
    file->Save(Utf8FromPath(paths_.StateFile));
}

// --- File list -----------------------------------------------------------------------------

int TForm1::FilterIndex() const { return static_cast<int>(SendMessageW(ComboBox1, CB_GETCURSEL, 0, 0)); }

std::wstring TForm1::CellText(int row, int column) const {
    if (row < 0 || static_cast<size_t>(row) >= FileRows.size()) return {};
    const FileListRow& file = FileRows[static_cast<size_t>(row)];
    switch (column) {
        case 0: return Wide(file.Name);
        case 1: return std::to_wstring(file.Size);
        case 2: return Wide(file.Kind);
        case 3: return Wide(file.Version);
        case 4: return Wide(ArchiveStringToUtf8(file.Memo));
        case 5: return Wide(file.Modified);
        case 6: return Wide(file.Attributes);
        default: return {};
    }
}

void TForm1::FillFileList(const std::string& folder) {
    ListFolder = folder;
    Preview.Clear();
    // The Escape key and the status line of a listing come with the session.
    FileListing listing = ListFolderFiles(PathFromUtf8(folder), FilterIndex(), [] { return false; });
    FileRows = std::move(listing.Rows);
    StringGrid1.SetRowCount(static_cast<int>(FileRows.size()));
    if (!FileRows.empty()) {
        StringGrid1.SetFocusedRow(0);
        StringGrid1.Select(0, true);
    }
    InvalidateRect(StringGrid1.Handle(), nullptr, FALSE);
}

void TForm1::SelectFileType(int index) {
    SendMessageW(ComboBox1, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (!ListFolder.empty()) FillFileList(ListFolder);
}

// --- Commands ------------------------------------------------------------------------------

// Until the folder search comes from frontend/, the tree holds the chosen folder alone and
// the list shows its files.
void TForm1::MnuFileSFolderClick() {
    const std::optional<fs::path> chosen = platform_.ChooseFolder(hwnd_, L"検索フォルダの指定", PathFromUtf8(SearchFolder));
    if (!chosen) return;
    SearchFolder = WithBackslash(Utf8FromPath(*chosen));
    SetWindowTextUtf8(Edit1, SearchFolder);
    TreeView1.Clear();
    TreeView1.Select(TreeView1.Add(nullptr, Wide(SearchFolder)));
    FillFileList(SearchFolder);
}

void TForm1::Button1Click() { Settings.ShowModal(); }

void TForm1::Button3Click() {
    const std::optional<fs::path> chosen = platform_.ChooseFolder(hwnd_, L"保存先フォルダの指定", PathFromUtf8(DestFolder));
    if (!chosen) return;
    DestFolder = WithBackslash(Utf8FromPath(*chosen));
    SetWindowTextUtf8(Edit2, DestFolder);
}

void TForm1::MnuExitClick() {
    if (platform_.ShowMessage(hwnd_, MessageKind::Confirmation, L"終了します。よろしいですか？", MessageButtons::YesNo) ==
        MessageAnswer::Yes)
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void TForm1::MnuViewPreviewClick() {
    CheckMenuItem(Menu, MnuViewPreview, MF_BYCOMMAND | (PreviewVisible() ? MF_UNCHECKED : MF_CHECKED));
    Layout();
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            switch (id) {
                case MnuFileSFolder: MnuFileSFolderClick(); return 0;
                case MnuFileType0:
                case MnuFileType1:
                case MnuFileType2:
                case MnuFileType3: SelectFileType(id - MnuFileType0); return 0;
                case MnuFileSave:
                case Button3Id: Button3Click(); return 0;
                case MnuExit: MnuExitClick(); return 0;
                case MnuSetJWW:
                case Button1Id: Button1Click(); return 0;
                case MnuViewPreview: MnuViewPreviewClick(); return 0;
                case ComboBox1Id:
                    if (code == CBN_SELCHANGE && !ListFolder.empty()) FillFileList(ListFolder);
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
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            LRESULT result = 0;
            if (StringGrid1.HandleNotify(header, result)) return result;
            if (header.hwndFrom == TreeView1.Handle() && header.code == NM_CLICK && !SearchFolder.empty() &&
                TreeView1.Root()) {
                FillFileList(SearchFolder);
                return 0;
            }
            break;
        }
        case WM_SIZE: Layout(); return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd_) {
                POINT at{};
                GetCursorPos(&at);
                ScreenToClient(hwnd_, &at);
                if (SplitterAt(at.x, at.y)) {
                    SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
                    return TRUE;
                }
            }
            break;
        case WM_LBUTTONDOWN:
            dragging_ = SplitterAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            if (dragging_) SetCapture(hwnd_);
            return 0;
        case WM_MOUSEMOVE:
            if (dragging_) {
                RECT client{};
                GetClientRect(hwnd_, &client);
                const int x = GET_X_LPARAM(lParam);
                if (dragging_ == 1)
                    panelWidth_ = std::clamp(x, Scale(20, dpi_), std::max(Scale(20, dpi_), static_cast<int>(client.right) - Scale(200, dpi_)));
                else
                    previewWidth_ = std::clamp(static_cast<int>(client.right) - x - Scale(kSplitter, dpi_), Scale(80, dpi_),
                                               std::max(Scale(80, dpi_), static_cast<int>(client.right) - panelWidth_ - Scale(120, dpi_)));
                Layout();
            }
            return 0;
        case WM_LBUTTONUP:
            if (dragging_) ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED: dragging_ = 0; return 0;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            ApplyFonts();
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CLOSE:
            if (!closed_) {
                closed_ = true;
                FormClose();
            }
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            if (QuitOnDestroy) PostQuitMessage(0);
            return 0;
        default: break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace tolvane::win32
