#include "cli/inspect_command.h"

#include <cstdio>
#include <filesystem>

#include "cli/json_output.h"
#include "conversion/delivery_standard.h"
#include "conversion/input_files.h"
#include "conversion/inspect.h"
#include "formats/file_probes.h"
#include "formats/utf8_path.h"
#include "settings/text_encoding.h"

namespace tolvane::cli {

namespace {

namespace fs = std::filesystem;

// "1 line", "2 lines".
std::string Entities(uint64_t count, PenEntity entity) {
    std::string noun = entity == PenEntity::Insert ? "block insertion" : PenEntityName(entity);
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string Entities(uint64_t count) { return std::to_string(count) + (count == 1 ? " entity" : " entities"); }

// Fixed columns: entity kind, colour, line type, width.
std::string PenText(const PenKey& pen) {
    char text[96];
    std::snprintf(text, sizeof text, "%-9s colour %3u  line type %3u  width %5u", PenEntityName(pen.Entity),
                  static_cast<unsigned>(pen.Color), static_cast<unsigned>(pen.LineType), static_cast<unsigned>(pen.Width));
    return text;
}

Json PenJson(const PenKey& pen) {
    return Json{{"entity", PenEntityName(pen.Entity)}, {"color", pen.Color}, {"linetype", pen.LineType}, {"width", pen.Width}};
}

Json FindingJson(const Finding& f) {
    Json j{{"grade", FindingGradeName(f.Grade)}, {"rule", DeliveryRuleName(f.Rule)}};
    if (f.IsLayerFinding()) {
        j["group"] = f.Group;
        j["layer"] = f.Layer;
        j["name"] = ArchiveStringToUtf8(f.Name);
    } else {
        j["entity"] = PenEntityName(f.Entity);
        const char* key = f.Rule == DeliveryRule::Color ? "color" : f.Rule == DeliveryRule::LineType ? "linetype" : "width";
        j[key] = f.Value;
    }
    j["count"] = f.Count;
    if (!f.IsLayerFinding()) j["in_blocks"] = f.InBlocks;
    return j;
}

std::string FindingText(const Finding& f, const DeliveryStandard& standard) {
    std::string text = standard.Title + " " + FindingGradeName(f.Grade) + " (" + DeliveryRuleName(f.Rule) + "): ";
    const std::string value = std::to_string(f.Value);
    switch (f.Rule) {
        case DeliveryRule::Color: text += Entities(f.Count, f.Entity) + " of colour " + value; break;
        case DeliveryRule::LineType: text += Entities(f.Count, f.Entity) + " of line type " + value; break;
        case DeliveryRule::Width: text += Entities(f.Count, f.Entity) + " of width " + value; break;
        case DeliveryRule::NoWidth: text += Entities(f.Count, f.Entity) + " without a width"; break;
        case DeliveryRule::LayerName:
            return text + Entities(f.Count) + " on layer " + LayerNumberText(f.Group, f.Layer) + " \"" +
                   ArchiveStringToUtf8(f.Name) + "\", a name not of the form of the standard";
        case DeliveryRule::UnnamedLayer:
            return text + Entities(f.Count) + " on layer " + LayerNumberText(f.Group, f.Layer) + ", which has no name";
    }
    if (f.InBlocks > 0) text += ", " + std::to_string(f.InBlocks) + " of them in blocks";
    return text;
}

Json InspectionJson(const std::string& file, const DrawingInspection& d) {
    Json layers = Json::array();
    for (const LayerUse& l : d.Layers)
        layers.push_back(Json{{"group", l.Group},
                              {"layer", l.Layer},
                              {"group_name", ArchiveStringToUtf8(l.GroupName)},
                              {"name", ArchiveStringToUtf8(l.Name)},
                              {"count", l.Count}});
    Json pens = Json::array();
    for (const PenUse& use : d.Pens) {
        Json pen = PenJson(use.Pen);
        pen["count"] = use.Count;
        pen["in_blocks"] = use.InBlocks;
        pens.push_back(std::move(pen));
    }
    Json j{{"file", file},
           {"ok", true},
           {"kind", d.Kind == DrawingFileKind::Jws ? "jws" : "jww"},
           {"version", d.Version},
           {"strings", d.Strings == StringForm::Wide ? "wide" : "bytes"},
           {"layers", std::move(layers)},
           {"pens", std::move(pens)}};
    if (d.HasHeaderColors) {
        j["text_kind_colors"] = d.TextKindColors;
        j["dimension_setting_colors"] = d.DimensionSettingColors;
    }
    return j;
}

void WriteInspectionText(const std::string& file, const DrawingInspection& d, std::ostream& out) {
    out << file << ": " << (d.Kind == DrawingFileKind::Jws ? "JWS figure file" : "JWW drawing") << ", version "
        << d.Version << '\n';
    out << "  layers holding entities (layer group-layer, entities, names):\n";
    for (const LayerUse& l : d.Layers) {
        out << "    " << LayerNumberText(l.Group, l.Layer) << "  " << l.Count;
        if (!l.GroupName.empty() || !l.Name.empty())
            out << "  \"" << ArchiveStringToUtf8(l.GroupName) << "\" \"" << ArchiveStringToUtf8(l.Name) << '"';
        out << '\n';
    }
    out << "  pens in use (entities at the top level + in blocks):\n";
    for (const PenUse& use : d.Pens) {
        out << "    " << PenText(use.Pen) << "  " << use.Count;
        if (use.InBlocks > 0) out << " + " << use.InBlocks << " in blocks";
        out << '\n';
    }
    if (d.HasHeaderColors) {
        out << "  colours of the text kinds 1 to 10:";
        for (uint32_t c : d.TextKindColors) out << ' ' << c;
        out << "; of the dimension setting: " << d.DimensionSettingColors[0] << ' ' << d.DimensionSettingColors[1] << ' '
            << d.DimensionSettingColors[2] << '\n';
    }
}

// The files the paths stand for: every file named, and of the files found in folders the
// drawings and figure files by their extension, as a conversion takes them.
bool CollectFiles(const InspectCommand& command, std::vector<fs::path>& files, std::ostream& err) {
    for (const std::string& path : command.Paths) {
        std::string problem;
        for (const InputFile& file : ExpandInputPath(PathFromUtf8(path), command.Recursive, {}, problem)) {
            const ExtensionClass extension = ClassOfExtension(UpperExtension(Utf8FromPath(file.Source.filename())));
            if (file.Named || extension == ExtensionClass::Jww || extension == ExtensionClass::Jws)
                files.push_back(file.Source);
        }
        if (!problem.empty()) {
            err << "tolvane-cli: " << problem << '\n';
            return false;
        }
    }
    return true;
}

}  // namespace

int RunInspect(const InspectCommand& command, std::ostream& out, std::ostream& err) {
    std::optional<DeliveryStandard> standard;
    if (command.Standard) {
        standard = DeliveryStandardNamed(*command.Standard);
        if (!standard) {
            err << "tolvane-cli: no such standard: " << *command.Standard << " (known: " << SxfDeliveryStandard().Name << ")\n";
            return 2;
        }
    }
    std::vector<fs::path> files;
    if (!CollectFiles(command, files, err)) return 2;

    PenSummary pens;
    size_t unreadable = 0, withErrors = 0, withWarnings = 0;
    InspectOptions options;
    options.Jobs = command.Jobs;
    options.Reported = [&](size_t, FileInspection& inspection) {
        const std::string file = Utf8FromPath(inspection.File);
        if (!inspection.Ok) {
            ++unreadable;
            if (command.Json) out << Dump(Json{{"file", file}, {"ok", false}, {"error", inspection.Error}}) << '\n';
            else out << file << ": cannot be read: " << inspection.Error << '\n';
            return;
        }
        const DrawingInspection& d = inspection.Drawing;
        pens.Add(d);
        Json json = command.Json ? InspectionJson(file, d) : Json();
        if (!command.Json) WriteInspectionText(file, d, out);
        if (standard) {
            const DeliveryCheck check = CheckDelivery(d, *standard);
            if (check.Errors > 0) ++withErrors;
            else if (check.Warnings > 0) ++withWarnings;
            if (command.Json) {
                Json findings = Json::array();
                for (const Finding& f : check.Findings) findings.push_back(FindingJson(f));
                json[standard->Name] = Json{{"errors", check.Errors}, {"warnings", check.Warnings}, {"findings", std::move(findings)}};
            } else {
                for (const Finding& f : check.Findings) out << file << ": " << FindingText(f, *standard) << '\n';
            }
        }
        if (command.Json) out << Dump(json) << '\n';
    };
    InspectFiles(files, options);

    const std::vector<PenTotal> totals = pens.Totals();
    if (command.Json) {
        Json list = Json::array();
        for (const PenTotal& t : totals) {
            Json pen = PenJson(t.Pen);
            pen["count"] = t.Count;
            pen["in_blocks"] = t.InBlocks;
            pen["files"] = t.Files;
            list.push_back(std::move(pen));
        }
        Json summary{{"files", files.size()}, {"unreadable", unreadable}, {"pens", std::move(list)}};
        if (standard) summary[standard->Name] = Json{{"files_with_errors", withErrors}, {"files_with_warnings", withWarnings}};
        out << Dump(summary) << '\n';
    } else {
        out << files.size() << " files, " << unreadable << " cannot be read";
        if (standard)
            out << "; " << standard->Title << ": " << withErrors << " with errors, " << withWarnings << " with warnings only";
        out << "\npens in use in all files (entities at the top level + in blocks, files):\n";
        for (const PenTotal& t : totals)
            out << "  " << PenText(t.Pen) << "  " << t.Count << " + " << t.InBlocks << " in blocks, in " << t.Files
                << (t.Files == 1 ? " file\n" : " files\n");
    }
    return unreadable > 0 || withErrors > 0 ? 1 : 0;
}

}  // namespace tolvane::cli
