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
#include <string>

#include "formats/drawing.h"
#include "render/display_list.h"

namespace tolvane::render {

enum class DrawingFormat { Jww, Jws };

struct RenderLimits {
    // Insertions nested inside block definitions, counted from the drawing's own.
    uint32_t MaxBlockDepth = 16;
    // Shapes and expanded insertions in all; a few blocks inserted into each other many
    // times over could otherwise ask for more shapes than memory holds, or more time than
    // anyone waits. 0: eight times the drawing's records, at least
    // a million.
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

}  // namespace tolvane::render
