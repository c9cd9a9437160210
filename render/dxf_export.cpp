#include "render/dxf_export.h"

#include <fstream>
#include <set>
#include <system_error>

#include "conversion/backups.h"
#include "formats/atomic_file.h"
#include "formats/file_probes.h"
#include "formats/jws.h"
#include "formats/jww.h"
#include "formats/text.h"
#include "formats/utf8_path.h"
#include "render/compare.h"

namespace tolvane::render {

namespace {

namespace fs = std::filesystem;

ConversionResult Failed(ConversionOutcome outcome, ConversionProblem problem, std::string reason) {
    ConversionResult result;
    result.Outcome = outcome;
    result.Problem = problem;
    result.Reason = std::move(reason);
    return result;
}

// Each file goes whole beside its destination first, and replaces the file there (kept as a
// backup) only when complete: the images the DXF names, then the DXF.
ConversionResult WriteFiles(const DrawingData& drawing, DrawingFormat format, const fs::path& imageFolder,
                            const fs::path& destination, DxfVersion version, RunBackups* backups) {
    DxfOptions options;
    options.Version = version;
    options.ImageFolder = imageFolder;
    options.ImageNamePrefix = Utf8FromPath(destination.stem()) + ".";
    ConversionResult result;
    try {
        AtomicFile output(destination);
        DxfReport report;
        {
            std::ofstream out(output.TemporaryPath(), std::ios::binary | std::ios::trunc);
            if (out) report = WriteDxf(drawing, format, options, out);
            out.close();
            if (!out) throw ArchiveError("cannot write " + Utf8FromPath(destination.filename()));
        }
        for (const DxfImageFile& image : report.Images) {
            AtomicFile copy(destination.parent_path() / PathFromUtf8(image.Name));
            {
                // Through streams: the Windows build's copy_file answers "File exists" for the
                // empty temporary file that is already there, even when told to overwrite it.
                std::ifstream in(image.Extracted, std::ios::binary);
                std::ofstream out(copy.TemporaryPath(), std::ios::binary | std::ios::trunc);
                out << in.rdbuf();
                out.close();
                if (!in || !out) throw ArchiveError("cannot write the image " + image.Name);
            }
            const ReplaceResult placed = ReplaceKeepingBackup(copy, backups);
            if (!placed.Problem.empty())
                return Failed(ConversionOutcome::FailedWrite,
                              placed.InTheWay ? ConversionProblem::DestinationInTheWay : ConversionProblem::WriteFailed,
                              "the image " + image.Name + ": " + placed.Problem);
        }
        const ReplaceResult replaced = ReplaceKeepingBackup(output, backups);
        if (!replaced.Problem.empty())
            return Failed(ConversionOutcome::FailedWrite,
                          replaced.InTheWay ? ConversionProblem::DestinationInTheWay : ConversionProblem::WriteFailed,
                          replaced.Problem);
        result.Backup = replaced.Backup;
        result.Reason = version == DxfVersion::R2007 ? "AutoCAD 2007 DXF" : "AutoCAD 2000 DXF";
        if (!report.Images.empty())
            result.Reason += ", " + std::to_string(report.Images.size()) +
                             (report.Images.size() == 1 ? " image" : " images") + " beside it";
        for (const std::string& warning : report.Warnings) result.Reason += "; warning: " + warning;
        if (report.MoreWarnings > 0) result.Reason += "; " + std::to_string(report.MoreWarnings) + " more warnings";
    } catch (const std::exception& e) {
        return Failed(ConversionOutcome::FailedWrite, ConversionProblem::WriteFailed, e.what());
    }
    result.Outcome = ConversionOutcome::Converted;
    return result;
}

}  // namespace

ConversionResult ExportDxfFile(ConversionContext& context, const fs::path& source, const fs::path& destination,
                               const DxfExportOptions& options) {
    const SelectedFile file = CheckSelectedFile(source, destination);
    if (!file.Readable) return file.Refused;
    if (context.Progress) context.Progress(source, destination);
    DrawingData& drawing = context.Drawing;
    std::string error;
    const bool read = file.Jws ? ReadJws(source, drawing, &error) : ReadJww(source, drawing, context.ImageFolder, &error);
    if (!read) {
        drawing.Release();
        return Failed(ConversionOutcome::FailedRead, ConversionProblem::ReadFailed, error);
    }
    const DrawingFormat format = file.Jws ? DrawingFormat::Jws : DrawingFormat::Jww;
    const uint32_t versionRead = drawing.Header.FileVersion;
    if (options.Settings != nullptr) Convert(drawing, format, *options.Settings);
    ConversionResult result = WriteFiles(drawing, format, context.ImageFolder, destination, options.Version, context.Backups);
    result.VersionRead = versionRead;
    result.VersionWritten = drawing.Header.FileVersion;
    if (!file.Jws) DeleteExtractedImages(drawing, context.ImageFolder);
    drawing.Release();
    return result;
}

std::vector<fs::path> DxfDestinations(const std::vector<fs::path>& destinations) {
    auto key = [](const fs::path& p) {
        return AsciiUpperCase(Utf8FromPath((p.parent_path() / p.stem()).lexically_normal()));
    };
    std::set<std::string> drawings;
    for (const fs::path& d : destinations)
        if (UpperExtension(Utf8FromPath(d.filename())) == ".JWW") drawings.insert(key(d));
    std::vector<fs::path> result;
    result.reserve(destinations.size());
    for (const fs::path& d : destinations) {
        const bool figureBesideDrawing = UpperExtension(Utf8FromPath(d.filename())) == ".JWS" && drawings.contains(key(d));
        fs::path dxf = d;
        if (figureBesideDrawing) dxf += ".dxf";
        else dxf.replace_extension(".dxf");
        result.push_back(dxf);
    }
    return result;
}

}  // namespace tolvane::render
