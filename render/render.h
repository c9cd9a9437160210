// One walk over a decoded drawing that produces its display list, as the CAD program shows
// it: hidden layers and layer groups left out, block insertions expanded with their
// position, scales and angle.
//
// A drawing stores its coordinates as paper millimetres; a layer group's scale (100 for
// 1:100) only relates them to the real size, so it does not move anything on paper. Real
// drawings show it: at 1:100 a corner rounded "at 5 m" has the radius 50, and the shapes of
// every layer group, whatever its scale, fit the paper the header names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "formats/drawing.h"
#include "render/display_list.h"

namespace tolvane::render {

enum class DrawingFormat { Jww, Jws };

// A few blocks inserted into each other many times over could ask for more shapes than memory
// holds, or more time than anyone waits: the walk stops at these limits (DisplayList::
// ItemLimitReached).
struct RenderLimits {
    // Insertions nested inside block definitions, counted from the drawing's own.
    uint32_t MaxBlockDepth = 16;
    // The bytes the list may take, its texts included, and each expanded insertion as much as
    // a shape. 0: 8 MB plus twice what the drawing's entities and block definitions take in
    // its file, so that the list grows with the file, not with what its blocks expand to.
    size_t MaxListBytes = 0;
    // Shapes and expanded insertions in all; 0: no limit but the bytes.
    size_t MaxItems = 0;
};

// An image a text refers to: "^@BM%temp%name,width,height,..." in a drawing, "^@BMname,..."
// in a figure file; the size is that of its frame on paper (millimetres), 0 where not given.
struct ImageReference {
    std::string Name;
    double Width = 0, Height = 0;
};
bool ParseImageReference(const std::string& utf8, ImageReference& image);

// A JWS figure file has no layer states or pen tables: everything is drawn, in its own
// coordinates, with the default pens.
DisplayList BuildDisplayList(const DrawingData& drawing, DrawingFormat format, const RenderLimits& limits = {});

// The same list in pieces, for a drawing too large to be held beside all of its shapes (the
// SVG of a drawing of a million dimensions): each walk hands the shapes to consume in order,
// in lists of at most pieceItems shapes whose indices refer to their own points, arcs and
// texts. A piece's fonts and dash patterns are those of the whole list so far, its skipped
// insertions and limit flag those of the walk so far. Every walk hands over the same shapes,
// and a text that the insertions of a block share is the same SharedText in each.
class DisplayListWalk {
public:
    DisplayListWalk(const DrawingData& drawing, DrawingFormat format, const RenderLimits& limits = {},
                    size_t pieceItems = 4096);
    ~DisplayListWalk();
    DisplayListWalk(const DisplayListWalk&) = delete;
    DisplayListWalk& operator=(const DisplayListWalk&) = delete;

    struct Totals {
        size_t Items = 0;
        uint32_t SkippedInsertions = 0;
        bool ItemLimitReached = false;
    };
    // A consumer may change the pens of a piece's shapes (they are dropped after it), not its
    // fonts or dash patterns, which the walk keeps.
    using Consumer = std::function<void(DisplayList& piece)>;
    Totals Walk(const Consumer& consume);
    // The shapes a walk hands over, counted without making them (the walk's first pass).
    size_t CountItems();

private:
    struct State;
    std::unique_ptr<State> state_;
    size_t pieceItems_;
};

}  // namespace tolvane::render
