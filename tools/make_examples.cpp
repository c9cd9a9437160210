// make-examples FOLDER: writes the bundled examples into FOLDER: floor plans made by the
// generator at the versions users meet, a figure file, and settings files a user would
// actually want. The examples are committed; run this again after a change to the generator.
#include <filesystem>
#include <iostream>

#include "formats/jws.h"
#include "formats/jww.h"
#include "settings/settings_file.h"
#include "testsupport/drawing_generator.h"

namespace {

namespace fs = std::filesystem;
using tolvane::ConversionSettings;

// Standard colours and line types to the SXF ones that look alike, for an electronic
// delivery: colour 2 (black) to SXF black, 8 (red) to SXF red, and so on.
ConversionSettings SxfDelivery() {
    ConversionSettings s;
    tolvane::ResetConversionSettings(s);
    const int colors[10] = {0, 107, 101, 103, 105, 106, 104, 116, 102, 0};
    for (int slot = 1; slot <= 9; ++slot) s.ColorTable[slot] = colors[slot];
    const int lineTypes[10] = {0, 31, 37, 33, 32, 38, 34, 39, 35, 0};
    for (int slot = 1; slot <= 9; ++slot) s.LineTypeTable[slot] = lineTypes[slot];
    s.ConversionOptions[tolvane::ChangeSolidColors] = 1;
    s.ConversionOptions[tolvane::ChangeDimensionColorsAndWidths] = 1;
    s.ConversionOptions[tolvane::ChangeBlockColorsAndWidths] = 1;
    s.ConversionOptions[tolvane::ChangeDimensionLineTypes] = 1;
    s.ConversionOptions[tolvane::ChangeBlockLineTypes] = 1;
    tolvane::ComputeVersionRaise(s);
    return s;
}

// Printed line widths by colour (in 1/100 mm), for drawings drawn at the base width.
ConversionSettings WidthsByColour() {
    ConversionSettings s;
    tolvane::ResetConversionSettings(s);
    const int widths[10] = {0, 13, 18, 25, 35, 50, 70, 13, 25, 0};
    for (int slot = 1; slot <= 9; ++slot) s.WidthTable[slot] = widths[slot];
    s.ConversionOptions[tolvane::ChangeBlockColorsAndWidths] = 1;
    tolvane::ComputeVersionRaise(s);
    return s;
}

// Combined mode: solid black walls become thick red lines; dotted green lines become
// dash-dot centre lines.
ConversionSettings CombinedWalls() {
    ConversionSettings s;
    tolvane::ResetConversionSettings(s);
    s.ConversionMode = tolvane::ConversionModeKind::Combined;
    s.Rules[0] = {true, 1, 0, 8, 0, 50, 0, 0};
    s.Rules[1] = {true, 2, 1, 6, 5, -1, 0, 0};
    tolvane::ComputeVersionRaise(s);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make-examples FOLDER\n";
        return 2;
    }
    const fs::path folder = argv[1];
    const fs::path images = folder / ".images";
    fs::create_directories(folder);
    int status = 0;
    for (uint32_t version : {351u, 420u, 600u, 700u}) {
        tolvane::DrawingData plan = tolvane::testing::MakeFloorPlan(version, images);
        const fs::path file = folder / ("plan-" + std::to_string(version) + ".jww");
        std::string error;
        if (!tolvane::WriteJww(file, plan, version, images, &error)) {
            std::cerr << file << ": " << error << '\n';
            status = 1;
        }
    }
    {
        // As a current (Unicode) version of the CAD program saves it, with characters that
        // Shift-JIS lacks in its memo.
        tolvane::DrawingData plan = tolvane::testing::MakeFloorPlan(700, images);
        tolvane::testing::MakeStringsWide(plan);
        plan.Header.Memo = tolvane::ArchiveString::Wide(plan.Header.Memo.Units() + u" \u2460\U00020BB7");
        std::string error;
        if (!tolvane::WriteJww(folder / "plan-700-wide.jww", plan, 700, images, &error)) {
            std::cerr << "plan-700-wide.jww: " << error << '\n';
            status = 1;
        }
    }
    fs::remove_all(images);
    if (!tolvane::WriteJws(folder / "fittings.jws", tolvane::testing::MakeFigure(351), 351)) status = 1;
    if (!tolvane::SaveConversionSettings(SxfDelivery(), (folder / "sxf-delivery.set").string())) status = 1;
    if (!tolvane::SaveConversionSettings(WidthsByColour(), (folder / "widths-by-colour.set").string())) status = 1;
    if (!tolvane::SaveConversionSettings(CombinedWalls(), (folder / "combined-walls.set").string())) status = 1;
    return status;
}
