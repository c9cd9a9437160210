// The GDI+ back end in the preview pane: a drawing's shapes become pixels where the display
// list puts them; the wheel zooms around the pointer; the tabs choose the view.
#include <gtest/gtest.h>

#include "render/read_drawing.h"
#include "render/render.h"
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
    DrawingData drawing;
    ASSERT_TRUE(render::ReadDrawingFile(testing::ExamplesFolder() / "plan-420.jww", drawing, temp.Path()).Ok);
    auto lists = std::make_shared<std::array<render::DisplayList, 3>>();
    (*lists)[0] = render::BuildDisplayList(drawing, render::DrawingFormat::Jww);
    ASSERT_FALSE((*lists)[0].Items.empty());

    Host host;
    PreviewPane pane;
    host.pane = &pane;
    ASSERT_TRUE(host.Create());
    ASSERT_TRUE(pane.Create(host.Handle(), 1));
    SendMessageW(host.Handle(), WM_SIZE, 0, 0);
    HWND canvas = pane.Canvas.Handle();
    const testing::Capture empty = testing::CaptureWindow(canvas);
    pane.Show(lists);
    testing::PumpMessages();
    const testing::Capture painted = testing::CaptureWindow(canvas);
    testing::SaveScreenshot(host.Handle(), "preview_pane");

    // Before: only the message text; after: the drawing, ink under every polyline's corners.
    const auto ink = [](const testing::Capture& capture) {
        return std::count_if(capture.Pixels.begin(), capture.Pixels.end(), [](uint32_t p) { return p != 0xFFFFFF; });
    };
    EXPECT_GT(ink(painted), ink(empty) + 1000);
    const render::DisplayList& list = (*lists)[0];
    int checked = 0;
    for (const render::DisplayItem& item : list.Items) {
        if (item.Kind != render::ItemKind::Polyline || item.Count < 2) continue;
        const render::PaperPoint& p = list.Points[item.First];
        const Gdiplus::PointF at = pane.Canvas.View().ToPixels(p.X, p.Y);
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
    const render::PaperPoint under = pane.Canvas.View().ToPaper(middle.x, middle.y);
    const double scale = pane.Canvas.View().PixelsPerMm;
    ClientToScreen(canvas, &middle);
    SendMessageW(canvas, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(middle.x, middle.y));
    EXPECT_NEAR(pane.Canvas.View().PixelsPerMm, scale * 1.25, 1e-9);
    const render::PaperPoint still = pane.Canvas.View().ToPaper(area.right / 2, area.bottom / 2);
    EXPECT_NEAR(still.X, under.X, 1e-6);
    EXPECT_NEAR(still.Y, under.Y, 1e-6);

    // The third tab shows the changes list, which is empty here: a white canvas.
    pane.SetView(PreviewPane::ChangesOnly);
    testing::PumpMessages();
    EXPECT_EQ(ink(testing::CaptureWindow(canvas)), 0);
}

}  // namespace
}  // namespace tolvane::win32
