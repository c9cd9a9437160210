#include "render/render.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <charconv>
#include <numbers>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "formats/entity_stream.h"
#include "render/pens.h"
#include "settings/text_encoding.h"

namespace tolvane::render {

namespace {

// x' = A x + C y + E, y' = B x + D y + F.
struct Affine {
    double A = 1, B = 0, C = 0, D = 1, E = 0, F = 0;

    PaperPoint Apply(double x, double y) const { return {A * x + C * y + E, B * x + D * y + F}; }
    PaperPoint Linear(double x, double y) const { return {A * x + C * y, B * x + D * y}; }
    Affine Then(const Affine& inner) const {
        return {A * inner.A + C * inner.B, B * inner.A + D * inner.B, A * inner.C + C * inner.D,
                B * inner.C + D * inner.D, A * inner.E + C * inner.F + E, B * inner.E + D * inner.F + F};
    }
};

// Every byte but the continuation bytes of a sequence begins a character.
size_t Utf8Characters(std::string_view utf8) {
    size_t characters = 0;
    for (char c : utf8) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return characters;
}

constexpr double kDegrees = 180.0 / std::numbers::pi;

// Farther from the origin than a thousand kilometres of paper a shape is left out, as one
// with coordinates that are not numbers is: a single stray coordinate (a drawing can hold
// 1e308) would otherwise stretch the extent of the whole drawing beyond what a viewer shows.
constexpr double kFarthest = 1e9;

bool Drawable(double v) { return std::isfinite(v) && std::abs(v) <= kFarthest; }
bool Drawable(const PaperPoint& p) { return Drawable(p.X) && Drawable(p.Y); }

class DiscardingSink : public ByteSink {
public:
    void Write(const uint8_t*, size_t) override {}
};

// The bytes the drawing's entities and block definitions take in a file, as the writer would
// write them at the drawing's version, counted without keeping them.
uint64_t StoredBytes(const DrawingData& drawing) {
    DiscardingSink sink;
    ArchiveWriter out(sink);
    try {
        WriteEntityStream(out, drawing, drawing.Header.FileVersion, ImageTextRewrite::None);
    } catch (const ArchiveError&) {
        // An order list that refers to no record: what was counted up to it stands.
    }
    return out.Position();
}

// The walk runs twice. The first pass only counts the shapes, points, arcs and texts, and the
// insertions of each block; the second makes the list in arrays reserved at their final size,
// since an array grown by doubling holds its old and new copies at once. Only the second pass
// converts texts: those of a block drawn more than once are converted once and shared. A walk
// in pieces repeats only the second pass, each time with the same shared texts.
class Walker {
public:
    Walker(const DrawingData& drawing, DrawingFormat format, const RenderLimits& limits)
        : drawing_(drawing), format_(format), limits_(limits), pens_(drawing.Header, format == DrawingFormat::Jww) {
        for (size_t i = 0; i < drawing.BlockDefinitions.size(); ++i) blocks_.try_emplace(drawing.BlockDefinitions[i].Number, i);
        maxItems_ = limits.MaxItems != 0 ? limits.MaxItems : SIZE_MAX;
        maxBytes_ = limits.MaxListBytes != 0 ? limits.MaxListBytes : kBaseListBytes + 2 * StoredBytes(drawing);
        insertions_.assign(drawing.BlockDefinitions.size(), 0);
    }

    DisplayList Run() {
        Count();
        list_.Items.reserve(counted_.Items);
        list_.Points.reserve(counted_.Points);
        list_.Arcs.reserve(counted_.Arcs);
        list_.Texts.reserve(counted_.Texts);
        Build();
        return std::move(list_);
    }

    size_t CountItems() {
        Count();
        return counted_.Items;
    }

    DisplayListWalk::Totals Pieces(const DisplayListWalk::Consumer& consume, size_t pieceItems) {
        Count();
        consume_ = &consume;
        pieceItems_ = std::max<size_t>(pieceItems, 1);
        list_.Items.reserve(std::min(pieceItems_, counted_.Items));
        Build();
        HandOver();
        consume_ = nullptr;
        return {handed_, list_.SkippedInsertions, list_.ItemLimitReached};
    }

private:
    // What a list of a few shapes may take in any case.
    static constexpr size_t kBaseListBytes = 8 << 20;

    struct Counts {
        size_t Items = 0, Points = 0, Arcs = 0, Texts = 0;
    };

    // A text as it is drawn: its characters (or, for an image reference, the image's name)
    // and, for an image, the size of its frame.
    struct TextContent {
        SharedText Text;
        bool Image = false;
        double ImageWidth = 0, ImageHeight = 0;
        uint32_t Font = 0;
        uint32_t ChargedInBuild = 0;  // a shared text counts against the limit once a walk
    };

    void Count() {
        if (countDone_) return;
        counting_ = true;
        Walk();
        counting_ = false;
        countDone_ = true;
    }

    void Build() {
        ++builds_;
        used_ = 0;
        expanded_ = 0;
        handed_ = 0;
        stopped_ = false;
        list_.SkippedInsertions = 0;
        list_.ItemLimitReached = false;
        list_.DashPatterns = pens_.Patterns();
        if (list_.Fonts.empty()) list_.Fonts.emplace_back();
        Walk();
    }

    // The arrays keep their memory for the next piece.
    void HandOver() {
        (*consume_)(list_);
        handed_ += list_.Items.size();
        list_.Items.clear();
        list_.Points.clear();
        list_.Arcs.clear();
        list_.Texts.clear();
    }

    void Walk() {
        for (const EntityRef& ref : drawing_.EntityOrder) {
            if (stopped_) return;
            const EntityBase* base = BaseOf(drawing_, ref);
            if (base == nullptr || !Visible(*base)) continue;
            Draw(drawing_, ref, Affine{}, 1.0, 0, kTopLevel);
        }
    }

    // Members of a block are shown with the insertion: its layer decides, not theirs.
    bool Visible(const EntityBase& base) const {
        if (base.LayerGroup > 15 || base.Layer > 15) return false;
        if (format_ == DrawingFormat::Jws) return true;
        const LayerGroupInfo& group = drawing_.Header.LayerGroups[base.LayerGroup];
        return group.State != 0 && group.Layers[base.Layer].State != 0;
    }

    // Room for one more shape (or expanded insertion) of the given size: expansions count
    // too, since blocks that hold only insertions of each other draw nothing, yet could keep
    // the walk going for ever. Past the limits the walk stops.
    bool Room(size_t bytes) {
        if (!counting_ && list_.Items.size() >= pieceItems_) HandOver();
        const size_t items = (counting_ ? counted_.Items : handed_ + list_.Items.size()) + expanded_;
        if (!stopped_ && items < maxItems_ && used_ + bytes <= maxBytes_) {
            used_ += bytes;
            return true;
        }
        stopped_ = true;
        list_.ItemLimitReached = true;
        return false;
    }

    // In the first pass a shape is only counted; true then, and the caller adds nothing.
    bool Counted(size_t points, size_t arcs, size_t texts) {
        if (!counting_) return false;
        ++counted_.Items;
        counted_.Points += points;
        counted_.Arcs += arcs;
        counted_.Texts += texts;
        return true;
    }

    static size_t ShapeBytes(size_t points, size_t arcs, size_t texts) {
        return sizeof(DisplayItem) + points * sizeof(PaperPoint) + arcs * sizeof(ArcShape) + texts * sizeof(TextShape);
    }

    DisplayItem& NewItem(ItemKind kind, const EntityBase& pen, uint32_t first, uint32_t count) {
        DisplayItem& item = list_.Items.emplace_back();
        item.Kind = kind;
        item.LineType = pen.PenStyle;
        item.ColorNumber = pen.PenColor;
        item.Paint = pens_.ColorOf(pen.PenColor);
        item.Width = static_cast<float>(pens_.WidthOf(pen));
        item.Dash = pens_.DashOf(pen.PenStyle);
        item.First = first;
        item.Count = count;
        return item;
    }

    void Line(const LineRecord& r, const Affine& m) {
        const PaperPoint a = m.Apply(r.StartX, r.StartY), b = m.Apply(r.EndX, r.EndY);
        if (!Drawable(a) || !Drawable(b) || !Room(ShapeBytes(2, 0, 0)) || Counted(2, 0, 0)) return;
        NewItem(ItemKind::Polyline, r, static_cast<uint32_t>(list_.Points.size()), 2);
        list_.Points.push_back(a);
        list_.Points.push_back(b);
    }

    // The arc's angles are in radians; StartAngle and ArcAngle are parameters of the ellipse in
    // its own (tilted) frame, Flatness the ratio of its second axis to its first.
    void Arc(const ArcRecord& r, const Affine& m) {
        const double tilt = r.TiltAngle, minor = r.Radius * r.Flatness;
        ArcShape shape;
        shape.Center = m.Apply(r.CenterX, r.CenterY);
        shape.AxisA = m.Linear(r.Radius * std::cos(tilt), r.Radius * std::sin(tilt));
        shape.AxisB = m.Linear(-minor * std::sin(tilt), minor * std::cos(tilt));
        shape.Start = r.FullCircle != 0 ? 0 : r.StartAngle;
        shape.Sweep = r.FullCircle != 0 ? 2 * std::numbers::pi : r.ArcAngle;
        if (!Drawable(shape.Center) || !Drawable(shape.AxisA) || !Drawable(shape.AxisB) || !std::isfinite(shape.Start) ||
            !std::isfinite(shape.Sweep) || !Room(ShapeBytes(0, 1, 0)) || Counted(0, 1, 0))
            return;
        shape.Sweep = std::clamp(shape.Sweep, -2 * std::numbers::pi, 2 * std::numbers::pi);
        NewItem(ItemKind::Arc, r, static_cast<uint32_t>(list_.Arcs.size()), 1);
        list_.Arcs.push_back(shape);
    }

    void Point(const PointRecord& r, const Affine& m) {
        const PaperPoint p = m.Apply(r.X, r.Y);
        if (!Drawable(p) || !Room(ShapeBytes(1, 0, 0)) || Counted(1, 0, 0)) return;
        DisplayItem& item = NewItem(ItemKind::Dot, r, static_cast<uint32_t>(list_.Points.size()), 1);
        item.Width = static_cast<float>(pens_.PointDiameterOf(r.PenColor));
        list_.Points.push_back(p);
    }

    TextContent Convert(const TextRecord& r, bool shared) {
        TextContent content;
        std::string text = ArchiveStringToUtf8(r.Text);
        ImageReference image;
        if (ParseImageReference(text, image)) {
            content.Image = true;
            content.ImageWidth = image.Width;
            content.ImageHeight = image.Height;
            text = std::move(image.Name);
        } else {
            content.Font = FontIndex(r.FontName);
        }
        content.Text = shared ? SharedText::Shared(std::move(text)) : SharedText(std::move(text));
        return content;
    }

    // A block inserted more than once draws its texts from one conversion each.
    const TextContent& ContentOf(const TextRecord& r, size_t block, TextContent& own) {
        if (block == kTopLevel || insertions_[block] < 2) return own = Convert(r, false);
        const auto [found, added] = shared_.try_emplace(&r);
        TextContent& content = found->second;
        if (added) content = Convert(r, true);
        if (content.ChargedInBuild != builds_) {
            content.ChargedInBuild = builds_;
            used_ += content.Text.size();
        }
        return content;
    }

    // A block insertion's scale enlarges a text, textScale carries it. The angle is in degrees.
    void Text(const TextRecord& r, const Affine& m, double textScale, size_t block) {
        const PaperPoint p = m.Apply(r.StartX, r.StartY);
        const double angle = r.Angle + std::atan2(m.B, m.A) * kDegrees;
        if (!Drawable(p) || !std::isfinite(angle)) return;
        // A figure file writes "^@BMname,...", a drawing "^@BM%temp%name,...": both begin so.
        const bool image = r.Text.StartsWith(kImageTextMarker);
        if (!Room(ShapeBytes(image ? 4 : 0, 0, 1)) || Counted(image ? 4 : 0, 0, 1)) return;
        TextContent own;
        const TextContent& content = ContentOf(r, block, own);
        if (!content.Text.Identity()) used_ += content.Text.size();
        if (content.Image) {
            const double radians = angle / kDegrees;
            const double w = Size(content.ImageWidth, textScale), h = Size(content.ImageHeight, textScale);
            const PaperPoint along{std::cos(radians) * w, std::sin(radians) * w};
            const PaperPoint up{-std::sin(radians) * h, std::cos(radians) * h};
            NewItem(ItemKind::ImageFrame, r, static_cast<uint32_t>(list_.Points.size()),
                    static_cast<uint32_t>(list_.Texts.size()));
            list_.Points.push_back(p);
            list_.Points.push_back({p.X + along.X, p.Y + along.Y});
            list_.Points.push_back({p.X + along.X + up.X, p.Y + along.Y + up.Y});
            list_.Points.push_back({p.X + up.X, p.Y + up.Y});
            list_.Texts.push_back({p, angle, 0, 0, 0, content.Text, 0});
            return;
        }
        NewItem(ItemKind::Text, r, static_cast<uint32_t>(list_.Texts.size()), 1);
        list_.Texts.push_back({p, angle, Size(r.SizeX, textScale), Size(r.SizeY, textScale), Size(r.Spacing, textScale),
                               content.Text, content.Font});
    }

    // A size of a text or an image frame on paper; one that is not a number or that no paper
    // holds draws nothing.
    static double Size(double v, double scale) {
        const double size = std::isfinite(v) && std::abs(v) < 1e6 ? std::abs(v) * scale : 0.0;
        return size <= kFarthest ? size : 0.0;
    }

    uint32_t FontIndex(const ArchiveString& name) {
        if (name.empty()) return 0;
        const auto [found, added] = fonts_.try_emplace(name.Stored(), static_cast<uint32_t>(list_.Fonts.size()));
        if (added) list_.Fonts.push_back(ArchiveStringToUtf8(name));
        return found->second;
    }

    // Files before version 4.20 store only the dimension line and text; the reader leaves the
    // auxiliary lines at zero and the points with line type 0, and those are not drawn.
    void Dimension(const DimensionRecord& r, const Affine& m, double textScale, size_t block) {
        Line(r.DimensionLine, m);
        for (const LineRecord* aux : {&r.AuxLine1, &r.AuxLine2})
            if (aux->StartX != 0 || aux->StartY != 0 || aux->EndX != 0 || aux->EndY != 0) Line(*aux, m);
        for (const PointRecord* p : {&r.Point1, &r.Point2, &r.AuxPoint1, &r.AuxPoint2})
            if (p->PenStyle != 0) Point(*p, m);
        Text(r.DimensionText, m, textScale, block);
    }

    // Colour 10 paints a solid in its own colour, a COLORREF like the tables'.
    void Solid(const SolidRecord& r, const Affine& m) {
        const PaperPoint corners[] = {m.Apply(r.Corner1X, r.Corner1Y), m.Apply(r.Corner2X, r.Corner2Y),
                                      m.Apply(r.Corner3X, r.Corner3Y), m.Apply(r.Corner4X, r.Corner4Y)};
        for (const PaperPoint& c : corners)
            if (!Drawable(c)) return;
        if (!Room(ShapeBytes(4, 0, 0)) || Counted(4, 0, 0)) return;
        DisplayItem& item = NewItem(ItemKind::Polygon, r, static_cast<uint32_t>(list_.Points.size()), 4);
        if (r.PenColor == 10) item.Paint = FromColorRef(r.Rgb);
        list_.Points.insert(list_.Points.end(), std::begin(corners), std::end(corners));
    }

    // The insertion maps the definition's coordinates: scaled, turned by Angle (radians),
    // then moved to (X, Y).
    void Insert(const BlockInsertRecord& r, const Affine& m, double textScale, uint32_t depth) {
        const auto found = blocks_.find(r.BlockNumber);
        const bool cyclic = std::find(active_.begin(), active_.end(), r.BlockNumber) != active_.end();
        const double c = std::cos(r.Angle), s = std::sin(r.Angle);
        const Affine insert{c * r.ScaleX, s * r.ScaleX, -s * r.ScaleY, c * r.ScaleY, r.X, r.Y};
        const double scale = textScale * std::sqrt(std::abs(r.ScaleX * r.ScaleY));
        if (found == blocks_.end() || cyclic || depth >= limits_.MaxBlockDepth || !std::isfinite(scale) ||
            !std::isfinite(r.X) || !std::isfinite(r.Y) || !std::isfinite(c)) {
            ++list_.SkippedInsertions;
            return;
        }
        if (!Room(sizeof(DisplayItem))) return;
        const size_t block = found->second;
        if (counting_) ++insertions_[block];
        ++expanded_;
        active_.push_back(r.BlockNumber);
        const Affine inner = m.Then(insert);
        const EntityLists& members = drawing_.BlockDefinitions[block].Members();
        for (const EntityRef& ref : members.EntityOrder) {
            if (stopped_) break;
            Draw(members, ref, inner, scale, depth + 1, block);
        }
        active_.pop_back();
    }

    // block: the definition whose members are drawn, or kTopLevel.
    void Draw(const EntityLists& l, const EntityRef& ref, const Affine& m, double textScale, uint32_t depth,
              size_t block) {
        if (BaseOf(l, ref) == nullptr) return;
        switch (static_cast<EntityKind>(ref.Kind)) {
            case EntityKind::Line: Line(l.Lines[ref.Index], m); break;
            case EntityKind::Arc: Arc(l.Arcs[ref.Index], m); break;
            case EntityKind::Point: Point(l.Points[ref.Index], m); break;
            case EntityKind::Text: Text(l.Texts[ref.Index], m, textScale, block); break;
            case EntityKind::Dimension: Dimension(l.Dimensions[ref.Index], m, textScale, block); break;
            case EntityKind::Solid: Solid(l.Solids[ref.Index], m); break;
            case EntityKind::BlockInsert: Insert(l.BlockInserts[ref.Index], m, textScale, depth); break;
            case EntityKind::BlockDefinition: break;
        }
    }

    static constexpr size_t kTopLevel = SIZE_MAX;

    const DrawingData& drawing_;
    DrawingFormat format_;
    RenderLimits limits_;
    PenTables pens_;
    DisplayList list_;
    std::unordered_map<uint32_t, size_t> blocks_;  // first definition of each number
    std::vector<uint32_t> active_;                 // the blocks being drawn, outermost first
    std::unordered_map<std::string, uint32_t> fonts_;  // stored name to index in Fonts
    std::vector<uint32_t> insertions_;             // how often each definition is drawn
    std::unordered_map<const TextRecord*, TextContent> shared_;
    bool counting_ = false;
    bool countDone_ = false;
    bool stopped_ = false;
    Counts counted_;
    uint32_t builds_ = 0;
    // A walk in pieces hands the list over at this many shapes; handed_ shapes are gone.
    const DisplayListWalk::Consumer* consume_ = nullptr;
    size_t pieceItems_ = SIZE_MAX;
    size_t handed_ = 0;
    size_t maxItems_ = 0;
    size_t maxBytes_ = 0;
    size_t used_ = 0;
    size_t expanded_ = 0;
};

}  // namespace

SharedText SharedText::Shared(std::string utf8) {
    SharedText text;
    auto shared = std::make_shared<Text>();
    shared->Utf8 = std::move(utf8);
    shared->Characters = Utf8Characters(shared->Utf8);
    text.shared_ = std::move(shared);
    return text;
}

size_t SharedText::Characters() const { return shared_ ? shared_->Characters : Utf8Characters(own_); }

bool ParseImageReference(const std::string& utf8, ImageReference& image) {
    std::string_view rest(utf8);
    if (!rest.starts_with(kImageTextMarker)) return false;
    rest.remove_prefix(kImageTextMarker.size());
    if (rest.starts_with("%temp%")) rest.remove_prefix(6);
    const size_t comma = rest.find(',');
    image.Name = std::string(rest.substr(0, comma));
    double* fields[] = {&image.Width, &image.Height};
    size_t at = comma;
    for (double* field : fields) {
        if (at == std::string_view::npos) break;
        const size_t next = rest.find(',', at + 1);
        const std::string_view number = rest.substr(at + 1, next == std::string_view::npos ? std::string_view::npos : next - at - 1);
        double value = 0;
        // from_chars, unlike strtod, does not follow the locale a front end may set.
        const auto parsed = std::from_chars(number.data(), number.data() + number.size(), value);
        if (parsed.ec == std::errc{} && std::isfinite(value) && value > 0 && value < 1e6) *field = value;
        at = next;
    }
    return true;
}

void Bounds::Add(double x, double y) {
    if (Empty) {
        MinX = MaxX = x;
        MinY = MaxY = y;
        Empty = false;
        return;
    }
    MinX = std::min(MinX, x);
    MaxX = std::max(MaxX, x);
    MinY = std::min(MinY, y);
    MaxY = std::max(MaxY, y);
}

Bounds DisplayList::Extent() const {
    Bounds b;
    for (const DisplayItem& item : Items) {
        switch (item.Kind) {
            case ItemKind::Polyline:
            case ItemKind::Polygon:
            case ItemKind::ImageFrame: {
                const uint32_t count = item.Kind == ItemKind::ImageFrame ? 4 : item.Count;
                for (uint32_t i = 0; i < count; ++i) b.Add(Points[item.First + i].X, Points[item.First + i].Y);
                break;
            }
            case ItemKind::Dot: {
                const PaperPoint& p = Points[item.First];
                b.Add(p.X - item.Width, p.Y - item.Width);
                b.Add(p.X + item.Width, p.Y + item.Width);
                break;
            }
            case ItemKind::Arc: {
                // The ellipse lies inside the box of its centre plus and minus both half-axes.
                const ArcShape& a = Arcs[item.First];
                const double dx = std::abs(a.AxisA.X) + std::abs(a.AxisB.X), dy = std::abs(a.AxisA.Y) + std::abs(a.AxisB.Y);
                b.Add(a.Center.X - dx, a.Center.Y - dy);
                b.Add(a.Center.X + dx, a.Center.Y + dy);
                break;
            }
            case ItemKind::Text: {
                // A full-width character takes the character width, a half-width one half of
                // it; every character is followed by the gap.
                const TextShape& t = Texts[item.First];
                const double length = static_cast<double>(t.Text.Characters()) * (t.Width + t.Spacing);
                const double radians = t.Angle * std::numbers::pi / 180;
                const double ax = std::cos(radians), ay = std::sin(radians);
                for (const auto& [u, v] : {std::pair{0.0, 0.0}, {length, 0.0}, {0.0, t.Height}, {length, t.Height}})
                    b.Add(t.Position.X + u * ax - v * ay, t.Position.Y + u * ay + v * ax);
                break;
            }
        }
    }
    return b;
}

DisplayList BuildDisplayList(const DrawingData& drawing, DrawingFormat format, const RenderLimits& limits) {
    return Walker(drawing, format, limits).Run();
}

struct DisplayListWalk::State {
    State(const DrawingData& drawing, DrawingFormat format, const RenderLimits& limits) : Walk(drawing, format, limits) {}
    Walker Walk;
};

DisplayListWalk::DisplayListWalk(const DrawingData& drawing, DrawingFormat format, const RenderLimits& limits,
                                 size_t pieceItems)
    : state_(std::make_unique<State>(drawing, format, limits)), pieceItems_(pieceItems) {}

DisplayListWalk::~DisplayListWalk() = default;

DisplayListWalk::Totals DisplayListWalk::Walk(const Consumer& consume) {
    return state_->Walk.Pieces(consume, pieceItems_);
}

size_t DisplayListWalk::CountItems() { return state_->Walk.CountItems(); }

}  // namespace tolvane::render
