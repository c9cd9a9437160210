#include "render/compare.h"

#include "settings/rule_application.h"

namespace tolvane::render {

void Convert(DrawingData& drawing, DrawingFormat format, const ConversionSettings& settings) {
    ConversionSettings resolved = settings;
    ResolveRuleSources(resolved);
    drawing.Header.FileVersion = RaiseVersion(resolved, drawing.Header.FileVersion);
    if (IsCombinedMode(resolved)) ApplyRules(resolved, drawing);
    else ApplyTables(resolved, drawing, format == DrawingFormat::Jww);
}

DrawingData ConvertedCopy(const DrawingData& drawing, DrawingFormat format, const ConversionSettings& settings) {
    DrawingData copy = drawing;
    Convert(copy, format, settings);
    return copy;
}

namespace {

// Only the pens of the list before are compared: its shapes can go before the list after is
// made, which keeps a large drawing's memory to one list of shapes.
DisplayList PensOnly(DisplayList list) {
    // Assigning {} would keep the arrays' memory.
    std::vector<PaperPoint>().swap(list.Points);
    std::vector<ArcShape>().swap(list.Arcs);
    std::vector<TextShape>().swap(list.Texts);
    return list;
}

}  // namespace

namespace {

ShapePen PenOf(const DisplayItem& item) {
    return {item.ColorNumber, item.LineType, item.Dash, item.Paint, item.Width};
}

// The one rule of both comparisons: the shapes of after from offset on against the pens before
// at the same places, beforeCount of them, that penAt gives.
template <class PenAt>
void Mark(size_t beforeCount, const PenAt& penAt, const std::vector<std::vector<double>>& beforeDashes,
          size_t afterItems, size_t offset, DisplayList& after) {
    const bool comparable = beforeCount == afterItems;
    for (size_t i = 0; i < after.Items.size(); ++i) {
        DisplayItem& a = after.Items[i];
        if (!comparable || offset + i >= beforeCount) {
            a.Changed = true;
            continue;
        }
        const ShapePen b = penAt(offset + i);
        const bool sameDashes = (a.Dash == 0 && b.Dash == 0) ||
                                (a.Dash < after.DashPatterns.size() && b.Dash < beforeDashes.size() &&
                                 after.DashPatterns[a.Dash] == beforeDashes[b.Dash]);
        a.Changed = a.ColorNumber != b.ColorNumber || a.LineType != b.LineType || !(a.Paint == b.Paint) ||
                    a.Width != b.Width || !sameDashes;
    }
}

}  // namespace

void MarkChanges(const DisplayList& before, DisplayList& after) {
    Mark(before.Items.size(), [&](size_t i) { return PenOf(before.Items[i]); }, before.DashPatterns,
         after.Items.size(), 0, after);
}

void PensBefore::Add(const DisplayList& piece) {
    if (DashPatterns.empty()) DashPatterns = piece.DashPatterns;
    for (const DisplayItem& item : piece.Items) Pens.push_back(PenOf(item));
}

void MarkChanges(const PensBefore& before, size_t afterItems, size_t offset, DisplayList& piece) {
    Mark(before.Pens.size(), [&](size_t i) { return before.Pens[i]; }, before.DashPatterns, afterItems, offset, piece);
}

void ShowChangesOnly(DisplayList& list) {
    for (DisplayItem& item : list.Items)
        if (!item.Changed) item.Paint = kUnchangedColor;
}

namespace {

// The changes view: the list after, its shapes marked against the pens before and the
// unchanged ones greyed.
DisplayList ChangesOnly(const DisplayList& before, DisplayList after) {
    MarkChanges(before, after);
    ShowChangesOnly(after);
    return after;
}

}  // namespace

DisplayList RenderView(const DrawingData& drawing, DrawingFormat format, const ConversionSettings& settings, View view,
                       const RenderLimits& limits) {
    if (view == View::Before) return BuildDisplayList(drawing, format, limits);
    DisplayList before;
    if (view == View::ChangesOnly) before = PensOnly(BuildDisplayList(drawing, format, limits));
    DisplayList after = BuildDisplayList(ConvertedCopy(drawing, format, settings), format, limits);
    return view == View::ChangesOnly ? ChangesOnly(before, std::move(after)) : after;
}

DisplayList RenderView(DrawingData&& drawing, DrawingFormat format, const ConversionSettings& settings, View view,
                       const RenderLimits& limits) {
    if (view == View::Before) return BuildDisplayList(drawing, format, limits);
    DisplayList before;
    if (view == View::ChangesOnly) before = PensOnly(BuildDisplayList(drawing, format, limits));
    Convert(drawing, format, settings);
    DisplayList after = BuildDisplayList(drawing, format, limits);
    return view == View::ChangesOnly ? ChangesOnly(before, std::move(after)) : after;
}

Views RenderViews(DrawingData&& drawing, DrawingFormat format, const ConversionSettings& settings,
                  const RenderLimits& limits) {
    Views views;
    views.Before = BuildDisplayList(drawing, format, limits);
    Convert(drawing, format, settings);
    views.After = BuildDisplayList(drawing, format, limits);
    views.ChangesOnly = ChangesOnly(views.Before, views.After);
    return views;
}

}  // namespace tolvane::render
