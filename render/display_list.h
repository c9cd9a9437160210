// What a drawing looks like on paper, as a flat list of simple shapes in paper millimetres
// (x to the right, y upwards, as the CAD program draws), with the colour, width and dash
// pattern of each shape already resolved. One walk over a drawing fills it (render.h); the
// SVG writer and a QPainter each turn it into pixels without knowing the drawing format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::render {

struct Color {
    uint8_t R = 0, G = 0, B = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

struct PaperPoint {
    double X = 0, Y = 0;
};

enum class ItemKind : uint8_t {
    Polyline,    // Points[First .. First + Count)
    Polygon,     // filled, Points[First .. First + Count)
    Arc,         // Arcs[First]
    Dot,         // Points[First], a filled disc of diameter Width
    Text,        // Texts[First]
    ImageFrame,  // Points[First .. First + 4) and the image name in Texts[Count]
};

// Every shape of an entity carries the entity's pen as the drawing holds it (for legends and
// for the comparison before and after a conversion) and as it is painted.
struct DisplayItem {
    ItemKind Kind = ItemKind::Polyline;
    bool Changed = false;    // set by MarkChanges
    uint8_t LineType = 0;    // PenStyle of the entity
    uint8_t Dash = 0;        // index into DisplayList::DashPatterns; 0 is a solid line
    uint16_t ColorNumber = 0;
    Color Paint;
    float Width = 0;         // stroke width in paper millimetres
    uint32_t First = 0;
    uint32_t Count = 0;
};

// An arc of an ellipse: Center + cos(t) * AxisA + sin(t) * AxisB for t from Start through
// Start + Sweep (radians). Two conjugate half-axes describe the image of an ellipse under any
// affine map, so a block inserted with unequal scales and an angle needs no approximation.
struct ArcShape {
    PaperPoint Center;
    PaperPoint AxisA, AxisB;
    double Start = 0, Sweep = 0;
};

// The characters of a text in UTF-8. A text that every insertion of a block draws is held once
// for all its shapes (a few blocks inserted into each other can draw one text a million
// times); any other text is a string of its shape's own. Reads as the std::string it holds.
class SharedText {
public:
    SharedText() = default;
    SharedText(std::string utf8) : own_(std::move(utf8)) {}
    SharedText(const char* utf8) : own_(utf8) {}
    // A text to be held once by every shape it is given to.
    static SharedText Shared(std::string utf8);

    const std::string& Utf8() const { return shared_ ? shared_->Utf8 : own_; }
    operator const std::string&() const { return Utf8(); }
    operator std::string_view() const { return Utf8(); }
    const char* data() const { return Utf8().data(); }
    const char* c_str() const { return Utf8().c_str(); }
    size_t size() const { return Utf8().size(); }
    bool empty() const { return Utf8().empty(); }
    // The number of characters (UTF-8 sequences); counted once for a shared text.
    size_t Characters() const;
    // The same for every shape that holds one shared text; null for a text of its own.
    const void* Identity() const { return shared_.get(); }

    friend bool operator==(const SharedText& a, const SharedText& b) { return a.Utf8() == b.Utf8(); }
    friend std::string operator+(const char* a, const SharedText& b) { return a + b.Utf8(); }
    friend std::string operator+(const SharedText& a, const char* b) { return a.Utf8() + b; }

private:
    struct Text {
        std::string Utf8;
        size_t Characters = 0;
    };
    std::string own_;
    std::shared_ptr<const Text> shared_;
};

struct TextShape {
    PaperPoint Position;  // start of the base line
    double Angle = 0;     // degrees, counter-clockwise
    double Width = 0, Height = 0, Spacing = 0;  // character width and height, gap; millimetres
    SharedText Text;
    uint32_t Font = 0;    // index into DisplayList::Fonts
};

struct Bounds {
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
    bool Empty = true;
    void Add(double x, double y);
};

struct DisplayList {
    std::vector<DisplayItem> Items;
    std::vector<PaperPoint> Points;
    std::vector<ArcShape> Arcs;
    std::vector<TextShape> Texts;
    // The font names the texts use, once each, in UTF-8; entry 0 is empty (no font named).
    std::vector<std::string> Fonts;
    // Dash patterns in millimetres, alternately drawn and left out; entry 0 is empty (solid).
    std::vector<std::vector<double>> DashPatterns;
    // Insertions not drawn: a block that is not defined, one that inserts itself through
    // other blocks, or one nested deeper than the limit.
    uint32_t SkippedInsertions = 0;
    // The drawing expands beyond the limits of RenderLimits: the walk stopped there, and the
    // list holds the shapes up to that point.
    bool ItemLimitReached = false;

    // A box that holds every shape (for a text, the box its characters can take).
    Bounds Extent() const;
};

}  // namespace tolvane::render
