#include "win32/results_window.h"

#include <commctrl.h>

#include "frontend/path_text.h"
#include "frontend/texts.h"
#include "win32/text.h"
#include "win32/ui_font.h"

namespace tolvane::win32 {

using namespace results_text;

namespace {

enum : int { kTable = 100, kCopy, kSave, kOpenFolder };

// Windows programs take text from the clipboard with CRLF line ends.
std::wstring WithCrLf(const std::wstring& text) {
    std::wstring lines;
    lines.reserve(text.size() + text.size() / 16);
    for (const wchar_t c : text) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    return lines;
}

}  // namespace

ResultsWindow::ResultsWindow(Platform& platform, RunResults results, std::function<void()> openFolder)
    : platform_(platform), results_(std::move(results)), openFolder_(std::move(openFolder)) {}

ResultsWindow::~ResultsWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
    if (boldFont_) DeleteObject(boldFont_);
}

bool ResultsWindow::Create(HWND owner) {
    const UINT dpi = WindowDpi(owner);
    RECT ownerFrame{};
    GetWindowRect(owner, &ownerFrame);
    if (!CreateAs(L"TolvaneResultsWindow", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                  Wide(kCaption).c_str(), ownerFrame.left + Scale(40, dpi), ownerFrame.top + Scale(40, dpi), Scale(760, dpi),
                  Scale(420, dpi), owner, nullptr))
        return false;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto make = [&](const wchar_t* className, std::string_view text, DWORD style, int id) {
        return CreateWindowExW(0, className, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    Summary = make(WC_STATICW, results_.Summary + "\n" + std::string(kDestinationLine) + FolderText(results_.Destination),
                   SS_NOPREFIX, -1);
    Table.Create(hwnd_, kTable, true, LVS_NOSORTHEADER);
    Table.AddColumn(Wide(kHeaders[0]), Scale(200, dpi));
    Table.AddColumn(Wide(kHeaders[1]), Scale(100, dpi));
    Table.AddColumn(Wide(kHeaders[2]), Scale(420, dpi));
    Table.CellText = [this](int row, int column) -> std::wstring {
        if (row < 0 || static_cast<size_t>(row) >= results_.Rows.size()) return {};
        const ResultRow& result = results_.Rows[static_cast<size_t>(row)];
        // The folder is the same for every file of a selection; the name tells them apart.
        if (column == 0) return result.File.filename().wstring();
        return Wide(column == 1 ? result.Outcome : result.Reason);
    };
    Table.SetRowCount(static_cast<int>(results_.Rows.size()));
    CopyButton = make(WC_BUTTONW, kCopyButton, WS_TABSTOP | BS_PUSHBUTTON, kCopy);
    SaveButton = make(WC_BUTTONW, kSaveButton, WS_TABSTOP | BS_PUSHBUTTON, kSave);
    OpenFolderButton = make(WC_BUTTONW, kOpenFolderButton, WS_TABSTOP | BS_PUSHBUTTON, kOpenFolder);
    // Escape, through the dialog keys, is this button.
    CloseButton = make(WC_BUTTONW, kCloseButton, WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
    font_ = CreateUiFont(dpi);
    boldFont_ = CreateUiFont(dpi, 9, true);
    SetChildFonts(hwnd_, font_);
    Layout();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetFocus(Table.Handle());
    return true;
}

void ResultsWindow::Layout() {
    if (!Table.Handle()) return;
    const UINT dpi = WindowDpi(hwnd_);
    const auto s = [dpi](int pixels) { return Scale(pixels, dpi); };
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int margin = s(8), button = s(26), summary = s(36);
    MoveWindow(Summary, margin, margin, client.right - 2 * margin, summary, TRUE);
    const int top = margin + summary + s(4);
    const int buttons = client.bottom - margin - button;
    MoveWindow(Table.Handle(), margin, top, client.right - 2 * margin, std::max(0, buttons - s(6) - top), TRUE);
    int x = margin;
    for (const auto& [window, width] : {std::pair{CopyButton, 120}, std::pair{SaveButton, 120}, std::pair{OpenFolderButton, 160}}) {
        MoveWindow(window, x, buttons, s(width), button, TRUE);
        x += s(width) + s(6);
    }
    MoveWindow(CloseButton, client.right - margin - s(90), buttons, s(90), button, TRUE);
}

void ResultsWindow::CopyButtonClick() {
    const std::wstring text = WithCrLf(Wide(ResultsText(results_.Rows)));
    if (!OpenClipboard(hwnd_)) return;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(target));
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

void ResultsWindow::SaveButtonClick() {
    const std::optional<std::filesystem::path> file = platform_.ChooseSaveFile(ResultsFileChoice(results_.Destination));
    if (!file || SaveResultsCsv(results_.Rows, *file)) return;
    platform_.Beep();
    platform_.ShowMessage({MessageKind::Error, std::string(kNotSaved) + DisplayPath(*file), MessageButtons::Ok});
}

// Failures in red on a light red ground and in bold; skipped and stopped files in brown.
LRESULT ResultsWindow::CustomDraw(NMLVCUSTOMDRAW& draw) const {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT || draw.nmcd.dwItemSpec >= results_.Rows.size()) return CDRF_DODEFAULT;
    const ResultKind kind = results_.Rows[draw.nmcd.dwItemSpec].Kind;
    if (kind == ResultKind::Failed) {
        draw.clrText = RGB(0xC0, 0x00, 0x00);
        draw.clrTextBk = RGB(0xFF, 0xE8, 0xE8);
        SelectObject(draw.nmcd.hdc, boldFont_);
        return CDRF_NEWFONT;
    }
    if (kind != ResultKind::Converted) draw.clrText = RGB(0x70, 0x50, 0x00);
    return CDRF_DODEFAULT;
}

LRESULT ResultsWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            switch (LOWORD(wParam)) {
                case kCopy: CopyButtonClick(); return 0;
                case kSave: SaveButtonClick(); return 0;
                case kOpenFolder: openFolder_(); return 0;
                case IDCANCEL: DestroyWindow(hwnd_); return 0;
                default: break;
            }
            break;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom == Table.Handle() && header.code == NM_CUSTOMDRAW)
                return CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
            LRESULT result = 0;
            if (Table.HandleNotify(header, result)) return result;
            break;
        }
        case WM_SIZE: Layout(); return 0;
        case WM_CLOSE: DestroyWindow(hwnd_); return 0;
        default: break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace tolvane::win32
