#include "cli/commands.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "cli/temp_folder.h"
#include "formats/jww.h"
#include "settings/text_encoding.h"

namespace tolvane::cli {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// File names on Linux are bytes; JSON wants UTF-8, so anything else is shown replaced.
std::string Dump(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

enum class Kind { None, Jww };

struct Decoded {
    bool Ok = false;
    Kind FileKind = Kind::None;
    std::string Error;
};

// Reads a drawing completely by its signature (not its name).
Decoded Decode(const fs::path& file, DrawingData& drawing, const fs::path& imageFolder) {
    Decoded d;
    std::error_code error;
    if (!fs::is_regular_file(file, error)) {
        d.Error = fs::exists(file, error) ? "not a regular file" : "no such file";
        return d;
    }
    if (ProbeJww(file)) {
        d.FileKind = Kind::Jww;
        d.Ok = ReadJww(file, drawing, imageFolder, &d.Error);
    } else {
        d.Error = "not a JWW drawing (it does not begin with \"JwwData.\")";
    }
    return d;
}

const char* KindName(Kind kind) { return kind == Kind::Jww ? "jww" : ""; }

size_t BlockMembers(const DrawingData& d) {
    size_t n = 0;
    for (const BlockDefinition& b : d.BlockDefinitions) n += b.EntityOrder.size();
    return n;
}

std::string ReadWholeFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int RunInfo(const std::vector<std::string>& files, bool json, std::ostream& out) {
    ScopedTempFolder images;
    int status = 0;
    DrawingData drawing;
    for (const std::string& file : files) {
        const Decoded d = Decode(file, drawing, images.Path());
        if (!d.Ok) {
            status = 1;
            if (json) out << Dump(Json{{"file", file}, {"ok", false}, {"error", d.Error}}) << '\n';
            else out << file << ": cannot be read: " << d.Error << '\n';
        } else if (json) {
            out << Dump(Json{{"file", file},
                             {"ok", true},
                             {"kind", KindName(d.FileKind)},
                             {"version", drawing.Header.FileVersion},
                             {"memo", ShiftJisToUtf8(drawing.Header.Memo)},
                             {"lines", drawing.Lines.size()},
                             {"arcs", drawing.Arcs.size()},
                             {"points", drawing.Points.size()},
                             {"texts", drawing.Texts.size()},
                             {"dimensions", drawing.Dimensions.size()},
                             {"solids", drawing.Solids.size()},
                             {"blockInserts", drawing.BlockInserts.size()},
                             {"blockDefinitions", drawing.BlockDefinitions.size()},
                             {"blockMembers", BlockMembers(drawing)},
                             {"images", drawing.EmbeddedImageList.size()}})
                << '\n';
        } else {
            out << file << ": " << (d.FileKind == Kind::Jww ? "JWW drawing" : "JWS figure file") << ", version "
                << drawing.Header.FileVersion << '\n';
            if (!drawing.Header.Memo.empty()) out << "  memo: " << ShiftJisToUtf8(drawing.Header.Memo) << '\n';
            out << "  " << drawing.Lines.size() << " lines, " << drawing.Arcs.size() << " arcs, "
                << drawing.Points.size() << " points, " << drawing.Texts.size() << " texts, "
                << drawing.Dimensions.size() << " dimensions, " << drawing.Solids.size() << " solids, "
                << drawing.BlockInserts.size() << " block inserts\n";
            out << "  " << drawing.BlockDefinitions.size() << " block definitions with " << BlockMembers(drawing)
                << " members, " << drawing.EmbeddedImageList.size() << " embedded images\n";
        }
        DeleteExtractedImages(drawing, images.Path());
        drawing.Release();
    }
    return status;
}

int RunCheck(const std::vector<std::string>& files, bool json, std::ostream& out) {
    ScopedTempFolder images;
    int status = 0;
    DrawingData drawing;
    for (const std::string& file : files) {
        Decoded d = Decode(file, drawing, images.Path());
        MemorySink written;
        if (d.Ok) {
            try {
                WriteJwwTo(written, drawing, drawing.Header.FileVersion, images.Path());
            } catch (const std::exception& e) {
                d.Ok = false;
                d.Error = std::string("cannot be written again: ") + e.what();
            }
        }
        DeleteExtractedImages(drawing, images.Path());
        drawing.Release();
        if (!d.Ok) {
            status = 1;
            if (json) out << Dump(Json{{"file", file}, {"ok", false}, {"error", d.Error}}) << '\n';
            else out << file << ": cannot be read: " << d.Error << '\n';
            continue;
        }
        const std::string original = ReadWholeFile(file);
        const auto& bytes = written.bytes;
        const auto mismatch = std::mismatch(original.begin(), original.end(), bytes.begin(), bytes.end(),
                                            [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
        const bool identical = original.size() == bytes.size() && mismatch.first == original.end();
        const auto firstDifference = static_cast<uint64_t>(mismatch.first - original.begin());
        if (json) {
            Json j{{"file", file}, {"ok", true}, {"identical", identical}};
            if (!identical) j["firstDifference"] = firstDifference;
            out << Dump(j) << '\n';
        } else if (identical) {
            out << file << ": identical when written again (" << original.size() << " bytes)\n";
        } else {
            out << file << ": differs when written again, first at byte " << firstDifference << " (" << original.size()
                << " bytes read, " << bytes.size() << " written)\n";
        }
    }
    return status;
}

}  // namespace tolvane::cli
