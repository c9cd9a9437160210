#include "render/dxf_export.h"

#include <fstream>
#include <set>
#include <system_error>

#include "formats/file_probes.h"
#include "formats/jws.h"
#include "formats/jww.h"
#include "formats/text.h"
#include "formats/utf8_path.h"
#include "render/compare.h"

namespace tolvane::render {

namespace {

namespace fs = std::filesystem;

// A file is written under this name beside its destination and renamed when complete, so
// that a destination never holds half a file.
fs::path PartPathOf(const fs::path& destination) {
    return destination.parent_path() / ("." + Utf8FromPath(destination.filename()) + ".tolvane-part");
}

ConversionResult Failed(ConversionOutcome outcome, std::string reason) {
    ConversionResult result;
    result.Outcome = outcome;
    result.Reason = std::move(reason);
    return result;
}

// Writes the DXF and its images; the files written are removed again when any part fails.
ConversionResult WriteFiles(const DrawingData& drawing, DrawingFormat format, const fs::path& imageFolder,
                            const fs::path& destination, DxfVersion version) {
    std::error_code ignored;
    BackupDestination(destination);
    const fs::file_status left = fs::symlink_status(destination, ignored);
    if (fs::exists(left))
        return Failed(ConversionOutcome::FailedWrite,
                      fs::is_directory(left) ? "a folder of that name is at the destination"
                                             : "the file already at the destination could not be renamed to " +
                                                   Utf8FromPath(BackupPathOf(destination).filename()));
    DxfOptions options;
    options.Version = version;
    options.ImageFolder = imageFolder;
    options.ImageNamePrefix = Utf8FromPath(destination.stem()) + ".";
    const fs::path part = PartPathOf(destination);
    DxfReport report;
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (out) report = WriteDxf(drawing, format, options, out);
        out.close();
        if (!out) {
            fs::remove(part, ignored);
            return Failed(ConversionOutcome::FailedWrite, "cannot write " + Utf8FromPath(part));
        }
    }
    std::vector<fs::path> written;
    auto undo = [&](std::string reason) {
        fs::remove(part, ignored);
        for (const fs::path& file : written) fs::remove(file, ignored);
        return Failed(ConversionOutcome::FailedWrite, std::move(reason));
    };
    for (const DxfImageFile& image : report.Images) {
        const fs::path target = destination.parent_path() / PathFromUtf8(image.Name);
        const fs::path imagePart = PartPathOf(target);
        BackupDestination(target);
        std::error_code error;
        fs::copy_file(image.Extracted, imagePart, fs::copy_options::overwrite_existing, error);
        if (!error) fs::rename(imagePart, target, error);
        if (error) {
            fs::remove(imagePart, ignored);
            return undo("cannot write the image " + image.Name + ": " + error.message());
        }
        written.push_back(target);
    }
    std::error_code error;
    fs::rename(part, destination, error);
    if (error) return undo("cannot rename " + Utf8FromPath(part.filename()) + ": " + error.message());

    ConversionResult result;
    result.Outcome = ConversionOutcome::Converted;
    result.Reason = version == DxfVersion::R2007 ? "AutoCAD 2007 DXF" : "AutoCAD 2000 DXF";
    if (!report.Images.empty())
        result.Reason += ", " + std::to_string(report.Images.size()) + (report.Images.size() == 1 ? " image" : " images") +
                         " beside it";
    for (const std::string& warning : report.Warnings) result.Reason += "; warning: " + warning;
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
        return Failed(ConversionOutcome::FailedRead, error);
    }
    const DrawingFormat format = file.Jws ? DrawingFormat::Jws : DrawingFormat::Jww;
    const uint32_t versionRead = drawing.Header.FileVersion;
    if (options.Settings != nullptr) Convert(drawing, format, *options.Settings);
    ConversionResult result = WriteFiles(drawing, format, context.ImageFolder, destination, options.Version);
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
