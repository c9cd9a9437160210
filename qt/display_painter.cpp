#include "qt/display_painter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QFont>
#include <QPainter>
#include <QPolygonF>

#include "qt/qt_text.h"

namespace tolvane {

namespace {

// Texts are laid out in a font of this pixel size and scaled, so that sizes below a pixel
// and fractions of one keep their proportions.
constexpr int kTextPixels = 100;

QColor ColorOf(render::Color c) {
    return QColor(c.R, c.G, c.B);
}

QPointF Pixel(PixelPoint point) {
    return {point.X, point.Y};
}

QPolygonF Polygon(const std::vector<PixelPoint>& points) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const PixelPoint& point : points) polygon.append(Pixel(point));
    return polygon;
}

QPen StrokePen(const render::DisplayList& list, const render::DisplayItem& item, const PaperView& view) {
    QPen pen(ColorOf(item.Paint), StrokePixels(item, view), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setCosmetic(true);
    const std::vector<double> dashes = DashPixels(list, item, view);
    if (!dashes.empty()) pen.setDashPattern(QList<qreal>(dashes.begin(), dashes.end()));
    return pen;
}

// The text at its base point, turned counter-clockwise on paper, stretched to its character
// width: a full-width character is as wide as its size.
void PaintText(QPainter& painter, const render::TextShape& text, const QFont& font, QColor color, double height,
               const PaperView& view) {
    const double pixels = height * view.PixelsPerMm;
    if (!(pixels >= 0.5) || text.Text.empty()) return;
    const double scale = pixels / kTextPixels;
    const double stretch = text.Width > 0 ? text.Width / height : 1.0;
    painter.save();
    painter.translate(Pixel(view.ToPixels(text.Position.X, text.Position.Y)));
    painter.rotate(-text.Angle);
    painter.scale(scale * stretch, scale);
    QFont spaced = font;
    // The gap is paper millimetres, not stretched with the characters.
    if (text.Spacing > 0) spaced.setLetterSpacing(QFont::AbsoluteSpacing, text.Spacing / height / stretch * kTextPixels);
    painter.setFont(spaced);
    painter.setPen(color);
    painter.drawText(QPointF(0, 0), ToQString(text.Text));
    painter.restore();
}

}  // namespace

void PaintDisplayList(QPainter& painter, const render::DisplayList& list, const PaperView& view) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    std::vector<QFont> fonts;
    for (const std::string& name : list.Fonts) {
        QFont font = GothicFont(kTextPixels, false);
        if (!name.empty()) font.setFamilies(QStringList{ToQString(name)} + font.families());
        fonts.push_back(font);
    }
    if (fonts.empty()) fonts.push_back(GothicFont(kTextPixels, false));
    for (const render::DisplayItem& item : list.Items) {
        switch (item.Kind) {
            case render::ItemKind::Polyline:
                painter.setPen(StrokePen(list, item, view));
                painter.setBrush(Qt::NoBrush);
                painter.drawPolyline(Polygon(PointPixels(list, item.First, item.Count, view)));
                break;
            case render::ItemKind::Polygon:
                painter.setPen(Qt::NoPen);
                painter.setBrush(ColorOf(item.Paint));
                painter.drawPolygon(Polygon(PointPixels(list, item.First, item.Count, view)));
                break;
            case render::ItemKind::Arc:
                if (item.First >= list.Arcs.size()) break;
                painter.setPen(StrokePen(list, item, view));
                painter.setBrush(Qt::NoBrush);
                painter.drawPolyline(Polygon(ArcPixels(list.Arcs[item.First], view)));
                break;
            case render::ItemKind::Dot: {
                if (item.First >= list.Points.size()) break;
                const double radius = StrokePixels(item, view) / 2;
                painter.setPen(Qt::NoPen);
                painter.setBrush(ColorOf(item.Paint));
                const render::PaperPoint& p = list.Points[item.First];
                painter.drawEllipse(Pixel(view.ToPixels(p.X, p.Y)), std::max(1.0, radius), std::max(1.0, radius));
                break;
            }
            case render::ItemKind::Text: {
                if (item.First >= list.Texts.size()) break;
                const render::TextShape& text = list.Texts[item.First];
                if (text.Height > 0)
                    PaintText(painter, text, text.Font < fonts.size() ? fonts[text.Font] : fonts.front(), ColorOf(item.Paint),
                              text.Height, view);
                break;
            }
            case render::ItemKind::ImageFrame: {
                // The display list names the image but does not carry its bytes: a frame with
                // the name stands for it.
                const std::optional<ImageFrameLabel> label = ImageLabel(list, item);
                if (!label) break;
                render::DisplayItem solid = item;
                solid.Dash = 0;
                painter.setPen(StrokePen(list, solid, view));
                painter.setBrush(Qt::NoBrush);
                painter.drawPolygon(Polygon(PointPixels(list, item.First, 4, view)));
                PaintText(painter, label->Label, fonts.front(), ColorOf(item.Paint), label->Size, view);
                break;
            }
        }
    }
    painter.restore();
}

}  // namespace tolvane
