// Paints a display list with QPainter: the same shapes as the SVG writer, nothing decided
// here about what the drawing holds.
#pragma once

#include <QRectF>
#include <QTransform>

#include "render/display_list.h"

class QPainter;

namespace tolvane {

// Paper millimetres (y upwards) to widget pixels (y downwards): pixelsPerMm and the pixel
// at which the paper origin lies.
struct PaperView {
    double PixelsPerMm = 1;
    double OriginX = 0, OriginY = 0;
    QPointF ToPixels(double x, double y) const { return {OriginX + x * PixelsPerMm, OriginY - y * PixelsPerMm}; }
    QPointF ToPaper(QPointF pixel) const {
        return {(pixel.x() - OriginX) / PixelsPerMm, (OriginY - pixel.y()) / PixelsPerMm};
    }
};

// The view that shows the whole extent centred in the area, with a small margin.
PaperView FitView(const render::Bounds& extent, const QRectF& area);
// The view zoomed by factor, the paper point under the pixel staying where it is.
PaperView ZoomAround(const PaperView& view, QPointF pixel, double factor);

void PaintDisplayList(QPainter& painter, const render::DisplayList& list, const PaperView& view);

}  // namespace tolvane
