#include "win32/gdiplus_painter.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

#include "win32/text.h"

namespace tolvane::win32 {

namespace {

using Gdiplus::REAL;

// Texts are laid out in a font of this pixel size and scaled, so that sizes below a pixel
// and fractions of one keep their proportions.
constexpr REAL kTextPixels = 100;

Gdiplus::Color ColorOf(render::Color c) { return Gdiplus::Color(255, c.R, c.G, c.B); }

Gdiplus::PointF Pixel(PixelPoint point) {
    return {static_cast<REAL>(point.X), static_cast<REAL>(point.Y)};
}

std::vector<Gdiplus::PointF> Pixels(const std::vector<PixelPoint>& points) {
    std::vector<Gdiplus::PointF> pixels;
    pixels.reserve(points.size());
    for (const PixelPoint& point : points) pixels.push_back(Pixel(point));
    return pixels;
}

// GDI+ measures dashes in pen widths, as DashPixels gives them.
std::unique_ptr<Gdiplus::Pen> StrokePen(const render::DisplayList& list, const render::DisplayItem& item,
                                        const PaperView& view) {
    auto pen = std::make_unique<Gdiplus::Pen>(ColorOf(item.Paint), static_cast<REAL>(StrokePixels(item, view)));
    pen->SetLineCap(Gdiplus::LineCapRound, Gdiplus::LineCapRound, Gdiplus::DashCapRound);
    pen->SetLineJoin(Gdiplus::LineJoinRound);
    const std::vector<double> dashes = DashPixels(list, item, view);
    if (!dashes.empty()) {
        std::vector<REAL> pattern(dashes.begin(), dashes.end());
        pen->SetDashPattern(pattern.data(), static_cast<INT>(pattern.size()));
    }
    return pen;
}

// The fonts a text asks for, with the CAD program's Japanese font after it; per font the
// advance of each character met so far, for texts set with a gap between characters.
struct TextFonts {
    std::vector<std::unique_ptr<Gdiplus::FontFamily>> Families;
    std::vector<std::unique_ptr<Gdiplus::Font>> Fonts;
    std::vector<std::unordered_map<wchar_t, REAL>> Advances;
};

TextFonts MakeFonts(const render::DisplayList& list) {
    TextFonts fonts;
    const size_t count = std::max<size_t>(1, list.Fonts.size());
    for (size_t index = 0; index < count; ++index) {
        std::unique_ptr<Gdiplus::FontFamily> family;
        std::vector<std::wstring> names;
        if (index < list.Fonts.size() && !list.Fonts[index].empty()) names.push_back(Wide(list.Fonts[index]));
        names.push_back(L"ＭＳ ゴシック");
        names.push_back(L"MS Gothic");
        for (const std::wstring& name : names) {
            auto candidate = std::make_unique<Gdiplus::FontFamily>(name.c_str());
            if (candidate->GetLastStatus() == Gdiplus::Ok) {
                family = std::move(candidate);
                break;
            }
        }
        if (!family) {
            const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
            if (generic && generic->GetLastStatus() == Gdiplus::Ok) family.reset(generic->Clone());
        }
        // A system without any of these fonts shows the drawing without its texts.
        std::unique_ptr<Gdiplus::Font> font;
        if (family) font = std::make_unique<Gdiplus::Font>(family.get(), kTextPixels, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        if (font && font->GetLastStatus() != Gdiplus::Ok) font.reset();
        fonts.Fonts.push_back(std::move(font));
        fonts.Families.push_back(std::move(family));
    }
    fonts.Advances.resize(fonts.Fonts.size());
    return fonts;
}

// The text at its base point, turned counter-clockwise on paper, stretched to its character
// width: a full-width character is as wide as its size. The gap between characters is paper
// millimetres, not stretched with them; GDI+ has no letter spacing, so a spaced text is set
// with a position for each character.
void PaintText(Gdiplus::Graphics& graphics, const render::TextShape& text, const Gdiplus::Font& font,
               const Gdiplus::FontFamily& family, std::unordered_map<wchar_t, REAL>& advances, render::Color color,
               double height, const PaperView& view) {
    const double pixels = height * view.PixelsPerMm;
    if (!(pixels >= 0.5) || text.Text.empty()) return;
    const double scale = pixels / kTextPixels;
    const double stretch = text.Width > 0 ? text.Width / height : 1.0;
    const std::wstring wide = Wide(text.Text);
    if (wide.empty()) return;
    const INT style = Gdiplus::FontStyleRegular;
    const REAL ascent = kTextPixels * static_cast<REAL>(family.GetCellAscent(style)) /
                        std::max<REAL>(1, static_cast<REAL>(family.GetEmHeight(style)));
    const Gdiplus::GraphicsState saved = graphics.Save();
    const Gdiplus::PointF at = Pixel(view.ToPixels(text.Position.X, text.Position.Y));
    graphics.TranslateTransform(at.X, at.Y);
    graphics.RotateTransform(static_cast<REAL>(-text.Angle));
    graphics.ScaleTransform(static_cast<REAL>(scale * stretch), static_cast<REAL>(scale));
    const Gdiplus::SolidBrush brush(ColorOf(color));
    const Gdiplus::StringFormat* format = Gdiplus::StringFormat::GenericTypographic();
    if (text.Spacing > 0) {
        const REAL gap = static_cast<REAL>(text.Spacing / height / stretch) * kTextPixels;
        std::vector<Gdiplus::PointF> positions;
        positions.reserve(wide.size());
        REAL x = 0;
        for (const wchar_t character : wide) {
            // Driver strings are placed by their base line.
            positions.emplace_back(x, 0.0f);
            auto advance = advances.find(character);
            if (advance == advances.end()) {
                Gdiplus::RectF box;
                graphics.MeasureString(&character, 1, &font, Gdiplus::PointF(0, 0), format, &box);
                advance = advances.emplace(character, box.Width).first;
            }
            x += advance->second + gap;
        }
        graphics.DrawDriverString(reinterpret_cast<const UINT16*>(wide.data()), static_cast<INT>(wide.size()), &font,
                                  &brush, positions.data(), Gdiplus::DriverStringOptionsCmapLookup, nullptr);
    } else {
        graphics.DrawString(wide.c_str(), static_cast<INT>(wide.size()), &font, Gdiplus::PointF(0, -ascent), format, &brush);
    }
    graphics.Restore(saved);
}

}  // namespace

void PaintDisplayList(Gdiplus::Graphics& graphics, const render::DisplayList& list, const PaperView& view) {
    const Gdiplus::GraphicsState saved = graphics.Save();
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    TextFonts fonts = MakeFonts(list);
    const auto fontAt = [&fonts](uint32_t index) { return index < fonts.Fonts.size() ? index : 0u; };
    for (const render::DisplayItem& item : list.Items) {
        switch (item.Kind) {
            case render::ItemKind::Polyline: {
                const std::vector<Gdiplus::PointF> points = Pixels(PointPixels(list, item.First, item.Count, view));
                if (points.size() < 2) break;
                graphics.DrawLines(StrokePen(list, item, view).get(), points.data(), static_cast<INT>(points.size()));
                break;
            }
            case render::ItemKind::Polygon: {
                const std::vector<Gdiplus::PointF> points = Pixels(PointPixels(list, item.First, item.Count, view));
                if (points.size() < 3) break;
                const Gdiplus::SolidBrush brush(ColorOf(item.Paint));
                graphics.FillPolygon(&brush, points.data(), static_cast<INT>(points.size()));
                break;
            }
            case render::ItemKind::Arc: {
                if (item.First >= list.Arcs.size()) break;
                const std::vector<Gdiplus::PointF> points = Pixels(ArcPixels(list.Arcs[item.First], view));
                graphics.DrawLines(StrokePen(list, item, view).get(), points.data(), static_cast<INT>(points.size()));
                break;
            }
            case render::ItemKind::Dot: {
                if (item.First >= list.Points.size()) break;
                const REAL radius = static_cast<REAL>(std::max(1.0, StrokePixels(item, view) / 2));
                const render::PaperPoint& p = list.Points[item.First];
                const Gdiplus::PointF at = Pixel(view.ToPixels(p.X, p.Y));
                const Gdiplus::SolidBrush brush(ColorOf(item.Paint));
                graphics.FillEllipse(&brush, at.X - radius, at.Y - radius, 2 * radius, 2 * radius);
                break;
            }
            case render::ItemKind::Text: {
                if (item.First >= list.Texts.size()) break;
                const render::TextShape& text = list.Texts[item.First];
                if (text.Height <= 0) break;
                const uint32_t font = fontAt(text.Font);
                if (!fonts.Fonts[font]) break;
                PaintText(graphics, text, *fonts.Fonts[font], *fonts.Families[font], fonts.Advances[font], item.Paint, text.Height,
                          view);
                break;
            }
            case render::ItemKind::ImageFrame: {
                // The display list names the image but does not carry its bytes: a frame with
                // the name stands for it.
                const std::optional<ImageFrameLabel> label = ImageLabel(list, item);
                if (!label) break;
                const std::vector<Gdiplus::PointF> frame = Pixels(PointPixels(list, item.First, 4, view));
                render::DisplayItem solid = item;
                solid.Dash = 0;
                graphics.DrawPolygon(StrokePen(list, solid, view).get(), frame.data(), 4);
                if (fonts.Fonts[0])
                    PaintText(graphics, label->Label, *fonts.Fonts[0], *fonts.Families[0], fonts.Advances[0], item.Paint,
                              label->Size, view);
                break;
            }
        }
    }
    graphics.Restore(saved);
}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

}  // namespace tolvane::win32
