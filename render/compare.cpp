#include "render/compare.h"

#include "settings/rule_application.h"

namespace tolvane::render {

DrawingData ConvertedCopy(const DrawingData& drawing, DrawingFormat format, const ConversionSettings& settings) {
    ConversionSettings resolved = settings;
    ResolveRuleSources(resolved);
    DrawingData copy = drawing;
    copy.Header.FileVersion = RaiseVersion(resolved, copy.Header.FileVersion);
    if (resolved.ConversionMode == 1) ApplyRules(resolved, copy);
    else ApplyTables(resolved, copy, format == DrawingFormat::Jww);
    return copy;
}

void MarkChanges(const DisplayList& before, DisplayList& after) {
    const bool comparable = before.Items.size() == after.Items.size();
    for (size_t i = 0; i < after.Items.size(); ++i) {
        DisplayItem& a = after.Items[i];
        if (!comparable) {
            a.Changed = true;
            continue;
        }
        const DisplayItem& b = before.Items[i];
        const bool sameDashes = (a.Dash == 0 && b.Dash == 0) ||
                                (a.Dash < after.DashPatterns.size() && b.Dash < before.DashPatterns.size() &&
                                 after.DashPatterns[a.Dash] == before.DashPatterns[b.Dash]);
        a.Changed = a.ColorNumber != b.ColorNumber || a.LineType != b.LineType || !(a.Paint == b.Paint) ||
                    a.Width != b.Width || !sameDashes;
    }
}

void ShowChangesOnly(DisplayList& list) {
    for (DisplayItem& item : list.Items)
        if (!item.Changed) item.Paint = kUnchangedColor;
}

DisplayList RenderView(const DrawingData& drawing, DrawingFormat format, const ConversionSettings& settings, View view,
                       const RenderLimits& limits) {
    if (view == View::Before) return BuildDisplayList(drawing, format, limits);
    DisplayList after = BuildDisplayList(ConvertedCopy(drawing, format, settings), format, limits);
    if (view == View::ChangesOnly) {
        MarkChanges(BuildDisplayList(drawing, format, limits), after);
        ShowChangesOnly(after);
    }
    return after;
}

}  // namespace tolvane::render
