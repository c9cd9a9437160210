// Realistic synthetic drawings made in memory, for the tests, the benchmarks and the bundled
// examples: a small floor plan with walls, doors, columns, room names in Japanese,
// dimensions, solids, blocks and (from version 700) an embedded photo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "formats/drawing.h"

namespace tolvane::testing {

// A floor plan at the given data version. For version 700 or later with a non-empty image
// folder, a text refers to the embedded image "photo.bmp", whose file is created there under the name
// the reader would extract it to.
DrawingData MakeFloorPlan(uint32_t version, const std::filesystem::path& imageFolder = {});

// A drawing of many floor plans side by side, about targetBytes long when written.
DrawingData MakeLargeDrawing(uint32_t version, size_t targetBytes);

// A header as the CAD program would write one for a new drawing.
void FillRealisticHeader(DrawingHeader& header, uint32_t version);

// A figure file (JWS header) holding the entities of the floor plan.
DrawingData MakeFigure(uint32_t version);

// Turns every string of the drawing into a wide string of the same characters, as a current
// (Unicode) version of the CAD program saves a drawing.
void MakeStringsWide(DrawingData& d);

// A small 24-bit BMP picture.
std::string MakeBitmap(int width, int height);

}  // namespace tolvane::testing
