// Before and after a conversion: the drawing as the current settings would write it, made
// from a copy in memory by the same steps as a conversion (version raise, then the tables or
// the combination rules); nothing is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/drawing.h"
#include "render/display_list.h"
#include "render/render.h"
#include "settings/conversion_settings.h"

namespace tolvane::render {

// Converts the drawing in memory. The settings' rule sources are resolved here, as a
// conversion run does.
void Convert(DrawingData& drawing, DrawingFormat format, const ConversionSettings& settings);
DrawingData ConvertedCopy(const DrawingData& drawing, DrawingFormat format, const ConversionSettings& settings);

// Marks each shape of after whose pen (colour number, line type, colour, width, dashes)
// differs from the same shape of before. The rules change pens only, so both lists hold the
// same shapes in the same order; lists of different lengths mark every shape changed.
void MarkChanges(const DisplayList& before, DisplayList& after);

// A shape's pen as the comparison sees it, 12 bytes instead of a whole shape; Dash indexes the
// dash patterns of the walk it comes from, which stay the same for every piece of a walk.
struct ShapePen {
    uint16_t ColorNumber = 0;
    uint8_t LineType = 0;
    uint8_t Dash = 0;
    Color Paint;
    float Width = 0;
};

// The pens of the list before, gathered piece by piece from a walk, without its shapes.
struct PensBefore {
    std::vector<ShapePen> Pens;
    std::vector<std::vector<double>> DashPatterns;
    void Add(const DisplayList& piece);
};

// The same marks for a piece of the list after that starts at its shape offset, the whole
// list after holding afterItems shapes.
void MarkChanges(const PensBefore& before, size_t afterItems, size_t offset, DisplayList& piece);

// Unchanged shapes in light grey; changed ones keep their new colour and line type.
void ShowChangesOnly(DisplayList& list);
inline constexpr Color kUnchangedColor = {0xD0, 0xD0, 0xD0};

enum class View { Before, After, ChangesOnly };

// The display list of one of the three views. The first converts a copy; the second, for a
// caller that needs the drawing no more, converts the drawing itself and needs no copy.
DisplayList RenderView(const DrawingData& drawing, DrawingFormat format, const ConversionSettings& settings, View view,
                       const RenderLimits& limits = {});
DisplayList RenderView(DrawingData&& drawing, DrawingFormat format, const ConversionSettings& settings, View view,
                       const RenderLimits& limits = {});

// All three views at once, for a caller that needs the drawing no more (the preview of the
// desktop program): the drawing is converted in place.
struct Views {
    DisplayList Before;
    DisplayList After;
    DisplayList ChangesOnly;
};
Views RenderViews(DrawingData&& drawing, DrawingFormat format, const ConversionSettings& settings,
                  const RenderLimits& limits = {});

}  // namespace tolvane::render
