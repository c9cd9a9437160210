#include "fuzz/targets.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "formats/file_probes.h"
#include "formats/jws.h"
#include "formats/jww.h"
#include "render/dxf.h"
#include "render/render.h"
#include "render/svg.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace tolvane::fuzz {

namespace {

namespace fs = std::filesystem;

const fs::path& ScratchFolder() {
    static const fs::path folder = [] {
        std::random_device random;
        fs::path p = fs::temp_directory_path() / ("tolvane-fuzz-" + std::to_string(random()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

[[noreturn]] void Broken(const char* what, const std::string& detail) {
    std::fprintf(stderr, "invariant broken: %s: %s\n", what, detail.c_str());
    std::abort();
}

// Whatever was read can be drawn: the walk ends, and the SVG holds every shape it made.
void Render(const DrawingData& drawing, render::DrawingFormat format) {
    render::RenderLimits limits;
    limits.MaxItems = 200'000;  // the fuzzer's inputs are small; keep each run quick
    const render::DisplayList list = render::BuildDisplayList(drawing, format, limits);
    if (list.Items.size() > limits.MaxItems) Broken("the display list passed its limit", std::to_string(list.Items.size()));
    std::ostringstream svg;
    render::WriteSvg(list, svg);
    if (!svg.str().ends_with("</svg>\n")) Broken("the SVG is unfinished", "");
    // And it can be exported: the DXF file is written to its end in both versions.
    for (const render::DxfVersion version : {render::DxfVersion::R2007, render::DxfVersion::R2000}) {
        render::DxfOptions options;
        options.Version = version;
        std::ostringstream dxf;
        render::WriteDxf(drawing, format, options, dxf);
        if (!dxf.str().ends_with("\n  0\nEOF\n")) Broken("the DXF is unfinished", "");
    }
}

bool SameEntities(const DrawingData& a, const DrawingData& b) {
    if (a.EntityOrder.size() != b.EntityOrder.size() || a.BlockDefinitions.size() != b.BlockDefinitions.size()) return false;
    for (size_t i = 0; i < a.BlockDefinitions.size(); ++i)
        if (a.BlockDefinitions[i].Members().EntityOrder.size() != b.BlockDefinitions[i].Members().EntityOrder.size()) return false;
    return true;
}

}  // namespace

void FuzzJwwRead(const uint8_t* data, size_t size) {
    const fs::path& images = ScratchFolder();
    DrawingData drawing;
    try {
        ArchiveReader in(data, size);
        ReadJwwFrom(in, drawing, images);
    } catch (const ArchiveError&) {
        DeleteExtractedImages(drawing, images);
        return;
    }
    MemorySink sink;
    try {
        WriteJwwTo(sink, drawing, drawing.Header.FileVersion, images);
    } catch (const ArchiveError& e) {
        Broken("a drawing that was read cannot be written", e.what());
    }
    Render(drawing, render::DrawingFormat::Jww);
    DeleteExtractedImages(drawing, images);
    DrawingData again;
    try {
        ArchiveReader in(sink.bytes.data(), sink.bytes.size());
        ReadJwwFrom(in, again, images);
    } catch (const ArchiveError& e) {
        Broken("what the writer wrote cannot be read", e.what());
    }
    DeleteExtractedImages(again, images);
    if (!SameEntities(drawing, again)) Broken("the drawing written back holds other entities", "");
}

void FuzzJwsRead(const uint8_t* data, size_t size) {
    DrawingData drawing;
    try {
        ArchiveReader in(data, size);
        ReadJwsFrom(in, drawing);
    } catch (const ArchiveError&) {
        return;
    }
    MemorySink sink;
    try {
        WriteJwsTo(sink, drawing, drawing.Header.FileVersion);
    } catch (const ArchiveError& e) {
        Broken("a figure file that was read cannot be written", e.what());
    }
    Render(drawing, render::DrawingFormat::Jws);
    DrawingData again;
    try {
        ArchiveReader in(sink.bytes.data(), sink.bytes.size());
        ReadJwsFrom(in, again);
    } catch (const ArchiveError& e) {
        Broken("what the writer wrote cannot be read", e.what());
    }
    if (!SameEntities(drawing, again)) Broken("the figure written back holds other entities", "");
}

void FuzzProbes(const uint8_t* data, size_t size) {
    static const char* const kNames[] = {"a.jww", "a.JW$", "a.jws", "a.jwc", "a.jwk", "a.bak", "a.bk1", "a.txt"};
    for (const char* name : kNames) {
        const fs::path path = ScratchFolder() / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        FileListVersion(path);
        FileListMemo(path);
        DrawingData header;
        ReadJwwHeader(path, header);
        uint32_t version = 0;
        ReadJwsVersion(path, version);
        std::string line1, line2;
        ReadJwcHeader(path, line1, line2);
        ReadJwkHeader(path, line1, line2);
        ProbeLegacy(path);
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (StripShiftJisControlChars(text).size() > text.size()) Broken("StripShiftJisControlChars made a text longer", "");
}

// The settings keys read in one pass are those that Get finds one by one (a sample of them:
// each Get walks the document).
void CompareSettingsKeys(const ProfileDocument& document) {
    const SettingsFileKeys keys = ReadSettingsKeys(document);
    auto one = [&](const char* section, const std::string& key, const std::optional<int32_t>& read) {
        const auto [present, value] = document.Get(section, key, kNumberValueBuffer);
        if ((present ? std::optional<int32_t>(ParseInt(value)) : std::nullopt) != read)
            Broken("a settings key read in one pass differs from Get", std::string(section) + " " + key);
    };
    for (int n : {1, 2, 10, 100, 265, 266, 314, 315, kSequenceLength})
        one("JWW", "C" + std::to_string(n), keys.C[static_cast<size_t>(n)]);
    for (int n : {1, 2, kColorSlots}) one("JWW", "W" + std::to_string(n), keys.W[static_cast<size_t>(n)]);
    one("Set", "CVNO", keys.Mode);
    for (int r : {1, kRuleCount}) one("JWW1", "WD" + std::to_string(r), keys.Rules[static_cast<size_t>(r - 1)].TargetWidth);
}

void FuzzProfile(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ProfileDocument document = ProfileDocument::Parse(bytes);
    for (const char* key : {"C1", "W265", "CVNO", "FL1", "F1_X", "FLD1"}) {
        document.Get("JWW", key, 22);
        document.Get("Set", key, 512);
    }
    CompareSettingsKeys(document);
    // Many keys in one pass end as one Set after another.
    const std::vector<ProfileDocument::Entry> entries = {
        {"JWW", "C7", "1"}, {"New", "k", "2"}, {"jww", "c7", "3"}, {"Set", "CVNO", "1"}, {"New", "j", "4"}};
    ProfileDocument together = document;
    together.SetAll(entries);
    for (const ProfileDocument::Entry& e : entries) document.Set(e.Section, e.Key, e.Value);
    if (together.Bytes() != document.Bytes()) Broken("writing keys in one pass differs from one Set after another", "");
    document.Set("JWW", "C5", "123");
    document.Set("Fuzz Section", "Key", "-42");
    const ProfileDocument again = ProfileDocument::Parse(document.Bytes());
    const auto c5 = again.Get("JWW", "C5", 22);
    const auto key = again.Get("fuzz section", "KEY", 22);
    if (!c5.first || c5.second != "123") Broken("a value set is not read back", "C5=" + c5.second);
    if (!key.first || key.second != "-42") Broken("a value set is not read back", "Key=" + key.second);
}

}  // namespace tolvane::fuzz
