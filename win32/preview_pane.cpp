#include "win32/preview_pane.h"

#include <algorithm>

#include <commctrl.h>
#include <windowsx.h>

#include "frontend/texts.h"
#include "win32/text.h"
#include "win32/ui_font.h"

namespace tolvane::win32 {

namespace {

constexpr int kTabsId = 1;
constexpr int kCanvasId = 2;
constexpr int kLegendId = 3;

}  // namespace

// --- Canvas --------------------------------------------------------------------------------

bool PreviewCanvas::Create(HWND parent, int id) {
    return CreateAs(L"TolvanePreviewCanvas", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, L"", 0, 0, 10, 10, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void PreviewCanvas::FitAnew() {
    fitted_ = false;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void PreviewCanvas::PaintTo(HDC dc) {
    RECT area{};
    GetClientRect(hwnd_, &area);
    Gdiplus::Graphics graphics(dc);
    graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
    const render::DisplayList* list = session_.CurrentList();
    if (!list) {
        const HFONT font = CreateUiFont(WindowDpi(hwnd_));
        const HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0x60, 0x60, 0x60));
        const std::wstring text = Wide(session_.MessageText());
        RECT box = area;
        InflateRect(&box, -8, -8);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        DeleteObject(font);
        return;
    }
    // The first paint after a new drawing knows the canvas's size.
    if (!fitted_) {
        view_ = FitView(list->Extent(), area.right, area.bottom);
        fitted_ = true;
    }
    PaintDisplayList(graphics, *list, view_);
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
        case WM_SIZE: FitAnew(); return 0;
        case WM_MOUSEWHEEL: {
            if (!session_.CurrentList()) return 0;
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(hwnd_, &at);
            view_ = ZoomAround(view_, {static_cast<double>(at.x), static_cast<double>(at.y)},
                               WheelZoom(GET_WHEEL_DELTA_WPARAM(wParam)));
            fitted_ = true;
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        }
        case WM_LBUTTONDOWN:
            SetFocus(hwnd_);
            if (!session_.CurrentList()) return 0;
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
        case WM_LBUTTONDBLCLK: FitAnew(); return 0;
        default: return Default(message, wParam, lParam);
    }
}

// --- Pane ----------------------------------------------------------------------------------

PreviewPane::PreviewPane(std::filesystem::path imageFolder) : Session(std::move(imageFolder), Poster()) {
    Session.Changed = [this] { Changed(); };
}

bool PreviewPane::Create(HWND parent, int id) {
    if (!CreateAs(L"TolvanePreviewPane", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, L"", 0, 0, 10, 10,
                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
        return false;
    Tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, 10, 10,
                           hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabsId)), GetModuleHandleW(nullptr), nullptr);
    for (size_t index = 0; index < preview_text::kViews.size(); ++index) {
        std::wstring caption = Wide(preview_text::kViews[index]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(Tabs, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
    }
    Canvas.Create(hwnd_, kCanvasId);
    Legend.Create(hwnd_, kLegendId, true, LVS_NOSORTHEADER | LVS_SINGLESEL);
    for (const std::string_view header : preview_text::kLegendHeaders) Legend.AddColumn(Wide(header), 60, LVCFMT_RIGHT);
    Legend.CellText = [this](int row, int column) -> std::wstring {
        if (row < 0 || static_cast<size_t>(row) >= legend_.size()) return {};
        const LegendRow& legend = legend_[static_cast<size_t>(row)];
        return std::to_wstring(column == 0 ? legend.ColorNumber : column == 1 ? legend.Before : legend.After);
    };
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

void PreviewPane::SetView(render::View view) {
    SendMessageW(Tabs, TCM_SETCURSEL, static_cast<WPARAM>(view), 0);
    Session.View = view;
    InvalidateRect(Canvas.Handle(), nullptr, FALSE);
}

void PreviewPane::Changed() {
    const PreviewDrawing* shown = Session.Shown();
    legend_ = shown && shown->Ok ? shown->Legend : std::vector<LegendRow>{};
    Legend.SetRowCount(static_cast<int>(legend_.size()));
    InvalidateRect(Legend.Handle(), nullptr, FALSE);
    Canvas.FitAnew();
}

// The counts have a swatch of their colour at their left: before, and after. (The first
// column's text stands at its left whatever its format.)
bool PreviewPane::LegendCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& result) const {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: result = CDRF_NOTIFYITEMDRAW; return true;
        case CDDS_ITEMPREPAINT: result = CDRF_NOTIFYPOSTPAINT; return true;
        case CDDS_ITEMPOSTPAINT: {
            const size_t row = draw.nmcd.dwItemSpec;
            if (row >= legend_.size()) break;
            const UINT dpi = WindowDpi(Legend.Handle());
            for (int column = 1; column < 3; ++column) {
                RECT cell{};
                if (!Legend.CellRect(static_cast<int>(row), column, cell)) continue;
                const render::Color paint = column == 2 ? legend_[row].AfterPaint : legend_[row].BeforePaint;
                const int side = std::min(Scale(10, dpi), static_cast<int>(cell.bottom - cell.top) - 2);
                RECT swatch = {cell.left + Scale(3, dpi), cell.top + (cell.bottom - cell.top - side) / 2, 0, 0};
                swatch.right = swatch.left + side;
                swatch.bottom = swatch.top + side;
                const HBRUSH brush = CreateSolidBrush(RGB(paint.R, paint.G, paint.B));
                FillRect(draw.nmcd.hdc, &swatch, brush);
                DeleteObject(brush);
            }
            break;
        }
        default: break;
    }
    result = CDRF_DODEFAULT;
    return true;
}

LRESULT PreviewPane::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: Layout(WindowDpi(hwnd_)); return 0;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom == Tabs && header.code == TCN_SELCHANGE) {
                const auto index = SendMessageW(Tabs, TCM_GETCURSEL, 0, 0);
                SetView(index >= 0 && index < 3 ? static_cast<render::View>(index) : render::View::Before);
                return 0;
            }
            LRESULT result = 0;
            if (header.hwndFrom == Legend.Handle() && header.code == NM_CUSTOMDRAW &&
                LegendCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam), result))
                return result;
            if (Legend.HandleNotify(header, result)) return result;
            return Default(message, wParam, lParam);
        }
        default: return Default(message, wParam, lParam);
    }
}

}  // namespace tolvane::win32
