// The display list as an SVG document whose user unit is the paper millimetre: the viewBox
// holds every shape, y is turned to point downwards as SVG wants.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "render/display_list.h"

namespace tolvane::render {

// The Japanese fonts that follow a text's own font, as the desktop program falls back.
inline constexpr std::string_view kFallbackFonts = "'ＭＳ ゴシック', 'IPAGothic', monospace";

void WriteSvg(const DisplayList& list, std::ostream& out);

// Text for XML character data and attribute values: markup characters as references, and
// the control characters that XML 1.0 does not allow dropped.
std::string EscapeXml(std::string_view utf8);

}  // namespace tolvane::render
