#include "conversion/delivery_standard.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace tolvane {

namespace {

DeliveryStandard MakeSxf() {
    DeliveryStandard sxf;
    sxf.Name = "sxf";
    sxf.Title = "SXF";
    // SXF colour n is number 100 + n: 1 to 16 predefined, 17 to 256 user-defined.
    sxf.Colors = {{101, 356}};
    // SXF line type n is number 30 + n: 1 to 15 predefined; 17 to 32 user-defined are 47 to
    // 62. Number 46 (SXF 16) is no line type of the standard.
    sxf.LineTypes = {{31, 45}, {47, 62}};
    // The ISO 128 series of line widths that the CAD drawing standards use, in 1/100 mm.
    sxf.Widths = {13, 18, 25, 35, 50, 70, 100, 140, 200};
    sxf.LayerNames.Parties = "SDCM";  // survey, design, construction, maintenance
    sxf.Grades[static_cast<size_t>(DeliveryRule::Color)] = FindingGrade::Error;
    sxf.Grades[static_cast<size_t>(DeliveryRule::LineType)] = FindingGrade::Error;
    sxf.Grades[static_cast<size_t>(DeliveryRule::Width)] = FindingGrade::Error;
    sxf.Grades[static_cast<size_t>(DeliveryRule::NoWidth)] = FindingGrade::Warning;
    sxf.Grades[static_cast<size_t>(DeliveryRule::LayerName)] = FindingGrade::Warning;
    sxf.Grades[static_cast<size_t>(DeliveryRule::UnnamedLayer)] = FindingGrade::Warning;
    return sxf;
}

bool IsFieldCharacter(char16_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

}  // namespace

const char* FindingGradeName(FindingGrade grade) { return grade == FindingGrade::Error ? "error" : "warning"; }

const char* DeliveryRuleName(DeliveryRule rule) {
    switch (rule) {
        case DeliveryRule::Color: return "color";
        case DeliveryRule::LineType: return "linetype";
        case DeliveryRule::Width: return "width";
        case DeliveryRule::NoWidth: return "no_width";
        case DeliveryRule::LayerName: return "layer_name";
        case DeliveryRule::UnnamedLayer: return "unnamed_layer";
    }
    return "";
}

const DeliveryStandard& SxfDeliveryStandard() {
    static const DeliveryStandard sxf = MakeSxf();
    return sxf;
}

std::optional<DeliveryStandard> DeliveryStandardNamed(std::string_view name) {
    if (name == SxfDeliveryStandard().Name) return SxfDeliveryStandard();
    return std::nullopt;
}

bool InRanges(const std::vector<NumberRange>& ranges, int value) {
    return std::any_of(ranges.begin(), ranges.end(), [&](const NumberRange& r) { return value >= r.First && value <= r.Last; });
}

bool MatchesLayerNameForm(const ArchiveString& name, const LayerNameForm& form) {
    const size_t length = name.Length();
    if (length < 2 || name.UnitAt(0) > 0x7F || form.Parties.find(static_cast<char>(name.UnitAt(0))) == std::string::npos ||
        name.UnitAt(1) != static_cast<char16_t>(form.Separator))
        return false;
    size_t fields = 0;
    for (size_t start = 2;;) {
        size_t end = start;
        while (end < length && name.UnitAt(end) != static_cast<char16_t>(form.Separator)) {
            if (!IsFieldCharacter(name.UnitAt(end))) return false;
            ++end;
        }
        ++fields;
        const bool last = end == length;
        const size_t longest = form.MaxFieldLength + (last && form.LastFieldSuffix ? 1 : 0);
        if (end - start < form.MinFieldLength || end - start > longest || fields > form.MaxFields) return false;
        if (last) break;
        start = end + 1;
    }
    return fields >= form.MinFields;
}

DeliveryCheck CheckDelivery(const DrawingInspection& inspection, const DeliveryStandard& standard) {
    // Pen findings gather the pens of one kind that share the offending value.
    std::map<std::tuple<FindingGrade, DeliveryRule, PenEntity, int>, Finding> pens;
    const auto add = [&](DeliveryRule rule, const PenUse& use, int value) {
        const FindingGrade grade = standard.Grades[static_cast<size_t>(rule)];
        Finding& f = pens[{grade, rule, use.Pen.Entity, value}];
        f.Grade = grade;
        f.Rule = rule;
        f.Entity = use.Pen.Entity;
        f.Value = value;
        f.Count += use.Count + use.InBlocks;
        f.InBlocks += use.InBlocks;
    };
    for (const PenUse& use : inspection.Pens) {
        const PenKey& pen = use.Pen;
        if (CarriesColor(pen.Entity) && !InRanges(standard.Colors, pen.Color)) add(DeliveryRule::Color, use, pen.Color);
        if (!CarriesLineTypeAndWidth(pen.Entity)) continue;
        if (!InRanges(standard.LineTypes, pen.LineType)) add(DeliveryRule::LineType, use, pen.LineType);
        if (pen.Width == 0) add(DeliveryRule::NoWidth, use, 0);
        else if (std::find(standard.Widths.begin(), standard.Widths.end(), pen.Width) == standard.Widths.end())
            add(DeliveryRule::Width, use, pen.Width);
    }
    DeliveryCheck check;
    for (auto& [key, finding] : pens) check.Findings.push_back(std::move(finding));
    if (inspection.Kind == DrawingFileKind::Jww) {
        for (const LayerUse& layer : inspection.Layers) {
            DeliveryRule rule;
            if (layer.Name.empty()) rule = DeliveryRule::UnnamedLayer;
            else if (!MatchesLayerNameForm(layer.Name, standard.LayerNames)) rule = DeliveryRule::LayerName;
            else continue;
            Finding f;
            f.Grade = standard.Grades[static_cast<size_t>(rule)];
            f.Rule = rule;
            f.Group = layer.Group;
            f.Layer = layer.Layer;
            f.Name = layer.Name;
            f.Count = layer.Count;
            check.Findings.push_back(std::move(f));
        }
    }
    // Stable: pen findings keep their order, layer findings theirs, within each grade.
    std::stable_sort(check.Findings.begin(), check.Findings.end(),
                     [](const Finding& a, const Finding& b) { return a.Grade < b.Grade; });
    for (const Finding& f : check.Findings) ++(f.Grade == FindingGrade::Error ? check.Errors : check.Warnings);
    return check;
}

const Finding* WorstFinding(const DeliveryCheck& check) {
    const Finding* worst = nullptr;
    for (const Finding& f : check.Findings)
        if (!worst || f.Grade < worst->Grade || (f.Grade == worst->Grade && f.Count > worst->Count)) worst = &f;
    return worst;
}

}  // namespace tolvane
