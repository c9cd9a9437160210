#include "win32/inspect_window.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <string>
#include <tuple>

#include <commctrl.h>

#include "frontend/path_text.h"
#include "frontend/texts.h"
#include "win32/text.h"
#include "win32/ui_font.h"

namespace tolvane::win32 {

using namespace inspect_text;

namespace {

enum : int { kFiles = 100, kPens, kCopy, kSave };

long long WidthValue(const std::string& text) {
    long long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::wstring Count(uint64_t value) { return std::to_wstring(value); }

}  // namespace

InspectWindow::InspectWindow(Platform& platform, InspectRunResult result, std::filesystem::path saveFolder)
    : platform_(platform), result_(std::move(result)), saveFolder_(std::move(saveFolder)), penOrder_(result_.Pens.size()) {
    std::iota(penOrder_.begin(), penOrder_.end(), size_t{0});
}

InspectWindow::~InspectWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
    if (boldFont_) DeleteObject(boldFont_);
}

bool InspectWindow::Create(HWND owner) {
    const UINT dpi = WindowDpi(owner);
    const auto s = [dpi](int pixels) { return Scale(pixels, dpi); };
    RECT ownerFrame{};
    GetWindowRect(owner, &ownerFrame);
    if (!CreateAs(L"TolvaneInspectWindow", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, Wide(kCaption).c_str(),
                  ownerFrame.left + s(40), ownerFrame.top + s(40), s(860), s(560), owner, nullptr))
        return false;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto make = [&](const wchar_t* className, std::string_view text, DWORD style, int id) {
        return CreateWindowExW(0, className, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    Summary = make(WC_STATICW, InspectSummaryText(result_) + "\n" + std::string(kStandardLine) + result_.Standard, SS_NOPREFIX, -1);

    Files.Create(hwnd_, kFiles, true, LVS_NOSORTHEADER);
    const int fileWidths[] = {200, 60, 60, 500};
    for (size_t column = 0; column < kHeaders.size(); ++column)
        Files.AddColumn(Wide(kHeaders[column]), s(fileWidths[column]), column == 1 || column == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT);
    Files.CellText = [this](int row, int column) -> std::wstring {
        if (row < 0 || static_cast<size_t>(row) >= result_.Rows.size()) return {};
        const InspectRow& file = result_.Rows[static_cast<size_t>(row)];
        switch (column) {
            // The folder is the same for every file of a selection; the name tells them apart.
            case 0: return file.File.filename().wstring();
            case 1: return file.Ok ? Count(file.Errors) : std::wstring();
            case 2: return file.Ok ? Count(file.Warnings) : std::wstring();
            default: return Wide(file.Worst);
        }
    };
    Files.SetRowCount(static_cast<int>(result_.Rows.size()));

    PensLabel = make(WC_STATICW, kPensLabel, SS_NOPREFIX, -1);
    Pens.Create(hwnd_, kPens, true);
    const int penWidths[] = {90, 190, 190, 50, 70, 100, 80};
    for (size_t column = 0; column < kPenHeaders.size(); ++column)
        Pens.AddColumn(Wide(kPenHeaders[column]), s(penWidths[column]), column >= 3 ? LVCFMT_RIGHT : LVCFMT_LEFT);
    Pens.CellText = [this](int place, int column) -> std::wstring {
        if (place < 0 || static_cast<size_t>(place) >= penOrder_.size()) return {};
        const PenSummaryRow& pen = PenAt(place);
        switch (column) {
            case 0: return Wide(pen.Entity);
            case 1: return Wide(pen.Color);
            case 2: return Wide(pen.LineType);
            case 3: return Wide(pen.Width);
            case 4: return Count(pen.Count);
            case 5: return Count(pen.InBlocks);
            default: return Count(pen.Files);
        }
    };
    Pens.HeaderClicked = [this](int column) { PensHeaderClick(column); };
    Pens.SetRowCount(static_cast<int>(result_.Pens.size()));

    CopyButton = make(WC_BUTTONW, kCopyButton, WS_TABSTOP | BS_PUSHBUTTON, kCopy);
    SaveButton = make(WC_BUTTONW, kSaveButton, WS_TABSTOP | BS_PUSHBUTTON, kSave);
    // Escape, through the dialog keys, is this button.
    CloseButton = make(WC_BUTTONW, kCloseButton, WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
    font_ = CreateUiFont(dpi);
    boldFont_ = CreateUiFont(dpi, 9, true);
    SetChildFonts(hwnd_, font_);
    Layout();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetFocus(Files.Handle());
    return true;
}

// The two lists share the height; the buttons keep to the bottom.
void InspectWindow::Layout() {
    if (!Pens.Handle()) return;
    const UINT dpi = WindowDpi(hwnd_);
    const auto s = [dpi](int pixels) { return Scale(pixels, dpi); };
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int margin = s(8), button = s(26), summary = s(36), label = s(18);
    const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
    MoveWindow(Summary, margin, margin, width, summary, TRUE);
    const int top = margin + summary + s(4);
    const int buttons = client.bottom - margin - button;
    const int lists = std::max(0, buttons - s(6) - top - label);
    MoveWindow(Files.Handle(), margin, top, width, lists / 2, TRUE);
    // The worst finding takes the room the other columns leave.
    RECT files{};
    GetClientRect(Files.Handle(), &files);
    const int others = Files.ColumnWidth(0) + Files.ColumnWidth(1) + Files.ColumnWidth(2);
    Files.SetColumnWidth(3, std::max(s(200), static_cast<int>(files.right) - others));
    MoveWindow(PensLabel, margin, top + lists / 2 + s(4), width, label - s(4), TRUE);
    MoveWindow(Pens.Handle(), margin, top + lists / 2 + label, width, lists - lists / 2, TRUE);
    MoveWindow(CopyButton, margin, buttons, s(120), button, TRUE);
    MoveWindow(SaveButton, margin + s(126), buttons, s(120), button, TRUE);
    MoveWindow(CloseButton, client.right - margin - s(90), buttons, s(90), button, TRUE);
}

void InspectWindow::CopyButtonClick() { CopyToClipboard(hwnd_, InspectListText(result_.Rows)); }

void InspectWindow::SaveButtonClick() {
    const std::optional<std::filesystem::path> file = platform_.ChooseSaveFile(InspectFileChoice(saveFolder_));
    if (!file || SaveInspectListCsv(result_.Rows, *file)) return;
    platform_.Beep();
    platform_.ShowMessage({MessageKind::Error, std::string(kNotSaved) + DisplayPath(*file), MessageButtons::Ok});
}

void InspectWindow::PensHeaderClick(int column) {
    sortDescending_ = column == sortColumn_ && !sortDescending_;
    sortColumn_ = column;
    // Texts by their characters, numbers by their value.
    const auto key = [this, column](size_t index) -> std::tuple<std::string_view, long long, uint64_t> {
        const PenSummaryRow& pen = result_.Pens[index];
        switch (column) {
            case 0: return {pen.Entity, 0, 0};
            case 1: return {pen.Color, 0, 0};
            case 2: return {pen.LineType, 0, 0};
            case 3: return {{}, WidthValue(pen.Width), 0};
            case 4: return {{}, 0, pen.Count};
            case 5: return {{}, 0, pen.InBlocks};
            default: return {{}, 0, pen.Files};
        }
    };
    std::stable_sort(penOrder_.begin(), penOrder_.end(), [&](size_t a, size_t b) {
        return sortDescending_ ? key(b) < key(a) : key(a) < key(b);
    });
    InvalidateRect(Pens.Handle(), nullptr, FALSE);
}

// An unreadable file as the results window shows a failure (red on light red, bold); errors
// in red, warnings alone in brown.
LRESULT InspectWindow::CustomDraw(NMLVCUSTOMDRAW& draw) const {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT || draw.nmcd.dwItemSpec >= result_.Rows.size()) return CDRF_DODEFAULT;
    const InspectRow& row = result_.Rows[draw.nmcd.dwItemSpec];
    if (!row.Ok) {
        draw.clrText = RGB(0xC0, 0x00, 0x00);
        draw.clrTextBk = RGB(0xFF, 0xE8, 0xE8);
        SelectObject(draw.nmcd.hdc, boldFont_);
        return CDRF_NEWFONT;
    }
    if (row.Errors > 0) draw.clrText = RGB(0xC0, 0x00, 0x00);
    else if (row.Warnings > 0) draw.clrText = RGB(0x70, 0x50, 0x00);
    return CDRF_DODEFAULT;
}

LRESULT InspectWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            switch (LOWORD(wParam)) {
                case kCopy: CopyButtonClick(); return 0;
                case kSave: SaveButtonClick(); return 0;
                case IDCANCEL: DestroyWindow(hwnd_); return 0;
                default: break;
            }
            break;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom == Files.Handle() && header.code == NM_CUSTOMDRAW)
                return CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
            LRESULT result = 0;
            if (Files.HandleNotify(header, result) || Pens.HandleNotify(header, result)) return result;
            break;
        }
        case WM_SIZE: Layout(); return 0;
        case WM_CLOSE: DestroyWindow(hwnd_); return 0;
        default: break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace tolvane::win32
