// The display list as an SVG document whose user unit is the paper millimetre: the viewBox
// holds every shape, y is turned to point downwards as SVG wants.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "render/display_list.h"
#include "render/render.h"

namespace tolvane::render {

// The Japanese fonts that follow a text's own font, as the desktop program falls back.
inline constexpr std::string_view kFallbackFonts = "'ＭＳ ゴシック', 'IPAGothic', monospace";

void WriteSvg(const DisplayList& list, std::ostream& out);

// What the head of the document needs from the whole list, gathered piece by piece: the
// extent, and the long texts that shapes share, in the order first drawn, each with the number
// of shapes that draw it (one drawn more than once is written once among the definitions).
struct SvgLayout {
    Bounds Extent;
    std::vector<std::pair<SharedText, size_t>> SharedTexts;
    std::unordered_map<const void*, size_t> SharedTextIndex;  // by SharedText::Identity
    void Add(const DisplayList& piece);
};

// The same document from a walk in pieces, laid out by an earlier walk of the same drawing:
// byte for byte what WriteSvg writes for the whole list, without holding it. prepare, if
// given, sees each piece before it is written (the changes view marks and greys its shapes).
void WriteSvg(const SvgLayout& layout, DisplayListWalk& walk, std::ostream& out,
              const DisplayListWalk::Consumer& prepare = {});

// Text for XML character data and attribute values: markup characters as references, and
// the control characters that XML 1.0 does not allow dropped.
std::string EscapeXml(std::string_view utf8);

}  // namespace tolvane::render
