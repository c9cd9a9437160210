#include "win32/preview_pane.h"

#include <cmath>

#include <commctrl.h>
#include <windowsx.h>

#include "win32/ui_font.h"

namespace tolvane::win32 {

namespace {

constexpr const wchar_t* kNoDrawing = L"図面を選択して下さい。";
constexpr int kTabsId = 1;
constexpr int kCanvasId = 2;
constexpr int kLegendId = 3;

}  // namespace

// --- Canvas --------------------------------------------------------------------------------

bool PreviewCanvas::Create(HWND parent, int id) {
    message_ = kNoDrawing;
    return CreateAs(L"TolvanePreviewCanvas", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, L"", 0, 0, 10, 10, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void PreviewCanvas::SetList(const render::DisplayList* list, bool fitAnew) {
    list_ = list;
    if (fitAnew) fitted_ = false;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void PreviewCanvas::SetMessage(const std::wstring& text) {
    list_ = nullptr;
    message_ = text;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void PreviewCanvas::Fit() {
    RECT area{};
    GetClientRect(hwnd_, &area);
    if (list_) view_ = FitView(list_->Extent(), area);
    fitted_ = list_ != nullptr && area.right > 0 && area.bottom > 0;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void PreviewCanvas::PaintTo(HDC dc) {
    RECT area{};
    GetClientRect(hwnd_, &area);
    Gdiplus::Graphics graphics(dc);
    graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
    if (!list_) {
        const HFONT font = CreateUiFont(WindowDpi(hwnd_));
        const HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0x60, 0x60, 0x60));
        RECT text = area;
        InflateRect(&text, -8, -8);
        DrawTextW(dc, message_.c_str(), static_cast<int>(message_.size()), &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        DeleteObject(font);
        return;
    }
    // The first paint after a new drawing knows the canvas's size.
    if (!fitted_) {
        view_ = FitView(list_->Extent(), area);
        fitted_ = true;
    }
    PaintDisplayList(graphics, *list_, view_);
}

LRESULT PreviewCanvas::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(hwnd_, &paint);
            RECT area{};
            GetClientRect(hwnd_, &area);
            // Painted off screen first, so that a big drawing does not flicker while it builds up.
            const HDC memory = CreateCompatibleDC(dc);
            const HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max(1L, area.right), std::max(1L, area.bottom));
            const HGDIOBJ old = SelectObject(memory, bitmap);
            PaintTo(memory);
            BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteObject(bitmap);
            DeleteDC(memory);
            EndPaint(hwnd_, &paint);
            return 0;
        }
        case WM_PRINTCLIENT: PaintTo(reinterpret_cast<HDC>(wParam)); return 0;
        case WM_SIZE: fitted_ = false; InvalidateRect(hwnd_, nullptr, FALSE); return 0;
        case WM_MOUSEWHEEL: {
            if (!list_) return 0;
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(hwnd_, &at);
            view_ = ZoomAround(view_, at.x, at.y, std::pow(1.25, GET_WHEEL_DELTA_WPARAM(wParam) / 120.0));
            fitted_ = true;
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        }
        case WM_LBUTTONDOWN:
            SetFocus(hwnd_);
            if (!list_) return 0;
            dragging_ = true;
            dragStart_ = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            viewAtDrag_ = view_;
            SetCapture(hwnd_);
            return 0;
        case WM_MOUSEMOVE:
            if (!dragging_) return 0;
            view_ = viewAtDrag_;
            view_.OriginX += GET_X_LPARAM(lParam) - dragStart_.x;
            view_.OriginY += GET_Y_LPARAM(lParam) - dragStart_.y;
            fitted_ = true;
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_LBUTTONUP:
            if (dragging_) ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED: dragging_ = false; return 0;
        case WM_LBUTTONDBLCLK: Fit(); return 0;
        default: return Default(message, wParam, lParam);
    }
}

// --- Pane ----------------------------------------------------------------------------------

bool PreviewPane::Create(HWND parent, int id) {
    if (!CreateAs(L"TolvanePreviewPane", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, L"", 0, 0, 10, 10,
                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
        return false;
    Tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, 10, 10,
                           hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabsId)), GetModuleHandleW(nullptr), nullptr);
    const wchar_t* const captions[] = {L"変換前", L"変換後", L"変更箇所"};
    for (int index = 0; index < 3; ++index) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(captions[index]);
        SendMessageW(Tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    Canvas.Create(hwnd_, kCanvasId);
    // The legend's rows (colour numbers with their shape counts before and after) are made in
    // frontend/ with the preview's worker; the control waits for them.
    Legend.Create(hwnd_, kLegendId, false, LVS_NOSORTHEADER);
    Legend.AddColumn(L"色番号", 60, LVCFMT_RIGHT);
    Legend.AddColumn(L"変換前", 60, LVCFMT_RIGHT);
    Legend.AddColumn(L"変換後", 60, LVCFMT_RIGHT);
    return true;
}

void PreviewPane::Layout(UINT dpi) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int tabs = Scale(24, dpi);
    const int legend = std::min(Scale(130, dpi), static_cast<int>(client.bottom) / 3);
    MoveWindow(Tabs, 0, 0, client.right, tabs, TRUE);
    MoveWindow(Canvas.Handle(), 0, tabs, client.right, std::max(0L, client.bottom - tabs - legend), TRUE);
    MoveWindow(Legend.Handle(), 0, client.bottom - legend, client.right, legend, TRUE);
    const int column = std::max(Scale(40, dpi), (static_cast<int>(client.right) - Scale(24, dpi)) / 3);
    for (int c = 0; c < 3; ++c) Legend.SetColumnWidth(c, column);
}

void PreviewPane::Show(std::shared_ptr<const std::array<render::DisplayList, 3>> lists) {
    lists_ = std::move(lists);
    ShowCurrentView(true);
}

void PreviewPane::Clear() {
    lists_.reset();
    Canvas.SetMessage(kNoDrawing);
}

void PreviewPane::SetView(View view) {
    SendMessageW(Tabs, TCM_SETCURSEL, static_cast<WPARAM>(view), 0);
    ShowCurrentView(false);
}

PreviewPane::View PreviewPane::CurrentView() const {
    const auto index = SendMessageW(Tabs, TCM_GETCURSEL, 0, 0);
    return index >= 0 && index < 3 ? static_cast<View>(index) : Before;
}

void PreviewPane::ShowCurrentView(bool fitAnew) {
    if (!lists_) return;
    Canvas.SetList(&(*lists_)[static_cast<size_t>(CurrentView())], fitAnew);
}

LRESULT PreviewPane::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: Layout(WindowDpi(hwnd_)); return 0;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom == Tabs && header.code == TCN_SELCHANGE) {
                ShowCurrentView(false);
                return 0;
            }
            LRESULT result = 0;
            if (Legend.HandleNotify(header, result)) return result;
            return Default(message, wParam, lParam);
        }
        default: return Default(message, wParam, lParam);
    }
}

}  // namespace tolvane::win32
