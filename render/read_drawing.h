// Reading a whole drawing or figure file for drawing it: the read of conversion/drawing_file.h
// with the format as the display list names it. Shared by the command line and the preview of
// the desktop program.
#pragma once

#include <filesystem>
#include <string>

#include "formats/drawing.h"
#include "render/render.h"

namespace tolvane::render {

struct ReadOutcome {
    bool Ok = false;
    bool Recognised = false;  // the file begins with the signature of either format
    DrawingFormat Format = DrawingFormat::Jww;
    std::string Error;        // English, when not Ok
};

// The embedded images of a version-700 drawing are extracted into imageFolder.
ReadOutcome ReadDrawingFile(const std::filesystem::path& file, DrawingData& drawing,
                            const std::filesystem::path& imageFolder);

}  // namespace tolvane::render
