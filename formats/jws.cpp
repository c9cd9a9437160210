#include "formats/jws.h"

#include <array>
#include <fstream>
#include <system_error>

#include "formats/entity_stream.h"

namespace tolvane {

namespace {

namespace fs = std::filesystem;

// The header: signature, a filler up to byte 200, the version at 200, then 252 bytes of
// settings that are carried through; the entity stream begins at byte 452.
constexpr size_t kFillerSize = 193;
constexpr size_t kVersionOffset = kJwsSignature.size() + kFillerSize;  // 200
// Signature, filler, version and HeaderReals1: what the file list needs to show a version.
constexpr size_t kVersionProbeSize = kVersionOffset + 4 + 2 * 8;  // 220

void ReadJwsHeader(ArchiveReader& in, DrawingData& drawing) {
    JwsHeader& h = drawing.Jws;
    h.Signature = in.ReadFixedString(kJwsSignature.size());
    in.Skip(kFillerSize);
    drawing.Header.FileVersion = in.ReadU32();
    for (double& v : h.HeaderReals1) v = in.ReadDouble();
    for (double& v : h.LayerGroupScales) v = in.ReadDouble();
    for (uint32_t& v : h.HeaderWords) v = in.ReadU32();
    for (double& v : h.HeaderReals2) v = in.ReadDouble();
}

// The filler is written as full stops whatever the file held.
void WriteJwsHeader(ArchiveWriter& out, const DrawingData& drawing, uint32_t version) {
    const JwsHeader& h = drawing.Jws;
    // A signature of another length would shift every offset of the header; a drawing made in
    // memory has none yet and gets the standard one.
    out.WriteFixedString(h.Signature.size() == kJwsSignature.size() ? std::string_view(h.Signature) : kJwsSignature);
    out.WriteFixedString(std::string(kFillerSize, '.'));
    out.WriteU32(version);
    for (double v : h.HeaderReals1) out.WriteDouble(v);
    for (double v : h.LayerGroupScales) out.WriteDouble(v);
    for (uint32_t v : h.HeaderWords) out.WriteU32(v);
    for (double v : h.HeaderReals2) out.WriteDouble(v);
}

}  // namespace

bool ProbeJws(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::array<char, kJwsSignature.size()> bytes{};
    if (!file.read(bytes.data(), bytes.size())) return false;
    return std::string_view(bytes.data(), bytes.size()) == kJwsSignature;
}

bool ReadJwsVersion(const fs::path& path, uint32_t& version) {
    std::ifstream file(path, std::ios::binary);
    std::array<uint8_t, kVersionProbeSize> bytes{};
    if (!file.read(reinterpret_cast<char*>(bytes.data()), bytes.size())) return false;
    if (std::string_view(reinterpret_cast<const char*>(bytes.data()), kJwsSignature.size()) != kJwsSignature)
        return false;
    const uint8_t* v = bytes.data() + kVersionOffset;
    version = static_cast<uint32_t>(v[0]) | static_cast<uint32_t>(v[1]) << 8 | static_cast<uint32_t>(v[2]) << 16 |
              static_cast<uint32_t>(v[3]) << 24;
    return true;
}

// No version is refused, and whatever follows the block definitions is left unread.
void ReadJwsFrom(ArchiveReader& in, DrawingData& drawing) {
    drawing.Clear();
    ReadJwsHeader(in, drawing);
    ReadEntityStream(in, drawing, drawing.Header.FileVersion);
    drawing.Strings = in.FirstStringForm();
}

bool ReadJws(const fs::path& path, DrawingData& drawing, std::string* error) {
    return ReadFileWith(path, [&](ArchiveReader& in) { ReadJwsFrom(in, drawing); }, error);
}

// Figure files are never stored below version 2.30, and version 3.00 is stored as 3.51.
uint32_t AdjustJwsVersion(uint32_t version) {
    if (version <= 230) return 230;
    if (version == 300) return 351;
    return version;
}

void WriteJwsTo(ByteSink& sink, const DrawingData& drawing, uint32_t version) {
    const uint32_t written = AdjustJwsVersion(version);
    ArchiveWriter out(sink);
    out.SetStringForm(drawing.Strings);
    WriteJwsHeader(out, drawing, written);
    WriteEntityStream(out, drawing, written, ImageTextRewrite::JwsShortPrefix);
    out.Flush();
}

bool WriteJws(const fs::path& path, const DrawingData& drawing, uint32_t version, std::string* error) {
    return WriteFileWith(path, [&](ByteSink& sink) { WriteJwsTo(sink, drawing, version); }, error);
}

}  // namespace tolvane
