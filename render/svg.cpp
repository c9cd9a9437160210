#include "render/svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <unordered_map>

namespace tolvane::render {

namespace {

// Collects the document in a buffer that goes to the stream in large pieces; formatting
// numbers with to_chars keeps it independent of the locale a front end sets.
class SvgText {
public:
    explicit SvgText(std::ostream& out) : out_(out) { buffer_.reserve(kChunk + 4096); }
    ~SvgText() { Flush(); }

    SvgText& operator<<(std::string_view text) {
        buffer_ += text;
        if (buffer_.size() >= kChunk) Flush();
        return *this;
    }
    // Millimetres to a thousandth, trailing zeros dropped.
    SvgText& Number(double value) {
        if (!std::isfinite(value)) value = 0;
        if (std::abs(value) < 0.0005) value = 0;
        char digits[400];  // the largest double has 309 digits before the point
        const auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 3);
        char* end = result.ptr;
        while (end[-1] == '0') --end;
        if (end[-1] == '.') --end;
        buffer_.append(digits, end);
        return *this;
    }
    SvgText& Paint(Color c) {
        static constexpr char kHex[] = "0123456789abcdef";
        const char text[] = {'#', kHex[c.R >> 4], kHex[c.R & 15], kHex[c.G >> 4], kHex[c.G & 15],
                             kHex[c.B >> 4], kHex[c.B & 15]};
        buffer_.append(text, sizeof text);
        return *this;
    }
    void Flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }

private:
    static constexpr size_t kChunk = 1 << 16;
    std::ostream& out_;
    std::string buffer_;
};

void Stroke(SvgText& s, const DisplayList& list, const DisplayItem& item) {
    s << " fill=\"none\" stroke=\"";
    s.Paint(item.Paint) << "\" stroke-width=\"";
    s.Number(item.Width) << "\"";
    if (item.Dash != 0 && item.Dash < list.DashPatterns.size()) {
        s << " stroke-dasharray=\"";
        const std::vector<double>& dashes = list.DashPatterns[item.Dash];
        for (size_t i = 0; i < dashes.size(); ++i) {
            if (i > 0) s << " ";
            s.Number(dashes[i]);
        }
        s << "\"";
    }
}

// SVG's y axis points down: every y is written negated.
void PointList(SvgText& s, const DisplayList& list, uint32_t first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const PaperPoint& p = list.Points[first + i];
        if (i > 0) s << " ";
        s.Number(p.X) << ",";
        s.Number(-p.Y);
    }
}

// An arc as a polyline of at most 5 degrees a step, enough for paper at any zoom the
// preview offers; the exact shape stays in the display list for painters that draw arcs.
void ArcPoints(SvgText& s, const ArcShape& a) {
    const int steps = std::clamp(static_cast<int>(std::ceil(std::abs(a.Sweep) / (std::numbers::pi / 36))), 2, 72);
    for (int i = 0; i <= steps; ++i) {
        const double t = a.Start + a.Sweep * i / steps;
        if (i > 0) s << " ";
        s.Number(a.Center.X + std::cos(t) * a.AxisA.X + std::sin(t) * a.AxisB.X) << ",";
        s.Number(-(a.Center.Y + std::cos(t) * a.AxisA.Y + std::sin(t) * a.AxisB.Y));
    }
}

// The text at its base point, turned counter-clockwise on paper (clockwise in SVG's axes),
// stretched to its character width: a full-width character is as wide as its size. A text
// that the definitions hold (id, from 0) is drawn from there, so that the characters of a text
// that many block insertions draw are written once.
void TextElement(SvgText& s, const TextShape& t, const std::string& family, Color paint, double height,
                 size_t id = SIZE_MAX) {
    if (id == SIZE_MAX) s << "<text";
    else s << "<use xlink:href=\"#t" << std::to_string(id) << "\"";
    s << " transform=\"translate(";
    s.Number(t.Position.X) << " ";
    s.Number(-t.Position.Y) << ") rotate(";
    s.Number(-t.Angle) << ")";
    if (t.Width > 0 && height > 0 && std::abs(t.Width - height) > 1e-9) {
        s << " scale(";
        s.Number(t.Width / height) << " 1)";
    }
    s << "\" font-size=\"";
    s.Number(height) << "\"";
    if (t.Spacing > 0) {
        s << " letter-spacing=\"";
        s.Number(t.Spacing) << "\"";
    }
    s << " font-family=\"" << family << "\" fill=\"";
    s.Paint(paint);
    if (id == SIZE_MAX) s << "\">" << EscapeXml(t.Text.Utf8()) << "</text>\n";
    else s << "\"/>\n";
}

// An image's name in its frame, at most this many characters: the frame is drawn at every
// insertion of its block.
constexpr size_t kLabelCharacters = 64;

std::string Label(const std::string& name) {
    size_t end = 0;
    for (size_t characters = 0; end < name.size(); ++end) {
        if ((static_cast<unsigned char>(name[end]) & 0xC0) != 0x80 && characters++ == kLabelCharacters) break;
    }
    return "[" + name.substr(0, end) + (end < name.size() ? "\xE2\x80\xA6]" : "]");
}

// A short text is written where it is drawn: a reference to it would be as long.
constexpr size_t kShortText = 32;

}  // namespace

// XML 1.0 allows tab, line feed, carriage return, U+0020..U+D7FF, U+E000..U+FFFD and the
// planes above; a wide text of a drawing can hold any UTF-16 unit, U+FFFE and U+FFFF too.
// Line breaks of a text are dropped with the other control characters, and a byte that
// begins no well-formed UTF-8 sequence becomes U+FFFD.
std::string EscapeXml(std::string_view utf8) {
    std::string escaped;
    escaped.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            switch (lead) {
                case '&': escaped += "&amp;"; break;
                case '<': escaped += "&lt;"; break;
                case '>': escaped += "&gt;"; break;
                case '"': escaped += "&quot;"; break;
                case '\'': escaped += "&apos;"; break;
                default:
                    if (lead >= 0x20 || lead == '\t') escaped += static_cast<char>(lead);
            }
            ++i;
            continue;
        }
        const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t c = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
        bool wellFormed = length > 1 && lead >= 0xC2 && lead <= 0xF4 && i + length <= utf8.size();
        for (size_t k = 1; wellFormed && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            wellFormed = (next & 0xC0) == 0x80;
            c = c << 6 | (next & 0x3Fu);
        }
        const char32_t smallest = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
        wellFormed = wellFormed && c >= smallest && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        if (!wellFormed) {
            escaped += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (c != 0xFFFE && c != 0xFFFF) escaped.append(utf8.substr(i, length));
        i += length;
    }
    return escaped;
}

void SvgLayout::Add(const DisplayList& piece) {
    const Bounds extent = piece.Extent();
    if (!extent.Empty) {
        Extent.Add(extent.MinX, extent.MinY);
        Extent.Add(extent.MaxX, extent.MaxY);
    }
    for (const DisplayItem& item : piece.Items) {
        if (item.Kind != ItemKind::Text || item.First >= piece.Texts.size()) continue;
        const SharedText& text = piece.Texts[item.First].Text;
        if (text.Identity() == nullptr || text.size() <= kShortText) continue;
        const auto [found, added] = SharedTextIndex.try_emplace(text.Identity(), SharedTexts.size());
        if (added) SharedTexts.emplace_back(text, 0);
        ++SharedTexts[found->second].second;
    }
}

namespace {

// The head at construction, then the shapes of each piece, then the end.
class SvgDocument {
public:
    SvgDocument(const SvgLayout& layout, std::ostream& out) : s_(out) {
        Bounds extent = layout.Extent;
        if (extent.Empty) extent = {0, 0, 10, 10, false};
        const double margin = std::max({extent.MaxX - extent.MinX, extent.MaxY - extent.MinY, 1.0}) * 0.02;
        const double width = extent.MaxX - extent.MinX + 2 * margin, height = extent.MaxY - extent.MinY + 2 * margin;
        for (const auto& [text, shapes] : layout.SharedTexts)
            if (shapes > 1) ids_.emplace(text.Identity(), ids_.size());
        s_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
        if (!ids_.empty()) s_ << " xmlns:xlink=\"http://www.w3.org/1999/xlink\"";
        s_ << " width=\"";
        s_.Number(width) << "mm\" height=\"";
        s_.Number(height) << "mm\" viewBox=\"";
        s_.Number(extent.MinX - margin) << " ";
        s_.Number(-extent.MaxY - margin) << " ";
        s_.Number(width) << " ";
        s_.Number(height) << "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n<rect x=\"";
        s_.Number(extent.MinX - margin) << "\" y=\"";
        s_.Number(-extent.MaxY - margin) << "\" width=\"";
        s_.Number(width) << "\" height=\"";
        s_.Number(height) << "\" fill=\"#ffffff\"/>\n";
        if (!ids_.empty()) {
            s_ << "<defs>\n";
            for (const auto& [text, shapes] : layout.SharedTexts)
                if (shapes > 1)
                    s_ << "<text id=\"t" << std::to_string(ids_.at(text.Identity())) << "\">" << EscapeXml(text.Utf8())
                       << "</text>\n";
            s_ << "</defs>\n";
        }
    }

    void Shapes(const DisplayList& list) {
        // Each font's family list, escaped once: its own name first, then the fallbacks. The
        // fonts of a list only grow from piece to piece.
        for (size_t i = families_.size(); i < list.Fonts.size(); ++i) {
            const std::string& font = list.Fonts[i];
            families_.push_back(EscapeXml(font.empty() ? std::string(kFallbackFonts) : "'" + font + "', " + std::string(kFallbackFonts)));
        }
        if (families_.empty()) families_.push_back(EscapeXml(kFallbackFonts));
        for (const DisplayItem& item : list.Items) Shape(list, item);
    }

    void End() {
        s_ << "</svg>\n";
        s_.Flush();
    }

private:
    void Shape(const DisplayList& list, const DisplayItem& item) {
        SvgText& s = s_;
        switch (item.Kind) {
            case ItemKind::Polyline:
                s << "<polyline points=\"";
                PointList(s, list, item.First, item.Count);
                s << "\"";
                Stroke(s, list, item);
                s << "/>\n";
                break;
            case ItemKind::Polygon:
                s << "<polygon points=\"";
                PointList(s, list, item.First, item.Count);
                s << "\" fill=\"";
                s.Paint(item.Paint) << "\"/>\n";
                break;
            case ItemKind::Arc:
                s << "<polyline points=\"";
                ArcPoints(s, list.Arcs[item.First]);
                s << "\"";
                Stroke(s, list, item);
                s << "/>\n";
                break;
            case ItemKind::Dot: {
                const PaperPoint& p = list.Points[item.First];
                s << "<circle cx=\"";
                s.Number(p.X) << "\" cy=\"";
                s.Number(-p.Y) << "\" r=\"";
                s.Number(item.Width / 2) << "\" fill=\"";
                s.Paint(item.Paint) << "\"/>\n";
                break;
            }
            case ItemKind::Text: {
                const TextShape& t = list.Texts[item.First];
                const auto found = ids_.find(t.Text.Identity());
                const size_t id = found != ids_.end() ? found->second : SIZE_MAX;
                if (t.Height > 0 && t.Font < families_.size()) TextElement(s, t, families_[t.Font], item.Paint, t.Height, id);
                break;
            }
            case ItemKind::ImageFrame: {
                // The picture itself is not embedded: a frame with the image's name.
                s << "<polygon points=\"";
                PointList(s, list, item.First, 4);
                s << "\"";
                DisplayItem frame = item;
                frame.Dash = 0;
                Stroke(s, list, frame);
                s << "/>\n";
                const TextShape& name = list.Texts[item.Count];
                const PaperPoint& a = list.Points[item.First];
                const PaperPoint& c = list.Points[item.First + 2];
                const double size = std::clamp(std::hypot(c.X - a.X, c.Y - a.Y) / 20, 1.0, 10.0);
                TextShape label = name;
                label.Text = Label(name.Text.Utf8());
                label.Position = {a.X + size / 2, a.Y + size / 2};
                TextElement(s, label, families_.front(), item.Paint, size);
                break;
            }
        }
    }

    SvgText s_;
    std::vector<std::string> families_;
    std::unordered_map<const void*, size_t> ids_;  // the texts among the definitions, numbered from 0
};

}  // namespace

void WriteSvg(const DisplayList& list, std::ostream& out) {
    SvgLayout layout;
    layout.Add(list);
    SvgDocument document(layout, out);
    document.Shapes(list);
    document.End();
}

void WriteSvg(const SvgLayout& layout, DisplayListWalk& walk, std::ostream& out, const DisplayListWalk::Consumer& prepare) {
    SvgDocument document(layout, out);
    walk.Walk([&](DisplayList& piece) {
        if (prepare) prepare(piece);
        document.Shapes(piece);
    });
    document.End();
}

}  // namespace tolvane::render
