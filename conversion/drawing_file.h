// Reading a whole drawing or figure file by its signature (not its name), with the reasons
// the command line gives for a file it cannot read. Shared by every command that reads a
// file to look at it (info, render, inspect) and by the desktop program's preview and 点検.
#pragma once

#include <filesystem>
#include <string>

#include "formats/drawing.h"

namespace tolvane {

enum class DrawingFileKind { Jww, Jws };

struct DrawingFileRead {
    bool Ok = false;
    bool Recognised = false;  // the file begins with the signature of either format
    DrawingFileKind Kind = DrawingFileKind::Jww;
    std::string Error;        // English, when not Ok
};

// The embedded images of a version-700 drawing are extracted into imageFolder; with an empty
// imageFolder nothing is extracted and nothing is written.
DrawingFileRead ReadDrawingFile(const std::filesystem::path& file, DrawingData& drawing,
                                const std::filesystem::path& imageFolder);

}  // namespace tolvane
