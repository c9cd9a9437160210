// Raising the data version and rewriting the pen fields of a decoded drawing by the tables
// (individual mode) or the combination rules (combined mode). Works in memory; cannot fail.
#pragma once

#include <cstdint>

#include "formats/drawing.h"
#include "settings/conversion_settings.h"

namespace tolvane {

uint32_t RaiseVersion(const ConversionSettings& settings, uint32_t version);

int32_t MapColor(const ConversionSettings& settings, int32_t color);
int32_t MapLineType(const ConversionSettings& settings, int32_t lineType);
// The width for an entity of the given colour (as read, before MapColor) and width.
int32_t MapWidth(const ConversionSettings& settings, int32_t color, int32_t width);

struct PenValues {
    int32_t Color = 0;
    int32_t LineType = 0;
    int32_t Width = 0;
};
PenValues LookupRules(const ConversionSettings& settings, int32_t color, int32_t lineType, int32_t width);

// withHeaderSettings: the drawing has text kinds and a dimension setting (JWW, not JWS).
// The drawing's FileVersion must already be raised.
void ApplyTables(const ConversionSettings& settings, DrawingData& drawing, bool withHeaderSettings);
void ApplyRules(const ConversionSettings& settings, DrawingData& drawing);

}  // namespace tolvane
