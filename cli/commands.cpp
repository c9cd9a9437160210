#include "cli/commands.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>


#include "cli/json_output.h"
#include "cli/platform.h"
#include "cli/settings_argument.h"
#include "cli/temp_folder.h"
#include "formats/atomic_file.h"
#include "formats/file_probes.h"
#include "frontend/file_list.h"
#include "formats/jws.h"
#include "formats/jww.h"
#include "formats/utf8_path.h"
#include "render/compare.h"
#include "render/read_drawing.h"
#include "render/svg.h"
#include "settings/text_encoding.h"

namespace tolvane::cli {

namespace {

namespace fs = std::filesystem;

enum class Kind { None, Jww, Jws };

struct Decoded {
    bool Ok = false;
    Kind FileKind = Kind::None;
    std::string Error;
};

// Reads a drawing completely by its signature (not its name).
Decoded Decode(const fs::path& file, DrawingData& drawing, const fs::path& imageFolder) {
    const render::ReadOutcome read = render::ReadDrawingFile(file, drawing, imageFolder);
    Decoded d;
    d.Ok = read.Ok;
    d.Error = read.Error;
    if (read.Recognised) d.FileKind = read.Format == render::DrawingFormat::Jws ? Kind::Jws : Kind::Jww;
    return d;
}

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::Jww: return "jww";
        case Kind::Jws: return "jws";
        case Kind::None: break;
    }
    return "";
}

size_t BlockMembers(const DrawingData& d) {
    size_t n = 0;
    for (const BlockDefinition& b : d.BlockDefinitions) n += b.Members().EntityOrder.size();
    return n;
}

constexpr size_t kColumns = kFileListColumns;

// Terminal columns taken by a UTF-8 text: in Shift-JIS every full-width character has two
// bytes and every half-width one a single byte, so the Shift-JIS length is the width.
size_t DisplayWidth(std::string_view utf8) { return Utf8ToShiftJis(utf8).size(); }

// Columns are padded to their widest cell, but to no more than this: a cell wider than that
// (a memo of a megabyte) runs past its column instead of widening every row.
constexpr size_t kMaxColumnWidth = 64;

// Columns padded to their widest cell, sizes right-aligned; no trailing blanks.
void WriteColumns(const std::vector<std::array<std::string, kColumns>>& cells, std::ostream& out) {
    std::array<size_t, kColumns> widths{};
    for (const auto& row : cells)
        for (size_t c = 0; c < kColumns; ++c)
            widths[c] = std::max(widths[c], std::min(DisplayWidth(row[c]), kMaxColumnWidth));
    for (const auto& row : cells) {
        std::string line;
        for (size_t c = 0; c < kColumns; ++c) {
            const std::string padding(widths[c] - std::min(DisplayWidth(row[c]), widths[c]), ' ');
            if (c > 0) line += "  ";
            line += c == 1 ? padding + row[c] : row[c] + padding;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

// A memo may hold line breaks, shown escaped so that they do not break the layout of the
// output; any other control character is dropped, as the file list drops it, so that no escape
// sequence of a drawing reaches the terminal.
std::string MemoForTerminal(std::string_view utf8) {
    std::string shown;
    for (char c : utf8) {
        if (c == '\r') shown += "\\r";
        else if (c == '\n') shown += "\\n";
        else if (static_cast<uint8_t>(c) >= 0x20) shown += c;
    }
    return shown;
}

// A JSON line for a file that could not be read; as text, the same goes to the error stream.
void ReportUnreadable(const std::string& file, const std::string& error, bool json, std::ostream& out, std::ostream& err) {
    if (json) {
        Json j;
        SetName(j, "file", file);
        j["ok"] = false;
        j["error"] = error;
        out << Dump(j) << '\n';
    } else {
        err << file << ": cannot be read: " << error << '\n';
    }
}

bool Stopped(const std::atomic<bool>* stop) { return stop && stop->load(); }

}  // namespace

int RunInfo(const std::vector<std::string>& files, bool json, std::ostream& out, std::ostream& err,
            const std::atomic<bool>* stop) {
    ScopedTempFolder images(ScopedTempFolder::Creation::WhenNeeded);
    int status = 0;
    DrawingData drawing;
    for (const std::string& file : files) {
        if (Stopped(stop)) return kStoppedExitStatus;
        const Decoded d = Decode(PathFromUtf8(file), drawing, images.Path());
        if (!d.Ok) {
            status = 1;
            ReportUnreadable(file, d.Error, json, out, err);
        } else if (json) {
            Json j;
            SetName(j, "file", file);
            j["ok"] = true;
            j["kind"] = KindName(d.FileKind);
            j["version"] = drawing.Header.FileVersion;
            j["memo"] = ArchiveStringToUtf8(drawing.Header.Memo);
            j["strings"] = drawing.Strings == StringForm::Wide ? "wide" : "bytes";
            j["lines"] = drawing.Lines.size();
            j["arcs"] = drawing.Arcs.size();
            j["points"] = drawing.Points.size();
            j["texts"] = drawing.Texts.size();
            j["dimensions"] = drawing.Dimensions.size();
            j["solids"] = drawing.Solids.size();
            j["blockInserts"] = drawing.BlockInserts.size();
            j["blockDefinitions"] = drawing.BlockDefinitions.size();
            j["blockMembers"] = BlockMembers(drawing);
            j["images"] = drawing.EmbeddedImageList.size();
            out << Dump(j) << '\n';
        } else {
            out << file << ": " << (d.FileKind == Kind::Jww ? "JWW drawing" : "JWS figure file") << ", version "
                << drawing.Header.FileVersion << '\n';
            if (!drawing.Header.Memo.empty())
                out << "  memo: " << MemoForTerminal(ArchiveStringToUtf8(drawing.Header.Memo)) << '\n';
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
    return Stopped(stop) ? kStoppedExitStatus : status;
}

int RunCheck(const std::vector<std::string>& files, bool json, std::ostream& out, std::ostream& err,
             const std::atomic<bool>* stop) {
    ScopedTempFolder images(ScopedTempFolder::Creation::WhenNeeded);
    int status = 0;
    DrawingData drawing;
    for (const std::string& file : files) {
        if (Stopped(stop)) return kStoppedExitStatus;
        Decoded d = Decode(PathFromUtf8(file), drawing, images.Path());
        std::optional<uint64_t> difference;
        uint64_t originalSize = 0, writtenSize = 0;
        if (d.Ok) {
            try {
                ComparingSink written(PathFromUtf8(file));
                if (d.FileKind == Kind::Jws) WriteJwsTo(written, drawing, drawing.Header.FileVersion);
                else WriteJwwTo(written, drawing, drawing.Header.FileVersion, images.Path());
                difference = written.FirstDifference();
                originalSize = written.FileSize();
                writtenSize = written.Written();
            } catch (const std::exception& e) {
                d.Ok = false;
                d.Error = std::string("cannot be written again: ") + e.what();
            }
        }
        DeleteExtractedImages(drawing, images.Path());
        drawing.Release();
        if (!d.Ok) {
            status = 1;
            ReportUnreadable(file, d.Error, json, out, err);
            continue;
        }
        const bool identical = !difference;
        if (!identical) status = 1;
        if (json) {
            Json j;
            SetName(j, "file", file);
            j["ok"] = true;
            j["identical"] = identical;
            if (!identical) j["firstDifference"] = *difference;
            out << Dump(j) << '\n';
        } else if (identical) {
            out << file << ": identical when written again (" << originalSize << " bytes)\n";
        } else {
            out << file << ": differs when written again, first at byte " << *difference << " (" << originalSize
                << " bytes read, " << writtenSize << " written)\n";
        }
    }
    return Stopped(stop) ? kStoppedExitStatus : status;
}

int RunRender(const RenderCommand& command, std::ostream& out, std::ostream& err, const std::atomic<bool>* stop) {
    const fs::path output = PathFromUtf8(command.Output);
    std::error_code sameFile;
    if (fs::equivalent(PathFromUtf8(command.File), output, sameFile)) {
        err << "tolvane-cli: the output " << command.Output << " is the drawing itself\n";
        return 2;
    }
    ConversionSettings settings;
    ResetConversionSettings(settings);
    if (command.SettingsFile) {
        std::optional<ConversionSettings> opened = OpenSettingsArgument(*command.SettingsFile, err);
        if (!opened) return 2;
        settings = std::move(*opened);
    } else if (command.ChangesOnly) {
        err << "tolvane-cli: --changed shows what the settings change and needs --settings\n";
        return 2;
    }

    ScopedTempFolder images(ScopedTempFolder::Creation::WhenNeeded);
    DrawingData drawing;
    const Decoded d = Decode(PathFromUtf8(command.File), drawing, images.Path());
    // The extracted images are not drawn (a frame with the name stands for each).
    DeleteExtractedImages(drawing, images.Path());
    if (!d.Ok) {
        ReportUnreadable(command.File, d.Error, false, out, err);
        return 1;
    }
    const render::DrawingFormat format = d.FileKind == Kind::Jws ? render::DrawingFormat::Jws : render::DrawingFormat::Jww;
    // The shapes are not held beside the drawing (a drawing read from an old version can take
    // nearly four times its file): one walk lays the document out, a second writes it piece by
    // piece. The changes view first keeps only the pen of each shape as drawn before; the
    // drawing is then converted in place, without a copy.
    std::optional<render::PensBefore> before;
    if (command.ChangesOnly) {
        render::DisplayListWalk walkBefore(drawing, format);
        before.emplace();
        before->Pens.reserve(walkBefore.CountItems());
        walkBefore.Walk([&](const render::DisplayList& piece) { before->Add(piece); });
    }
    if (command.SettingsFile) render::Convert(drawing, format, settings);
    render::DisplayListWalk walk(drawing, format);
    render::SvgLayout layout;
    const render::DisplayListWalk::Totals totals =
        walk.Walk([&](const render::DisplayList& piece) { layout.Add(piece); });
    // The limits grow with the file, so that a small file cannot ask for gigabytes of shapes.
    if (totals.ItemLimitReached) {
        err << "tolvane-cli: " << command.File << ": the drawing expands beyond " << totals.Items << " shapes\n";
        return 1;
    }

    if (Stopped(stop)) return kStoppedExitStatus;
    // Whole or not at all: a file already at the output stays until the new one is complete.
    std::string error;
    const auto write = [&](std::ostream& svg) {
        size_t offset = 0;
        const auto showChanges = [&](render::DisplayList& piece) {
            render::MarkChanges(*before, totals.Items, offset, piece);
            render::ShowChangesOnly(piece);
            offset += piece.Items.size();
        };
        render::WriteSvg(layout, walk, svg, before ? render::DisplayListWalk::Consumer(showChanges) : nullptr);
    };
    if (!WriteStreamAtomically(output, write, &error)) {
        err << "tolvane-cli: cannot write " << command.Output << ": " << error << '\n';
        return 2;
    }
    if (totals.SkippedInsertions > 0)
        err << "tolvane-cli: warning: " << command.File << ": " << totals.SkippedInsertions
            << " block insertions not drawn (undefined, cyclic or nested too deep)\n";
    out << command.File << ": " << totals.Items << " shapes written to " << command.Output << '\n';
    return 0;
}

int RunList(const std::string& folder, int filterIndex, bool json, std::ostream& out) {
    const FileListing listing = ListFolderFiles(PathFromUtf8(folder), filterIndex, [] { return false; });
    const std::vector<FileListRow>& rows = listing.Rows;
    if (const std::error_code& error = listing.Error) {
        if (json) {
            Json j;
            SetName(j, "folder", folder);
            j["ok"] = false;
            j["error"] = error.message();
            out << Dump(j) << '\n';
        } else {
            out << folder << ": cannot be listed: " << error.message() << '\n';
        }
        return 1;
    }
    if (json) {
        for (const FileListRow& row : rows) {
            Json j;
            SetName(j, "name", row.Name);
            j["bytes"] = row.Size;
            j["kind"] = row.Kind;
            j["version"] = row.Version;
            j["memo"] = ArchiveStringToUtf8(row.Memo);
            j["modified"] = row.Modified;
            j["attributes"] = row.Attributes;
            out << Dump(j) << '\n';
        }
        return 0;
    }
    std::vector<std::array<std::string, kColumns>> cells;
    cells.push_back({});
    for (size_t c = 0; c < kColumns; ++c) cells.back()[c] = kFileListHeaders[c];
    for (const FileListRow& row : rows)
        cells.push_back({row.Name, std::to_string(row.Size), row.Kind, row.Version, ArchiveStringToUtf8(row.Memo),
                         row.Modified, row.Attributes});
    WriteColumns(cells, out);
    out << rows.size() << " Files  パス名「" << folder << "」\n";
    return 0;
}

}  // namespace tolvane::cli
