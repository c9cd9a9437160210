// Paints a display list with GDI+: the same shapes as the SVG writer and the QPainter back
// end, nothing decided here about what the drawing holds; the view's geometry (strokes,
// dashes, arcs) is the frontend's.
#pragma once

#include <windows.h>
// GDI+ needs the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include "frontend/preview.h"
#include "render/display_list.h"

namespace tolvane::win32 {

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
