// Colour, width and dash pattern of a pen, taken from the drawing's own header tables, with
// built-in defaults for tables that a file leaves empty (figure files have none at all).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "formats/drawing.h"
#include "render/display_list.h"

namespace tolvane::render {

// Colours are stored as Windows COLORREF values: 0x00BBGGRR.
constexpr Color FromColorRef(uint32_t colorRef) {
    return {static_cast<uint8_t>(colorRef & 0xFF), static_cast<uint8_t>(colorRef >> 8 & 0xFF),
            static_cast<uint8_t>(colorRef >> 16 & 0xFF)};
}

// The colour a number has when the drawing's table gives none: standard colours 1..9 and
// SXF colours 101..356 (the 16 predefined SXF colours, the user-defined ones in grey).
Color DefaultColor(uint16_t colorNumber);

// Screen dots as paper millimetres, for the widths and dash pitches the tables give in dots.
inline constexpr double kMillimetresPerDot = 0.2;
// The width of a pen that has none: the thinnest line the CAD program prints.
inline constexpr double kBaseWidth = 0.13;
// A printer dot, for the printer widths of the standard pens when the drawing gives them in
// dots: the CAD program prints an n-dot line n dots of the printer wide, taken here at 600 dpi.
inline constexpr double kMillimetresPerPrinterDot = 25.4 / 600;

class PenTables {
public:
    // withHeader: the drawing is a JWW drawing whose header holds pen tables.
    PenTables(const DrawingHeader& header, bool withHeader);

    Color ColorOf(uint16_t colorNumber) const;
    // From PenWidth (1/100 mm) where the version stores it and it is set, else the pen's
    // screen width.
    double WidthOf(const EntityBase& pen) const;
    // The width a pen prints with, in millimetres: PenWidth where the version stores it and it
    // is set, else the printer width of the pen's table entry; none where neither says (a
    // figure file has no tables).
    std::optional<double> PrintWidthOf(const EntityBase& pen) const;
    double PointDiameterOf(uint16_t colorNumber) const;
    // Index into Patterns() for a line type.
    uint8_t DashOf(uint8_t lineType) const;
    const std::vector<std::vector<double>>& Patterns() const { return patterns_; }

private:
    const DrawingHeader& header_;
    bool withHeader_ = false;
    bool printerWidthsInHundredths_ = false;
    bool useStandardTable_ = false;
    bool useSxfTable_ = false;
    bool usePenWidth_ = false;
    std::vector<std::vector<double>> patterns_;
    std::array<uint8_t, 256> dashOfLineType_{};
};

// The runs of a 32-bit line-type pattern, most significant bit first: each bit is pitch
// dots long, set bits are drawn. Answers an empty pattern (solid) for all bits set and for
// none (an entry the file leaves empty).
std::vector<double> DashesFromBits(uint32_t pattern, uint32_t bits, uint32_t pitchDots);

}  // namespace tolvane::render
