// The preview pane over the frontend's session: the worker's drawing becomes pixels where its
// display list puts them, the legend gets its rows; the wheel zooms around the pointer; the
// tabs choose the view.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "testsupport/test_files.h"
#include "win32/gui_test_support.h"
#include "win32/preview_pane.h"

namespace tolvane::win32 {
namespace {

bool InkNear(const testing::Capture& capture, int x, int y) {
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px >= 0 && py >= 0 && px < capture.Width && py < capture.Height && capture.At(px, py) != 0xFFFFFF) return true;
        }
    return false;
}

class Host : public Window {
public:
    bool Create() {
        return CreateAs(L"TolvanePreviewTestHost", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, L"preview", 40, 40,
                        640, 520, nullptr, nullptr);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SIZE && pane) {
            RECT client{};
            GetClientRect(hwnd_, &client);
            MoveWindow(pane->Handle(), 0, 0, client.right, client.bottom, TRUE);
        }
        return Default(message, wParam, lParam);
    }

public:
    PreviewPane* pane = nullptr;
};

TEST(Win32Preview, PaintsTheDrawingWhereItsShapesAre) {
    tolvane::testing::TempFolder temp;
    ConversionSettings settings;
    ResetConversionSettings(settings);

    Host host;
    PreviewPane pane(temp.Path() / "images");
    host.pane = &pane;
    ASSERT_TRUE(host.Create());
    ASSERT_TRUE(pane.Create(host.Handle(), 1));
    SendMessageW(host.Handle(), WM_SIZE, 0, 0);
    HWND canvas = pane.Canvas.Handle();
    const testing::Capture empty = testing::CaptureWindow(canvas);
    pane.Session.Show(testing::ExamplesFolder() / "plan-420.jww", settings);
    ASSERT_TRUE(testing::PumpUntil([&] { return pane.Session.CurrentList() != nullptr; }));
    testing::PumpMessages();
    EXPECT_EQ(pane.Legend.RowCount(), static_cast<int>(pane.Session.Shown()->Legend.size()));
    EXPECT_EQ(pane.Legend.Text(0, 0), std::to_wstring(pane.Session.Shown()->Legend[0].ColorNumber));
    const testing::Capture painted = testing::CaptureWindow(canvas);
    testing::SaveScreenshot(host.Handle(), "preview_pane");

    // Before: only the message text; after: the drawing, ink under every polyline's corners.
    const auto ink = [](const testing::Capture& capture) {
        return std::count_if(capture.Pixels.begin(), capture.Pixels.end(), [](uint32_t p) { return p != 0xFFFFFF; });
    };
    EXPECT_GT(ink(painted), ink(empty) + 1000);
    const render::DisplayList& list = *pane.Session.CurrentList();
    int checked = 0;
    for (const render::DisplayItem& item : list.Items) {
        if (item.Kind != render::ItemKind::Polyline || item.Count < 2) continue;
        const render::PaperPoint& p = list.Points[item.First];
        const PixelPoint at = pane.Canvas.View().ToPixels(p.X, p.Y);
        const int x = static_cast<int>(at.X), y = static_cast<int>(at.Y);
        if (x < 3 || y < 3 || x >= painted.Width - 3 || y >= painted.Height - 3) continue;
        EXPECT_TRUE(InkNear(painted, x, y)) << "no ink at " << x << ", " << y;
        ++checked;
    }
    EXPECT_GT(checked, 10);

    // The wheel zooms by a quarter around the pointer: the paper point there stays put.
    RECT area{};
    GetClientRect(canvas, &area);
    POINT middle{area.right / 2, area.bottom / 2};
    const render::PaperPoint under = pane.Canvas.View().ToPaper({static_cast<double>(middle.x), static_cast<double>(middle.y)});
    const double scale = pane.Canvas.View().PixelsPerMm;
    ClientToScreen(canvas, &middle);
    SendMessageW(canvas, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(middle.x, middle.y));
    EXPECT_NEAR(pane.Canvas.View().PixelsPerMm, scale * 1.25, 1e-9);
    const render::PaperPoint still = pane.Canvas.View().ToPaper({static_cast<double>(area.right / 2), static_cast<double>(area.bottom / 2)});
    EXPECT_NEAR(still.X, under.X, 1e-6);
    EXPECT_NEAR(still.Y, under.Y, 1e-6);

    // The third tab shows only the changes: with settings that change nothing, every shape
    // kept, in light grey.
    RECT tab{};
    ASSERT_TRUE(TabCtrl_GetItemRect(pane.Tabs, 2, &tab));
    const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageW(pane.Tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(pane.Tabs, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(pane.Session.View, render::View::ChangesOnly);
    EXPECT_EQ(pane.Canvas.View().PixelsPerMm, scale * 1.25);
    const testing::Capture changes = testing::CaptureWindow(canvas);
    EXPECT_GT(ink(changes), 1000);
    EXPECT_NE(changes.Pixels, painted.Pixels);
}

}  // namespace
}  // namespace tolvane::win32
