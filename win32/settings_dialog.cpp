#include "win32/settings_dialog.h"

#include <algorithm>

#include <commctrl.h>
#include <imm.h>

#include "frontend/texts.h"
#include "win32/text.h"
#include "win32/ui_font.h"

namespace tolvane::win32 {

using namespace dialog_text;

namespace {

// Control identifiers; OK and Cancel are the dialog's own, so that Enter and Escape reach them.
enum : int {
    kPages = 100,
    kGrid1,
    kGrid2,
    kEdit1,
    kEdit2,
    kEdit3,
    kButton1,
    kButton2,
    kButton5,
    kButton6,
    kButton7,
    kLabel18,
    kHint,            // the three blue hint lines
    kCheckBoxFirst = 200,
    kRuleFirst = 300,  // rule r, field f: kRuleFirst + 10 * r + f
};

constexpr int kRowHeight = 24;
// Target numbers are short: at most "-1", "356", "30000"; the fields take six characters.
constexpr int kTargetLength = 6;

const std::vector<std::wstring>& Names(bool colors) {
    static const auto convert = [](const std::vector<std::string>& utf8) {
        std::vector<std::wstring> names;
        for (const std::string& name : utf8) names.push_back(Wide(name));
        return names;
    };
    static const std::vector<std::wstring> colorNames = convert(ColorNameTexts());
    static const std::vector<std::wstring> lineTypeNames = convert(LineTypeNameTexts());
    return colors ? colorNames : lineTypeNames;
}

RECT Box(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

void SelectPosition(HWND list, int position) {
    const auto count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    SendMessageW(list, CB_SETCURSEL, position >= 0 && position < count ? static_cast<WPARAM>(position) : static_cast<WPARAM>(-1), 0);
}

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND box, bool checked) { SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }

// Target numbers are typed in half-width digits; the input method stays off in these fields.
void NumbersOnlyInput(HWND edit) {
    ImmAssociateContextEx(edit, nullptr, 0);
    SendMessageW(edit, EM_LIMITTEXT, kTargetLength, 0);
}

}  // namespace

TForm3::TForm3(ConversionSettings& settings, Platform& platform) : logic_(settings, platform) {}

TForm3::~TForm3() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
    if (boldFont_) DeleteObject(boldFont_);
    if (rowHeight_) ImageList_Destroy(rowHeight_);
}

HWND TForm3::Make(const wchar_t* className, std::string_view text, DWORD style, int id, RECT design, int page) {
    const HWND window = CreateWindowExW(0, className, Wide(text).c_str(), WS_CHILD | style, 0, 0, 0, 0, hwnd_,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    placed_.push_back({window, design, page});
    return window;
}

bool TForm3::Create(HWND owner) {
    owner_ = owner;
    if (!CreateAs(L"TolvaneSettingsDialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                  WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, Wide(kCaption).c_str(), CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                  owner, nullptr))
        return false;
    SetWindowLongPtrW(hwnd_, GWLP_ID, 0);
    PageControl1 = Make(WC_TABCONTROLW, {}, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, kPages, Box(4, 4, 648, 326), -1);
    for (int index = 0; index < 2; ++index) {
        std::wstring caption = Wide(index == 0 ? kIndividualPage : kCombinedPage);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(PageControl1, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    CreateIndividualPage();
    CreateCombinedPage();
    CreateCommonControls();
    Layout(WindowDpi(hwnd_));
    ShowPageControls();
    return true;
}

void TForm3::CreateIndividualPage() {
    Make(WC_STATICW, kColorGridLabel, WS_VISIBLE, -1, Box(8, 4, 200, 16), 0);
    StringGrid1.Create(hwnd_, kGrid1, true, LVS_NOSORTHEADER);
    StringGrid2.Create(hwnd_, kGrid2, true, LVS_NOSORTHEADER);
    // Rows are 24 pixels high as in the original grid: a list view takes its row height from
    // its small images, so an empty image list of that height sets it (see Layout).
    const int grid1Width = 318 + 4 + GetSystemMetrics(SM_CXVSCROLL);
    placed_.push_back({StringGrid1.Handle(), Box(8, 22, grid1Width, 11 * kRowHeight + 4), 0});
    const int right = 8 + grid1Width + 14;
    Make(WC_STATICW, kLineTypeGridLabel, WS_VISIBLE, -1, Box(right, 4, 200, 16), 0);
    placed_.push_back({StringGrid2.Handle(), Box(right, 22, 258 + 4 + GetSystemMetrics(SM_CXVSCROLL), 5 * kRowHeight + 4), 0});

    // The widths are set for the DPI in Layout.
    for (const std::string_view header : kColorGridHeaders) StringGrid1.AddColumn(Wide(header), 64);
    for (const std::string_view header : kLineTypeGridHeaders) StringGrid2.AddColumn(Wide(header), 64);
    StringGrid1.SetRowCount(kColorSlots);
    StringGrid2.SetRowCount(kLineTypeSlots);
    StringGrid1.CellText = [this](int row, int column) { return CellText(1, row, column); };
    StringGrid2.CellText = [this](int row, int column) { return CellText(2, row, column); };
    // List row i is grid row i + 1: the list's header is the grid's row 0.
    Grid1Editor.Attach(StringGrid1, 1, [this](int row, int column) { return CellText(1, row, column); },
                       [this](int row, int column, const std::wstring& text) {
                           (column == 1 ? cells_.ColorCells : cells_.WidthCells)[static_cast<size_t>(row) + 1] = Utf8(text);
                       });
    Grid2Editor.Attach(StringGrid2, 1, [this](int row, int column) { return CellText(2, row, column); },
                       [this](int row, int, const std::wstring& text) {
                           cells_.LineTypeCells[static_cast<size_t>(row) + 1] = Utf8(text);
                       });

    // The line-type row sits under its grid; the colour and width rows act on the colour grid.
    const auto rangeRow = [&](std::string_view text, int inputId, int buttonId, int y, HWND& input, HWND& button) {
        Make(WC_STATICW, text, WS_VISIBLE, -1, Box(right, y + 3, 124, 16), 0);
        input = Make(WC_EDITW, {}, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, inputId,
                     Box(right + 124, y, 52, 22), 0);
        NumbersOnlyInput(input);
        Make(WC_STATICW, kRangeAfter, WS_VISIBLE, -1, Box(right + 180, y + 3, 40, 16), 0);
        button = Make(WC_BUTTONW, kRangeButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, buttonId, Box(right + 222, y - 1, 56, 24), 0);
    };
    rangeRow(kRangeLineType, kEdit2, kButton2, 156, Edit2, Button2);
    rangeRow(kRangeColor, kEdit1, kButton1, 190, Edit1, Button1);
    rangeRow(kRangeWidth, kEdit3, kButton5, 218, Edit3, Button5);
    Make(WC_STATICW, kRangeHint, WS_VISIBLE, -1, Box(right, 250, 278, 40), 0);
}

void TForm3::CreateCombinedPage() {
    Make(WC_STATICW, kRuleSourceHeading, WS_VISIBLE, -1, Box(12, 2, 370, 16), 1);
    Make(WC_STATICW, kRuleTargetHeading, WS_VISIBLE, -1, Box(374, 2, 260, 16), 1);
    for (int r = 0; r < kRuleCount; ++r) {
        const int x = 8, y = 20 + r * 24;
        const int id = kRuleFirst + 10 * r;
        TFram& row = Fram[static_cast<size_t>(r)];
        row.CheckBox1 = Make(WC_BUTTONW, {}, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, id, Box(x + 4, y + 3, 18, 18), 1);
        row.CB1 = Make(WC_COMBOBOXW, {}, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, id + 1,
                       Box(x + 26, y + 1, 184, 300), 1);
        row.CB2 = Make(WC_COMBOBOXW, {}, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, id + 2,
                       Box(x + 214, y + 1, 164, 300), 1);
        row.Label1 = Make(WC_STATICW, kRuleArrow, WS_VISIBLE | SS_CENTER, -1, Box(x + 382, y + 3, 24, 18), 1);
        row.Edit1 = Make(WC_EDITW, {}, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, id + 3, Box(x + 408, y + 1, 60, 22), 1);
        row.Edit2 = Make(WC_EDITW, {}, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, id + 4, Box(x + 476, y + 1, 60, 22), 1);
        row.Edit3 = Make(WC_EDITW, {}, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, id + 5, Box(x + 544, y + 1, 60, 22), 1);
        for (HWND edit : {row.Edit1, row.Edit2, row.Edit3}) NumbersOnlyInput(edit);
        FillRuleLists(r);
        ResetRuleRow(r);
    }
    Make(WC_STATICW, kRuleNote1, WS_VISIBLE,
         -1, Box(12, 264, 620, 16), 1);
    Make(WC_STATICW, kRuleNote2, WS_VISIBLE, -1, Box(12, 280, 620, 16), 1);
}

void TForm3::CreateCommonControls() {
    Make(WC_STATICW, kColorHint, WS_VISIBLE, kHint,
         Box(8, 334, 640, 15), -1);
    Make(WC_STATICW, kLineTypeHint, WS_VISIBLE, kHint,
         Box(8, 349, 640, 15), -1);
    Make(WC_STATICW, kWidthHint, WS_VISIBLE, kHint,
         Box(8, 364, 640, 15), -1);
    for (int i = 0; i < kOptionCount; ++i)
        CheckBox[static_cast<size_t>(i)] = Make(WC_BUTTONW, kOptions[static_cast<size_t>(i)], WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                                                kCheckBoxFirst + i, Box(8, 384 + i * 17, 436, 17), -1);
    Button6 = Make(WC_BUTTONW, kSaveButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kButton6, Box(456, 386, 192, 26), -1);
    Button7 = Make(WC_BUTTONW, kOpenButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kButton7, Box(456, 418, 192, 26), -1);
    Label18 = Make(WC_STATICW, {}, WS_VISIBLE | SS_NOPREFIX, kLabel18, Box(456, 448, 192, 34), -1);
    Button3 = Make(WC_BUTTONW, kOkButton, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, Box(456, 486, 92, 28), -1);
    Button4 = Make(WC_BUTTONW, kCancelButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, Box(556, 486, 92, 28), -1);
}

void TForm3::Layout(UINT dpi) {
    dpi_ = dpi;
    if (font_) DeleteObject(font_);
    if (boldFont_) DeleteObject(boldFont_);
    font_ = CreateUiFont(dpi);
    boldFont_ = CreateUiFont(dpi, 9, true);
    RECT frame = {0, 0, Scale(656, dpi), Scale(526, dpi)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetChildFonts(hwnd_, font_);
    for (const TFram& row : Fram) SendMessageW(row.Label1, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), TRUE);

    // The pages' controls stand in the tab control's display area.
    RECT pageArea = {Scale(4, dpi), Scale(4, dpi), Scale(4 + 648, dpi), Scale(4 + 326, dpi)};
    MoveWindow(PageControl1, pageArea.left, pageArea.top, pageArea.right - pageArea.left, pageArea.bottom - pageArea.top, TRUE);
    RECT display = {0, 0, pageArea.right - pageArea.left, pageArea.bottom - pageArea.top};
    TabCtrl_AdjustRect(PageControl1, FALSE, &display);
    for (const Placed& placed : placed_) {
        if (placed.Window == PageControl1) continue;
        const int originX = placed.Page < 0 ? 0 : pageArea.left + display.left;
        const int originY = placed.Page < 0 ? 0 : pageArea.top + display.top;
        MoveWindow(placed.Window, originX + Scale(placed.Design.left, dpi), originY + Scale(placed.Design.top, dpi),
                   Scale(placed.Design.right - placed.Design.left, dpi), Scale(placed.Design.bottom - placed.Design.top, dpi),
                   TRUE);
    }
    if (rowHeight_) ImageList_Destroy(rowHeight_);
    rowHeight_ = ImageList_Create(1, Scale(kRowHeight, dpi) - 1, ILC_COLOR, 0, 1);
    for (ListView* grid : {&StringGrid1, &StringGrid2}) {
        ListView_SetImageList(grid->Handle(), rowHeight_, LVSIL_SMALL);
        const int widths[3] = {140, grid == &StringGrid1 ? 106 : 118, 72};
        for (int column = 0; column < grid->ColumnCount(); ++column) grid->SetColumnWidth(column, Scale(widths[column], dpi));
    }
}

void TForm3::ShowPageControls() {
    const int page = Page();
    for (const Placed& placed : placed_)
        if (placed.Page >= 0) ShowWindow(placed.Window, placed.Page == page ? SW_SHOWNA : SW_HIDE);
}

int TForm3::Page() const { return static_cast<int>(SendMessageW(PageControl1, TCM_GETCURSEL, 0, 0)); }

void TForm3::SetPage(int page) {
    CommitEdits();
    SendMessageW(PageControl1, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    ShowPageControls();
}

std::wstring TForm3::CellText(int grid, int row, int column) const {
    const size_t slot = static_cast<size_t>(row) + 1;
    if (grid == 1) {
        if (column == 0) return row >= 0 && row < kColorSlots ? Names(true)[static_cast<size_t>(row)] : std::wstring();
        if (slot > static_cast<size_t>(kColorSlots)) return {};
        return Wide(column == 1 ? cells_.ColorCells[slot] : cells_.WidthCells[slot]);
    }
    if (column == 0) return row >= 0 && row < kLineTypeSlots ? Names(false)[static_cast<size_t>(row)] : std::wstring();
    return slot <= static_cast<size_t>(kLineTypeSlots) ? Wide(cells_.LineTypeCells[slot]) : std::wstring();
}

bool TForm3::ShowModal() {
    FormShow();
    done_ = false;
    accepted_ = false;
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(Page() == 0 ? StringGrid1.Handle() : Fram[0].CheckBox1);
    RunModalLoop(hwnd_, owner_, done_);
    return accepted_;
}

void TForm3::Close(bool accepted) {
    CommitEdits();
    accepted_ = accepted;
    done_ = true;
    ShowWindow(hwnd_, SW_HIDE);
}

void TForm3::CommitEdits() {
    Grid1Editor.Commit();
    Grid2Editor.Commit();
}

// The name lists never change: they are filled once, when the row is made.
void TForm3::FillRuleLists(int row) {
    TFram& rule = Fram[static_cast<size_t>(row)];
    for (const auto& [list, colors] : {std::pair{rule.CB1, true}, std::pair{rule.CB2, false}}) {
        const std::vector<std::wstring>& names = Names(colors);
        SendMessageW(list, CB_INITSTORAGE, names.size(), static_cast<LPARAM>(names.size() * 16 * sizeof(wchar_t)));
        for (const std::wstring& name : names) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
}

void TForm3::ResetRuleRow(int row) {
    TFram& rule = Fram[static_cast<size_t>(row)];
    const RuleRowValues none;
    SetChecked(rule.CheckBox1, none.Enabled);
    SelectPosition(rule.CB1, none.SourceColorIndex);
    SelectPosition(rule.CB2, none.SourceLineTypeIndex);
    SetWindowTextUtf8(rule.Edit1, none.TargetColor);
    SetWindowTextUtf8(rule.Edit2, none.TargetLineType);
    SetWindowTextUtf8(rule.Edit3, none.TargetWidth);
}

void TForm3::FormShow() {
    // An edit left open when the dialog was last closed must not write into the new values.
    Grid1Editor.Cancel();
    Grid2Editor.Cancel();
    SetWindowTextW(Label18, L"");
    for (int r = 0; r < kRuleCount; ++r) ResetRuleRow(r);
    ShowValues(logic_.FormShow());
}

DialogValues TForm3::ReadValues() const {
    DialogValues values = cells_;
    for (size_t i = 0; i < CheckBox.size(); ++i) values.Options[i] = Checked(CheckBox[i]);
    values.Page = Page();
    for (size_t r = 0; r < Fram.size(); ++r) {
        const TFram& row = Fram[r];
        RuleRowValues& rule = values.Rules[r];
        rule.Enabled = Checked(row.CheckBox1);
        rule.SourceColorIndex = static_cast<int>(SendMessageW(row.CB1, CB_GETCURSEL, 0, 0));
        rule.SourceLineTypeIndex = static_cast<int>(SendMessageW(row.CB2, CB_GETCURSEL, 0, 0));
        rule.TargetColor = WindowTextUtf8(row.Edit1);
        rule.TargetLineType = WindowTextUtf8(row.Edit2);
        rule.TargetWidth = WindowTextUtf8(row.Edit3);
    }
    return values;
}

void TForm3::ShowTables(const DialogValues& values) {
    cells_.ColorCells = values.ColorCells;
    cells_.WidthCells = values.WidthCells;
    cells_.LineTypeCells = values.LineTypeCells;
    InvalidateRect(StringGrid1.Handle(), nullptr, FALSE);
    InvalidateRect(StringGrid2.Handle(), nullptr, FALSE);
}

void TForm3::ShowValues(const DialogValues& values) {
    ShowTables(values);
    for (size_t i = 0; i < CheckBox.size(); ++i) SetChecked(CheckBox[i], values.Options[i]);
    SetPage(values.Page);
    for (size_t r = 0; r < Fram.size(); ++r) {
        const TFram& row = Fram[r];
        const RuleRowValues& rule = values.Rules[r];
        SetChecked(row.CheckBox1, rule.Enabled);
        SelectPosition(row.CB1, rule.SourceColorIndex);
        SelectPosition(row.CB2, rule.SourceLineTypeIndex);
        SetWindowTextUtf8(row.Edit1, rule.TargetColor);
        SetWindowTextUtf8(row.Edit2, rule.TargetLineType);
        SetWindowTextUtf8(row.Edit3, rule.TargetWidth);
    }
}

std::pair<int, int> TForm3::SelectedRows(const ListView& grid) const {
    const std::vector<int> rows = grid.SelectedRows();
    if (rows.empty()) {
        const int current = grid.FocusedRow() + 1;
        return {current, current};
    }
    return {rows.front() + 1, rows.back() + 1};
}

DialogValues TForm3::CommitAndRead() {
    CommitEdits();
    return ReadValues();
}

void TForm3::ShowStep(const DialogStep& step) {
    SetWindowTextUtf8(Label18, step.Reason);
    if (!step.Bad) return;
    const BadValue& bad = *step.Bad;
    SetPage(bad.Page());
    switch (bad.Where) {
        case BadValue::Place::ColorGrid:
            SetFocus(StringGrid1.Handle());
            Grid1Editor.GoToCell(bad.Row - 1, bad.Column);
            break;
        case BadValue::Place::LineTypeGrid:
            SetFocus(StringGrid2.Handle());
            Grid2Editor.GoToCell(bad.Row - 1, bad.Column);
            break;
        case BadValue::Place::RuleField:
            SetFocus(Fram[static_cast<size_t>(bad.Row - 1)].TargetField(bad.Column));
            break;
    }
}

void TForm3::SetRangeFrom(HWND input, ListView& grid, RangeTarget target) {
    DialogValues values = CommitAndRead();
    std::string text = WindowTextUtf8(input);
    const auto [top, bottom] = SelectedRows(grid);
    const DialogStep step = logic_.SetRangeClick(values, target, text, top, bottom);
    ShowStep(step);
    if (step.Refused) {
        SetFocus(input);
        return;
    }
    SetWindowTextUtf8(input, text);
    ShowTables(values);
}

void TForm3::Button1Click() { SetRangeFrom(Edit1, StringGrid1, RangeTarget::Color); }
void TForm3::Button5Click() { SetRangeFrom(Edit3, StringGrid1, RangeTarget::Width); }
void TForm3::Button2Click() { SetRangeFrom(Edit2, StringGrid2, RangeTarget::LineType); }

void TForm3::Button3Click() {
    DialogValues values = CommitAndRead();
    const DialogStep step = logic_.Button3Click(values);
    ShowTables(values);
    ShowStep(step);
    if (!step.Refused) Close(true);
}

void TForm3::Button4Click() { Close(false); }

void TForm3::Button6Click() {
    DialogValues values = CommitAndRead();
    const DialogStep step = logic_.Button6Click(values);
    ShowTables(values);
    ShowStep(step);
}

void TForm3::Button7Click() {
    DialogValues values = CommitAndRead();
    if (logic_.Button7Click(values)) ShowValues(values);
}

LRESULT TForm3::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            switch (LOWORD(wParam)) {
                case IDOK: Button3Click(); return 0;
                case IDCANCEL: Button4Click(); return 0;
                case kButton1: Button1Click(); return 0;
                case kButton2: Button2Click(); return 0;
                case kButton5: Button5Click(); return 0;
                case kButton6: Button6Click(); return 0;
                case kButton7: Button7Click(); return 0;
                default: break;
            }
            break;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom == PageControl1) {
                if (header.code == TCN_SELCHANGING) CommitEdits();
                if (header.code == TCN_SELCHANGE) ShowPageControls();
                return 0;
            }
            LRESULT result = 0;
            if (StringGrid1.HandleNotify(header, result) || StringGrid2.HandleNotify(header, result) ||
                Grid1Editor.HandleNotify(header, result) || Grid2Editor.HandleNotify(header, result))
                return result;
            break;
        }
        case WM_CTLCOLORSTATIC: {
            const auto control = reinterpret_cast<HWND>(lParam);
            const HDC dc = reinterpret_cast<HDC>(wParam);
            const int id = GetDlgCtrlID(control);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            if (id == kHint) SetTextColor(dc, RGB(0, 0, 0xFF));
            if (id == kLabel18) SetTextColor(dc, RGB(0xFF, 0, 0));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_CLOSE: Button4Click(); return 0;
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(HIWORD(wParam));
            return 0;
        }
        default: break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace tolvane::win32
