// The GDI+ back end without a window: paper y upwards, the colours and widths of the list,
// dashes with gaps.
#include <gtest/gtest.h>

#include "win32/gdiplus_painter.h"

namespace tolvane::win32 {
namespace {

uint32_t Pixel(Gdiplus::Bitmap& bitmap, int x, int y) {
    Gdiplus::Color color;
    bitmap.GetPixel(x, y, &color);
    return color.GetValue() & 0x00FFFFFF;
}

TEST(Win32Painter, ShapesWhereThePaperPutsThem) {
    render::DisplayList list;
    list.DashPatterns = {{}, {2.0, 2.0}};
    // A red solid line along y = 80 and a blue dashed one along y = 20 (paper millimetres).
    list.Points = {{0, 80}, {100, 80}, {0, 20}, {100, 20}};
    render::DisplayItem red;
    red.Paint = {255, 0, 0};
    red.Width = 1;
    red.First = 0;
    red.Count = 2;
    render::DisplayItem blue = red;
    blue.Paint = {0, 0, 255};
    blue.Dash = 1;
    blue.First = 2;
    list.Items = {red, blue};

    Gdiplus::Bitmap bitmap(200, 200, PixelFormat32bppARGB);
    PaperView view;  // 2 pixels a millimetre, the paper origin at the bottom left
    view.PixelsPerMm = 2;
    view.OriginX = 0;
    view.OriginY = 200;
    {
        Gdiplus::Graphics graphics(&bitmap);
        graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
        PaintDisplayList(graphics, list, view);
    }
    // Higher on paper is higher on the screen.
    EXPECT_EQ(Pixel(bitmap, 100, 40), 0xFF0000u);
    EXPECT_EQ(Pixel(bitmap, 100, 100), 0xFFFFFFu);
    int blueRun = 0, whiteRun = 0;
    for (int x = 10; x < 190; ++x) {
        const uint32_t pixel = Pixel(bitmap, x, 160);
        if (pixel == 0x0000FFu) ++blueRun;
        if (pixel == 0xFFFFFFu) ++whiteRun;
    }
    EXPECT_GT(blueRun, 40);   // dashes of 4 pixels ...
    EXPECT_GT(whiteRun, 40);  // ... with gaps between them

}

}  // namespace
}  // namespace tolvane::win32
