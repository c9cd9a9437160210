// Paints a display list with GDI+: the same shapes as the SVG writer and the QPainter back
// end, nothing decided here about what the drawing holds.
#pragma once

#include <windows.h>
// GDI+ needs the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include "render/display_list.h"

namespace tolvane::win32 {

// Paper millimetres (y upwards) to window pixels (y downwards). The view maths (this, the
// fit and the zoom) repeat the Qt pane's; they are to move into frontend/ with the preview's
// geometry, and both panes then take them from there.
struct PaperView {
    double PixelsPerMm = 1;
    double OriginX = 0, OriginY = 0;
    Gdiplus::PointF ToPixels(double x, double y) const {
        return {static_cast<Gdiplus::REAL>(OriginX + x * PixelsPerMm), static_cast<Gdiplus::REAL>(OriginY - y * PixelsPerMm)};
    }
    render::PaperPoint ToPaper(double px, double py) const {
        return {(px - OriginX) / PixelsPerMm, (OriginY - py) / PixelsPerMm};
    }
};

// The view that shows the whole extent centred in the area, with a small margin.
PaperView FitView(const render::Bounds& extent, const RECT& area);
// The view zoomed by factor, the paper point under the pixel staying where it is.
PaperView ZoomAround(const PaperView& view, double px, double py, double factor);

void PaintDisplayList(Gdiplus::Graphics& graphics, const render::DisplayList& list, const PaperView& view);

// GDI+ for the life of the object; one in the program's entry and one in the test's.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

}  // namespace tolvane::win32
