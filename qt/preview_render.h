// What the preview pane shows of one file, made on a worker thread without Qt: the drawing
// read from its file and its three display lists (before, after the current settings, and
// only the changes), with the colour numbers in use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "render/display_list.h"
#include "settings/conversion_settings.h"

namespace tolvane {

// A colour number with the shapes drawn in it before and after the conversion.
struct LegendRow {
    uint16_t ColorNumber = 0;
    size_t Before = 0;
    size_t After = 0;
    render::Color BeforePaint;  // of the first shape in this number, for the swatch
    render::Color AfterPaint;
};

struct PreviewDrawing {
    bool Ok = false;
    std::string Error;  // UTF-8, when the file cannot be read
    render::DisplayList Before;
    render::DisplayList After;
    render::DisplayList ChangesOnly;
    std::vector<LegendRow> Legend;
};

// Reads the file by its signature (not its name) and draws it. Embedded images are extracted
// into imageFolder only while the file is read, and deleted again: the lists show a frame
// with each image's name. Never throws; a file that cannot be read comes back with Ok false.
PreviewDrawing RenderPreview(const std::filesystem::path& file, const ConversionSettings& settings,
                             const std::filesystem::path& imageFolder);

// One row per colour number that a shape uses before or after, in increasing order.
std::vector<LegendRow> ColorLegend(const render::DisplayList& before, const render::DisplayList& after);

}  // namespace tolvane
