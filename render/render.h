// One walk over a decoded drawing that produces its display list, as the CAD program shows
// it: world coordinates to paper through each layer group's scale, hidden layers and layer
// groups left out, block insertions expanded with their position, scales and angle.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/drawing.h"
#include "render/display_list.h"

namespace tolvane::render {

enum class DrawingFormat { Jww, Jws };

struct RenderLimits {
    // Insertions nested inside block definitions, counted from the drawing's own.
    uint32_t MaxBlockDepth = 16;
    // Shapes in all; a few blocks inserted into each other many times over could otherwise
    // ask for more shapes than memory holds. 0: eight times the drawing's records, at least
    // a million.
    size_t MaxItems = 0;
};

// A JWW drawing is drawn in paper millimetres; a JWS figure file has no paper, layer states
// or pen tables, and is drawn in its own coordinates with the default pens.
DisplayList BuildDisplayList(const DrawingData& drawing, DrawingFormat format, const RenderLimits& limits = {});

}  // namespace tolvane::render
