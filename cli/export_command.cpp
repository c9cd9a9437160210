#include "cli/export_command.h"

#include <mutex>

#include "cli/json_output.h"
#include "cli/platform.h"
#include "cli/settings_argument.h"
#include "formats/file_probes.h"
#include "formats/utf8_path.h"
#include "render/dxf_export.h"

namespace tolvane::cli {

namespace {

namespace fs = std::filesystem;

const char* ResultName(ConversionOutcome outcome) {
    return outcome == ConversionOutcome::Converted ? "exported" : OutcomeName(outcome);
}

}  // namespace

int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err) {
    ConversionSettings settings;
    ResetConversionSettings(settings);
    if (options.SettingsFile) {
        std::optional<ConversionSettings> opened = OpenSettingsArgument(*options.SettingsFile, err);
        if (!opened) return 2;
        settings = std::move(*opened);
    }
    std::optional<ScopedTempFolder> images;
    std::optional<std::vector<BatchFile>> collected = CollectRunFiles(options, settings, images, err);
    if (!collected) return 2;
    std::vector<BatchFile>& files = *collected;
    std::vector<fs::path> destinations;
    for (const BatchFile& file : files) destinations.push_back(file.Destination);
    destinations = render::DxfDestinations(destinations);
    for (size_t i = 0; i < files.size(); ++i) files[i].Destination = destinations[i];

    render::DxfExportOptions exportOptions;
    exportOptions.Version = options.Version;
    if (options.SettingsFile) exportOptions.Settings = &settings;
    BatchOptions batch;
    batch.Jobs = options.Jobs;
    batch.ImageFolder = images->Path();
    batch.Stop = options.Stop;
    batch.Operation = [&](ConversionContext& context, const fs::path& source, const fs::path& destination) {
        return render::ExportDxfFile(context, source, destination, exportOptions);
    };
    std::mutex output;
    ShowProgress(batch, files, options.Progress, output, err);
    batch.Reported = [&](size_t index, const ConversionResult& result, size_t) {
        const std::lock_guard lock(output);
        const BatchFile& file = files[index];
        const bool exported = result.Outcome == ConversionOutcome::Converted;
        // A figure file whose drawing of the same name is exported too keeps its extension.
        std::string reason = exported ? result.Reason : DescribeResult(result);
        if (exported && UpperExtension(Utf8FromPath(file.Destination.stem())) == ".JWS")
            reason += "; named " + Utf8FromPath(file.Destination.filename()) + " beside the drawing of the same name";
        if (options.Progress) err << "\r\033[K" << std::flush;
        if (options.Json) {
            Json line;
            SetName(line, "source", Utf8FromPath(file.Source));
            SetName(line, "destination", Utf8FromPath(file.Destination));
            line["result"] = ResultName(result.Outcome);
            line["reason"] = reason;
            if (!result.Backup.empty()) SetName(line, "backup", Utf8FromPath(result.Backup));
            if (exported) {
                line["versionRead"] = result.VersionRead;
                line["dxfVersion"] = options.Version == render::DxfVersion::R2007 ? 2007 : 2000;
            }
            out << Dump(line) << '\n';
        } else {
            out << ResultName(result.Outcome) << ": " << Utf8FromPath(file.Source);
            if (exported) out << " -> " << Utf8FromPath(file.Destination);
            out << " (" << reason << ")\n";
        }
    };
    const BatchCounts counts = CountOutcomes(ConvertBatch(settings, files, batch));
    return FinishRun(counts, options.Stop && options.Stop->load(), options.Json, "exported", "exported", out);
}

}  // namespace tolvane::cli
