// tolvane-cli: the command-line front end for inspecting and converting drawings.
#include <atomic>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/convert_command.h"
#include "cli/export_command.h"
#include "cli/inspect_command.h"
#include "cli/platform.h"
#include "formats/file_probes.h"

namespace {

// A usage error, or a command refused before it did anything.
constexpr int kRefusedStatus = 2;

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Tolvane: batch converter for JWW drawings and JWS figure files", "tolvane-cli"};
    app.require_subcommand(1);

    std::vector<std::string> infoFiles;
    bool infoJson = false;
    CLI::App* info = app.add_subcommand("info", "Read drawings completely and show what they hold");
    info->add_option("FILE", infoFiles, "Drawings to read")->required();
    info->add_flag("--json", infoJson, "One JSON object per file and line");

    std::vector<std::string> checkFiles;
    bool checkJson = false;
    CLI::App* check = app.add_subcommand("check", "Tell whether drawings are written back byte for byte");
    check->add_option("FILE", checkFiles, "Drawings to check")->required();
    check->add_flag("--json", checkJson, "One JSON object per file and line");

    tolvane::cli::ConvertOptions convertOptions;
    std::string settingsFile;
    CLI::App* convert = app.add_subcommand("convert", "Convert drawings into a destination folder");
    convert->add_option("--settings", settingsFile, "Settings file (.set); without it, the desktop program's settings");
    convert->add_option("--dest", convertOptions.Destination, "Destination folder")->required();
    convert->add_flag("--recursive", convertOptions.Recursive, "Convert the files of folders below the given ones too");
    convert->add_flag("--json", convertOptions.Json, "One JSON object per file and line, and a summary");
    convert->add_option("--jobs", convertOptions.Jobs, "Files converted at once (default: one per core)")
        ->check(CLI::Range(1u, 256u));
    convert->add_flag("--dry-run", convertOptions.DryRun,
                      "Write nothing: tell what would be converted and where the files there would be kept");
    convert->add_option("PATH", convertOptions.Paths, "Drawings, or folders of drawings")->required();
    tolvane::cli::ExportOptions exportOptions;
    std::string exportSettings, exportFormat, exportVersion = "2007";
    CLI::App* exportCommand = app.add_subcommand("export", "Export drawings to another format into a destination folder");
    exportCommand->add_option("--format", exportFormat, "The format: dxf")->required()->check(CLI::IsMember({"dxf"}));
    exportCommand->add_option("--dest", exportOptions.Destination, "Destination folder")->required();
    exportCommand->add_option("--settings", exportSettings, "Settings file (.set): export the drawings as converted with it");
    exportCommand->add_flag("--recursive", exportOptions.Recursive, "Export the files of folders below the given ones too");
    exportCommand->add_flag("--json", exportOptions.Json, "One JSON object per file and line, and a summary");
    exportCommand->add_option("--jobs", exportOptions.Jobs, "Files exported at once (default: one per core)")
        ->check(CLI::Range(1u, 256u));
    exportCommand->add_option("--dxf-version", exportVersion, "AutoCAD 2007 (UTF-8, the default) or 2000 (Shift-JIS)")
        ->check(CLI::IsMember({"2000", "2007"}));
    exportCommand->add_option("PATH", exportOptions.Paths, "Drawings, or folders of drawings")->required();

    std::string listFolder;
    int listFilter = 0;
    bool listJson = false;
    CLI::App* list = app.add_subcommand("list", "Show the files of a folder as the file list does");
    list->add_option("FOLDER", listFolder, "The folder to list")->required();
    std::string filters = "File type:";
    for (size_t index = 0; index < tolvane::kFileFilterPatterns.size(); ++index)
        filters += (index ? ", " : " ") + std::to_string(index) + " " + std::string(tolvane::kFileFilterPatterns[index]);
    list->add_option("--filter", listFilter, filters)
        ->check(CLI::Range(0, static_cast<int>(tolvane::kFileFilterPatterns.size()) - 1))
        ->default_val(0);
    list->add_flag("--json", listJson, "One JSON object per file and line");

    tolvane::cli::InspectCommand inspectCommand;
    std::string inspectStandard;
    CLI::App* inspect = app.add_subcommand("inspect", "Show the layers and pens that drawings use; check them against a delivery standard");
    inspect->add_flag("--json", inspectCommand.Json, "One JSON object per file and line, and a summary");
    inspect->add_flag("--recursive", inspectCommand.Recursive, "Inspect the files of folders below the given ones too");
    inspect->add_option("--standard", inspectStandard, "Check against a delivery standard: sxf");
    inspect->add_option("--jobs", inspectCommand.Jobs, "Files read at once (default: one per core)")
        ->check(CLI::Range(1u, 256u));
    inspect->add_option("PATH", inspectCommand.Paths, "Drawings, or folders of drawings")->required();

    tolvane::cli::RenderCommand renderCommand;
    std::string renderSettings;
    CLI::App* render = app.add_subcommand("render", "Draw a drawing as SVG in paper millimetres");
    render->add_option("FILE", renderCommand.File, "The drawing or figure file")->required();
    render->add_option("--settings", renderSettings, "Settings file (.set): draw the drawing as converted with it");
    render->add_flag("--changed", renderCommand.ChangesOnly, "Only the changes in colour; the rest in light grey");
    render->add_option("-o,--output", renderCommand.Output, "The SVG file to write")->required();

    const std::vector<std::string> arguments = tolvane::cli::Utf8Arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    try {
        app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::ParseError& e) {
        // Help asked for is no error; every usage error has the status of a refusal.
        return app.exit(e) == 0 ? 0 : kRefusedStatus;
    }
    tolvane::cli::UseUtf8Console();
    tolvane::cli::IgnoreFileSizeSignal();
    try {
        if (list->parsed()) return tolvane::cli::RunList(listFolder, listFilter, listJson, std::cout);
        // The commands that write or extract files stop cleanly on Ctrl-C.
        const std::atomic<bool>& stop = tolvane::cli::CatchStopSignals();
        if (info->parsed()) return tolvane::cli::RunInfo(infoFiles, infoJson, std::cout, std::cerr, &stop);
        if (check->parsed()) return tolvane::cli::RunCheck(checkFiles, checkJson, std::cout, std::cerr, &stop);
        if (convert->parsed()) {
            if (!settingsFile.empty()) convertOptions.SettingsFile = settingsFile;
            convertOptions.Progress = tolvane::cli::StandardErrorIsTerminal();
            convertOptions.Stop = &stop;
            return tolvane::cli::RunConvert(convertOptions, std::cout, std::cerr);
        }
        if (exportCommand->parsed()) {
            if (!exportSettings.empty()) exportOptions.SettingsFile = exportSettings;
            exportOptions.Version =
                exportVersion == "2000" ? tolvane::render::DxfVersion::R2000 : tolvane::render::DxfVersion::R2007;
            exportOptions.Progress = tolvane::cli::StandardErrorIsTerminal();
            exportOptions.Stop = &stop;
            return tolvane::cli::RunExport(exportOptions, std::cout, std::cerr);
        }
        if (inspect->parsed()) {
            if (!inspectStandard.empty()) inspectCommand.Standard = inspectStandard;
            return tolvane::cli::RunInspect(inspectCommand, std::cout, std::cerr);
        }
        if (render->parsed()) {
            if (!renderSettings.empty()) renderCommand.SettingsFile = renderSettings;
            return tolvane::cli::RunRender(renderCommand, std::cout, std::cerr, &stop);
        }
    } catch (const std::exception& e) {
        std::cerr << "tolvane-cli: " << e.what() << '\n';
        return kRefusedStatus;
    }
    return 0;
}
