#include "render/pens.h"

#include <algorithm>
#include <cmath>

namespace tolvane::render {

namespace {

// Our palette for white paper: the standard colours as the CAD program names them (cyan,
// black, green, yellow, magenta, blue, cyan, red, and the auxiliary colour), darkened where
// the screen colour would vanish on white.
constexpr std::array<Color, 10> kStandardColors = {{{0, 0, 0},
                                                    {0, 150, 150},
                                                    {0, 0, 0},
                                                    {0, 160, 0},
                                                    {190, 150, 0},
                                                    {200, 0, 200},
                                                    {0, 0, 255},
                                                    {0, 140, 220},
                                                    {230, 0, 0},
                                                    {255, 120, 0}}};

// The predefined SXF colours 1..16.
constexpr std::array<Color, 17> kSxfColors = {{{0, 0, 0},
                                               {0, 0, 0},
                                               {255, 0, 0},
                                               {0, 255, 0},
                                               {0, 0, 255},
                                               {200, 180, 0},
                                               {255, 0, 255},
                                               {0, 200, 200},
                                               {200, 200, 200},
                                               {192, 0, 128},
                                               {192, 128, 64},
                                               {255, 128, 0},
                                               {128, 192, 128},
                                               {0, 128, 255},
                                               {128, 64, 255},
                                               {160, 160, 160},
                                               {80, 80, 80}}};

// Dash patterns (millimetres) for the standard line types 2..9 when the table is empty:
// dashed, long dashed, dotted, chain, long chain, two-dot chain, long two-dot chain, fine.
const std::array<std::vector<double>, 8> kDefaultDashes = {{{3, 1},
                                                             {6, 1.5},
                                                             {0.4, 0.8},
                                                             {6, 1, 0.5, 1},
                                                             {12, 1.5, 0.5, 1.5},
                                                             {6, 1, 0.5, 1, 0.5, 1},
                                                             {12, 1.5, 0.5, 1.5, 0.5, 1.5},
                                                             {1.5, 0.75}}};

// Drawn in white on the CAD program's black screen, a colour would vanish on paper.
Color OnPaper(Color c) { return c.R > 0xF0 && c.G > 0xF0 && c.B > 0xF0 ? Color{0, 0, 0} : c; }

bool AllPositive(const std::array<double, 10>& values, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        if (!(values[i] > 0) || !std::isfinite(values[i]) || values[i] > 1000) return false;
    return true;
}

}  // namespace

Color DefaultColor(uint16_t colorNumber) {
    if (colorNumber <= 9) return kStandardColors[colorNumber];
    if (colorNumber >= 101 && colorNumber <= 116) return kSxfColors[colorNumber - 100];
    return {128, 128, 128};
}

std::vector<double> DashesFromBits(uint32_t pattern, uint32_t bits, uint32_t pitchDots) {
    if (bits == 0 || bits > 32) bits = 32;
    const uint32_t used = bits == 32 ? pattern : pattern >> (32 - bits) << (32 - bits);
    const uint32_t mask = bits == 32 ? 0xFFFFFFFFu : ~((1u << (32 - bits)) - 1);
    if (used == 0 || used == mask) return {};
    auto bit = [&](uint32_t i) { return (pattern >> (31 - i % bits) & 1) != 0; };
    // Start at the first set bit after a cleared one, so that the pattern begins with a dash.
    uint32_t start = 0;
    while (!(bit(start) && !bit(start + bits - 1))) ++start;
    const double unit = (pitchDots == 0 || pitchDots > 100 ? 1 : pitchDots) * kMillimetresPerDot;
    std::vector<double> dashes;
    for (uint32_t i = 0; i < bits;) {
        const bool on = bit(start + i);
        uint32_t run = 0;
        while (i < bits && bit(start + i) == on) ++run, ++i;
        dashes.push_back(run * unit);
    }
    return dashes;
}

PenTables::PenTables(const DrawingHeader& header, bool withHeader) : header_(header), withHeader_(withHeader) {
    if (withHeader) {
        for (int i = 1; i <= 9; ++i) useStandardTable_ |= header.Pens[i].ScreenColor != 0;
        // The standard pens' printer widths are printer dots (1 to 15), or hundredths of a
        // millimetre when the drawing is set up so; a width above 15 can only be the latter.
        for (int i = 1; i <= 9; ++i) printerWidthsInHundredths_ |= header.Pens[i].PrinterWidth > 15;
        for (int i = 1; i <= 256; ++i) useSxfTable_ |= header.SxfPens[i].ScreenColor != 0;
        usePenWidth_ = header.FileVersion >= 351;
    }
    patterns_.emplace_back();
    auto add = [&](std::vector<double> dashes) -> uint8_t {
        if (dashes.empty()) return 0;
        patterns_.push_back(std::move(dashes));
        return static_cast<uint8_t>(patterns_.size() - 1);
    };
    for (int t = 2; t <= 9; ++t) {
        const LineTypeEntry& e = header.LineTypes[t - 2];
        std::vector<double> dashes = withHeader ? DashesFromBits(e.Pattern, e.UnitDots, e.Pitch) : std::vector<double>{};
        dashOfLineType_[t] = add(dashes.empty() ? kDefaultDashes[t - 2] : dashes);
    }
    // Double-length line types 16..19: the table's pattern at twice the pitch.
    for (int t = 16; t <= 19; ++t) {
        const LineTypeEntry& e = header.DoubleLineTypes[t - 16];
        std::vector<double> dashes = withHeader ? DashesFromBits(e.Pattern, e.UnitDots, e.Pitch * 2) : std::vector<double>{};
        if (dashes.empty()) {
            dashes = kDefaultDashes[t - 16];
            for (double& d : dashes) d *= 2;
        }
        dashOfLineType_[t] = add(dashes);
    }
    // SXF line types 31..62: their segment pitches in millimetres, else their bit pattern.
    for (int t = 31; t <= 62; ++t) {
        const SxfLineTypeEntry& e = header.SxfLineTypes[t - 30];
        if (!withHeader) continue;
        if (e.SegmentCount >= 2 && e.SegmentCount <= 10 && AllPositive(e.SegmentPitches, e.SegmentCount))
            dashOfLineType_[t] = add(std::vector<double>(e.SegmentPitches.begin(), e.SegmentPitches.begin() + e.SegmentCount));
        else
            dashOfLineType_[t] = add(DashesFromBits(e.Pattern, e.UnitDots, e.Pitch));
    }
    // Random lines 11..15 are drawn as solid lines: the wave is a screen effect.
}

Color PenTables::ColorOf(uint16_t colorNumber) const {
    if (colorNumber >= 1 && colorNumber <= 9 && useStandardTable_)
        return OnPaper(FromColorRef(header_.Pens[colorNumber].ScreenColor));
    if (colorNumber >= 101 && colorNumber <= 356 && useSxfTable_)
        return OnPaper(FromColorRef(header_.SxfPens[colorNumber - 100].ScreenColor));
    return DefaultColor(colorNumber);
}

double PenTables::WidthOf(const EntityBase& pen) const {
    if (usePenWidth_ && pen.PenWidth > 0 && pen.PenWidth <= kMaxPenWidth) return pen.PenWidth / 100.0;
    // The standard pens give their screen width in dots; the SXF pens in 1/100 mm, the unit of
    // the SXF line widths (every real drawing holds 18 there, SXF's 0.18 mm).
    if (pen.PenColor >= 101 && pen.PenColor <= 356) {
        const uint32_t hundredths = header_.SxfPens[pen.PenColor - 100].ScreenWidth;
        return hundredths >= 1 && hundredths <= kMaxPenWidth ? std::max(kBaseWidth, hundredths / 100.0) : kBaseWidth;
    }
    uint32_t dots = 0;
    if (pen.PenColor >= 1 && pen.PenColor <= 9) dots = header_.Pens[pen.PenColor].ScreenWidth;
    if (dots <= 1 || dots > 100) return kBaseWidth;
    return dots * kMillimetresPerDot;
}

std::optional<double> PenTables::PrintWidthOf(const EntityBase& pen) const {
    if (header_.FileVersion >= 351 && pen.PenWidth > 0 && pen.PenWidth <= kMaxPenWidth) return pen.PenWidth / 100.0;
    if (!withHeader_) return std::nullopt;
    // The SXF pens give their printer width in 1/100 mm, SXF's unit.
    if (pen.PenColor >= 101 && pen.PenColor <= 356) {
        const uint32_t hundredths = header_.SxfPens[pen.PenColor - 100].PrinterWidth;
        if (hundredths >= 1 && hundredths <= kMaxPenWidth) return hundredths / 100.0;
        return std::nullopt;
    }
    if (pen.PenColor < 1 || pen.PenColor > 9) return std::nullopt;
    const uint32_t width = header_.Pens[pen.PenColor].PrinterWidth;
    if (width < 1 || width > kMaxPenWidth) return std::nullopt;
    return printerWidthsInHundredths_ ? width / 100.0 : width * kMillimetresPerPrinterDot;
}

double PenTables::PointDiameterOf(uint16_t colorNumber) const {
    double radius = 0;
    if (colorNumber >= 1 && colorNumber <= 9) radius = header_.Pens[colorNumber].PointRadius;
    else if (colorNumber >= 101 && colorNumber <= 356) radius = header_.SxfPens[colorNumber - 100].PointRadius;
    return radius > 0 && radius < 100 ? 2 * radius : 0.6;
}

uint8_t PenTables::DashOf(uint8_t lineType) const { return dashOfLineType_[lineType]; }

}  // namespace tolvane::render
