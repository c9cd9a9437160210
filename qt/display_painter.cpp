#include "qt/display_painter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include <QFont>
#include <QPainter>
#include <QPolygonF>

namespace tolvane {

namespace {

// Views beyond these scales show nothing useful and run into the limits of Qt's coordinates.
constexpr double kMinPixelsPerMm = 1e-4;
constexpr double kMaxPixelsPerMm = 1e4;
// Texts are laid out in a font of this pixel size and scaled, so that sizes below a pixel
// and fractions of one keep their proportions.
constexpr int kTextPixels = 100;

QColor ColorOf(render::Color c) {
    return QColor(c.R, c.G, c.B);
}

// Strokes in device pixels: a line is never thinner than one pixel, and its dashes keep
// their length on paper whatever the zoom.
QPen StrokePen(const render::DisplayList& list, const render::DisplayItem& item, const PaperView& view) {
    const double width = std::max(1.0, item.Width * view.PixelsPerMm);
    QPen pen(ColorOf(item.Paint), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setCosmetic(true);
    if (item.Dash != 0 && item.Dash < list.DashPatterns.size()) {
        QList<qreal> dashes;
        for (const double mm : list.DashPatterns[item.Dash]) dashes.push_back(std::max(0.1, mm * view.PixelsPerMm / width));
        // Qt wants pairs of drawn and left out.
        if (dashes.size() % 2 == 1) dashes.append(dashes);
        if (!dashes.isEmpty()) pen.setDashPattern(dashes);
    }
    return pen;
}

QPolygonF Pixels(const render::DisplayList& list, uint32_t first, uint32_t count, const PaperView& view) {
    QPolygonF points;
    if (first > list.Points.size() || count > list.Points.size() - first) return points;
    points.reserve(count);
    for (uint32_t i = 0; i < count; ++i) points.append(view.ToPixels(list.Points[first + i].X, list.Points[first + i].Y));
    return points;
}

QPolygonF ArcPixels(const render::ArcShape& a, const PaperView& view) {
    const double radius =
        std::max(std::hypot(a.AxisA.X, a.AxisA.Y), std::hypot(a.AxisB.X, a.AxisB.Y)) * view.PixelsPerMm;
    // About one segment for every three pixels of the curve.
    const int steps = std::clamp(static_cast<int>(std::ceil(std::abs(a.Sweep) * radius / 3)), 4, 720);
    QPolygonF points;
    points.reserve(steps + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = a.Start + a.Sweep * i / steps;
        points.append(view.ToPixels(a.Center.X + std::cos(t) * a.AxisA.X + std::sin(t) * a.AxisB.X,
                                    a.Center.Y + std::cos(t) * a.AxisA.Y + std::sin(t) * a.AxisB.Y));
    }
    return points;
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
    painter.translate(view.ToPixels(text.Position.X, text.Position.Y));
    painter.rotate(-text.Angle);
    painter.scale(scale * stretch, scale);
    QFont spaced = font;
    // The gap is paper millimetres, not stretched with the characters.
    if (text.Spacing > 0) spaced.setLetterSpacing(QFont::AbsoluteSpacing, text.Spacing / height / stretch * kTextPixels);
    painter.setFont(spaced);
    painter.setPen(color);
    painter.drawText(QPointF(0, 0), QString::fromUtf8(text.Text.data(), static_cast<qsizetype>(text.Text.size())));
    painter.restore();
}

}  // namespace

PaperView FitView(const render::Bounds& extent, const QRectF& area) {
    render::Bounds box = extent;
    if (box.Empty) box = {0, 0, 10, 10, false};
    const double width = std::max(box.MaxX - box.MinX, 1e-3), height = std::max(box.MaxY - box.MinY, 1e-3);
    const double margin = 0.04;
    PaperView view;
    view.PixelsPerMm = std::clamp(std::min(area.width() / width, area.height() / height) * (1 - 2 * margin),
                                  kMinPixelsPerMm, kMaxPixelsPerMm);
    view.OriginX = area.center().x() - (box.MinX + box.MaxX) / 2 * view.PixelsPerMm;
    view.OriginY = area.center().y() + (box.MinY + box.MaxY) / 2 * view.PixelsPerMm;
    return view;
}

PaperView ZoomAround(const PaperView& view, QPointF pixel, double factor) {
    const QPointF paper = view.ToPaper(pixel);
    PaperView zoomed = view;
    zoomed.PixelsPerMm = std::clamp(view.PixelsPerMm * factor, kMinPixelsPerMm, kMaxPixelsPerMm);
    zoomed.OriginX = pixel.x() - paper.x() * zoomed.PixelsPerMm;
    zoomed.OriginY = pixel.y() + paper.y() * zoomed.PixelsPerMm;
    return zoomed;
}

void PaintDisplayList(QPainter& painter, const render::DisplayList& list, const PaperView& view) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    std::vector<QFont> fonts;
    for (const std::string& name : list.Fonts) {
        QFont font;
        QStringList families;
        if (!name.empty()) families << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        // The Japanese fonts of the CAD program first; the IPA fonts have the same metrics.
        families << QStringLiteral("ＭＳ ゴシック") << QStringLiteral("IPAGothic");
        font.setFamilies(families);
        font.setPixelSize(kTextPixels);
        fonts.push_back(font);
    }
    if (fonts.empty()) fonts.emplace_back();
    for (const render::DisplayItem& item : list.Items) {
        switch (item.Kind) {
            case render::ItemKind::Polyline:
                painter.setPen(StrokePen(list, item, view));
                painter.setBrush(Qt::NoBrush);
                painter.drawPolyline(Pixels(list, item.First, item.Count, view));
                break;
            case render::ItemKind::Polygon:
                painter.setPen(Qt::NoPen);
                painter.setBrush(ColorOf(item.Paint));
                painter.drawPolygon(Pixels(list, item.First, item.Count, view));
                break;
            case render::ItemKind::Arc:
                if (item.First >= list.Arcs.size()) break;
                painter.setPen(StrokePen(list, item, view));
                painter.setBrush(Qt::NoBrush);
                painter.drawPolyline(ArcPixels(list.Arcs[item.First], view));
                break;
            case render::ItemKind::Dot: {
                if (item.First >= list.Points.size()) break;
                const double radius = std::max(1.0, item.Width * view.PixelsPerMm / 2);
                painter.setPen(Qt::NoPen);
                painter.setBrush(ColorOf(item.Paint));
                const render::PaperPoint& p = list.Points[item.First];
                painter.drawEllipse(view.ToPixels(p.X, p.Y), radius, radius);
                break;
            }
            case render::ItemKind::Text: {
                if (item.First >= list.Texts.size()) break;
                const render::TextShape& text = list.Texts[item.First];
                if (text.Height > 0) {
                    const QFont& font = text.Font < fonts.size() ? fonts[text.Font] : fonts.front();
                    PaintText(painter, text, font, ColorOf(item.Paint), text.Height, view);
                }
                break;
            }
            case render::ItemKind::ImageFrame: {
                // The display list names the image but does not carry its bytes: a frame with
                // the name stands for it.
                const QPolygonF frame = Pixels(list, item.First, 4, view);
                if (frame.size() != 4 || item.Count >= list.Texts.size()) break;
                render::DisplayItem solid = item;
                solid.Dash = 0;
                painter.setPen(StrokePen(list, solid, view));
                painter.setBrush(Qt::NoBrush);
                painter.drawPolygon(frame);
                const render::PaperPoint& a = list.Points[item.First];
                const render::PaperPoint& c = list.Points[item.First + 2];
                const double size = std::clamp(std::hypot(c.X - a.X, c.Y - a.Y) / 20, 1.0, 10.0);
                render::TextShape label = list.Texts[item.Count];
                label.Text = "[" + label.Text + "]";
                label.Position = {a.X + size / 2, a.Y + size / 2};
                label.Width = size;
                PaintText(painter, label, fonts.front(), ColorOf(item.Paint), size, view);
                break;
            }
        }
    }
    painter.restore();
}

}  // namespace tolvane
