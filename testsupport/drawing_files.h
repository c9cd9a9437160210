// Drawing files on disk for the tests of the windows: a floor plan, a figure file and a
// legacy JWK header.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "formats/jws.h"
#include "formats/jww.h"
#include "formats/utf8_path.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane::testing {

inline void WriteDrawing(const std::filesystem::path& path, uint32_t version) {
    DrawingData drawing = MakeFloorPlan(version);
    if (!WriteJww(path, drawing, version, path.parent_path())) throw std::runtime_error("cannot write " + Utf8FromPath(path));
}

inline void WriteFigure(const std::filesystem::path& path, uint32_t version) {
    if (!WriteJws(path, MakeFigure(version), version)) throw std::runtime_error("cannot write " + Utf8FromPath(path));
}

// A JWK header of 400 bytes: the legacy identification, then the two memo lines.
inline void WriteLegacyJwk(const std::filesystem::path& path, const std::string& memo1, const std::string& memo2) {
    std::string bytes = "jw_cad(c)data.......";
    bytes.resize(40, ' ');
    bytes += memo1;
    bytes.resize(72, ' ');
    bytes += memo2;
    bytes.resize(400, ' ');
    WriteFile(path, bytes);
}

}  // namespace tolvane::testing
