#include "render/read_drawing.h"

#include "conversion/drawing_file.h"

namespace tolvane::render {

ReadOutcome ReadDrawingFile(const std::filesystem::path& file, DrawingData& drawing,
                            const std::filesystem::path& imageFolder) {
    const DrawingFileRead read = tolvane::ReadDrawingFile(file, drawing, imageFolder);
    ReadOutcome outcome;
    outcome.Ok = read.Ok;
    outcome.Recognised = read.Recognised;
    outcome.Format = read.Kind == DrawingFileKind::Jws ? DrawingFormat::Jws : DrawingFormat::Jww;
    outcome.Error = read.Error;
    return outcome;
}

}  // namespace tolvane::render
