#include "conversion/drawing_file.h"

#include <system_error>

#include "formats/jws.h"
#include "formats/jww.h"

namespace tolvane {

namespace fs = std::filesystem;

DrawingFileRead ReadDrawingFile(const fs::path& file, DrawingData& drawing, const fs::path& imageFolder) {
    DrawingFileRead outcome;
    std::error_code error;
    if (!fs::is_regular_file(file, error)) {
        outcome.Error = fs::exists(file, error) ? "not a regular file" : "no such file";
        return outcome;
    }
    if (ProbeJww(file)) {
        outcome.Recognised = true;
        outcome.Ok = ReadJww(file, drawing, imageFolder, &outcome.Error);
    } else if (ProbeJws(file)) {
        outcome.Recognised = true;
        outcome.Kind = DrawingFileKind::Jws;
        drawing.EmbeddedImageList.clear();  // figure files have no images
        outcome.Ok = ReadJws(file, drawing, &outcome.Error);
    } else {
        outcome.Error = "neither a JWW drawing nor a JWS figure file (it begins with neither \"JwwData.\" nor \"JwsData\")";
    }
    return outcome;
}

}  // namespace tolvane
