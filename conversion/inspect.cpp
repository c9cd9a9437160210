#include "conversion/inspect.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "conversion/batch.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

// Pens of one drawing, counted per key. Neighbouring entities mostly share a pen, so the last
// key found is tried before the map.
class PenCounter {
public:
    void Add(PenEntity entity, const EntityBase& pen, bool inBlock) {
        const PenKey key{entity, pen.PenColor, pen.PenStyle, pen.PenWidth};
        if (last_ == nullptr || lastKey_ != key) {
            last_ = &counts_[key];
            lastKey_ = key;
        }
        ++(inBlock ? last_->second : last_->first);
    }

    void AddAll(const EntityLists& lists, bool inBlock) {
        for (const LineRecord& r : lists.Lines) Add(PenEntity::Line, r, inBlock);
        for (const ArcRecord& r : lists.Arcs) Add(PenEntity::Arc, r, inBlock);
        for (const PointRecord& r : lists.Points) Add(PenEntity::Point, r, inBlock);
        for (const TextRecord& r : lists.Texts) Add(PenEntity::Text, r, inBlock);
        for (const SolidRecord& r : lists.Solids) Add(PenEntity::Solid, r, inBlock);
        for (const DimensionRecord& r : lists.Dimensions) Add(PenEntity::Dimension, r.DimensionLine, inBlock);
        for (const BlockInsertRecord& r : lists.BlockInserts) Add(PenEntity::Insert, r, inBlock);
    }

    std::vector<PenUse> Uses() const {
        std::vector<PenUse> uses;
        uses.reserve(counts_.size());
        for (const auto& [key, count] : counts_) uses.push_back({key, count.first, count.second});
        return uses;
    }

private:
    std::map<PenKey, std::pair<uint64_t, uint64_t>> counts_;  // top level, in blocks
    std::pair<uint64_t, uint64_t>* last_ = nullptr;
    PenKey lastKey_;
};

std::vector<LayerUse> LayersOf(const DrawingData& drawing, DrawingFileKind kind) {
    // Counted in the table of the 16 layer groups of 16 layers; numbers beyond it (only in a
    // damaged file) in a map of their own.
    std::array<uint64_t, 256> table{};
    std::map<std::pair<uint16_t, uint16_t>, uint64_t> beyond;
    const auto count = [&](const auto& records) {
        for (const EntityBase& r : records) {
            if (r.LayerGroup < 16 && r.Layer < 16) ++table[r.LayerGroup * 16u + r.Layer];
            else ++beyond[{r.LayerGroup, r.Layer}];
        }
    };
    count(drawing.Lines);
    count(drawing.Arcs);
    count(drawing.Points);
    count(drawing.Texts);
    count(drawing.Solids);
    count(drawing.Dimensions);
    count(drawing.BlockInserts);
    std::vector<LayerUse> layers;
    const auto& groups = drawing.Header.LayerGroups;
    for (uint16_t at = 0; at < table.size(); ++at) {
        if (table[at] == 0) continue;
        LayerUse& use = layers.emplace_back();
        use.Group = static_cast<uint16_t>(at / 16);
        use.Layer = static_cast<uint16_t>(at % 16);
        use.Count = table[at];
        if (kind == DrawingFileKind::Jww) {
            use.GroupName = groups[use.Group].Name;
            use.Name = groups[use.Group].Layers[use.Layer].Name;
        }
    }
    for (const auto& [at, n] : beyond) layers.push_back({at.first, at.second, {}, {}, n});
    return layers;
}

}  // namespace

const char* PenEntityName(PenEntity entity) {
    switch (entity) {
        case PenEntity::Line: return "line";
        case PenEntity::Arc: return "arc";
        case PenEntity::Point: return "point";
        case PenEntity::Text: return "text";
        case PenEntity::Solid: return "solid";
        case PenEntity::Dimension: return "dimension";
        case PenEntity::Insert: return "insert";
    }
    return "";
}

std::string LayerNumberText(uint16_t group, uint16_t layer) {
    char text[16];
    std::snprintf(text, sizeof text, "%X-%X", static_cast<unsigned>(group), static_cast<unsigned>(layer));
    return text;
}

bool CarriesColor(PenEntity entity) { return entity != PenEntity::Insert; }

bool CarriesLineTypeAndWidth(PenEntity entity) {
    return entity == PenEntity::Line || entity == PenEntity::Arc || entity == PenEntity::Dimension;
}

DrawingInspection InspectDrawing(const DrawingData& drawing, DrawingFileKind kind) {
    DrawingInspection inspection;
    inspection.Kind = kind;
    inspection.Version = drawing.Header.FileVersion;
    inspection.Strings = drawing.Strings;
    inspection.Layers = LayersOf(drawing, kind);
    PenCounter pens;
    pens.AddAll(drawing, false);
    for (const BlockDefinition& block : drawing.BlockDefinitions) pens.AddAll(block.Members(), true);
    inspection.Pens = pens.Uses();
    if (kind == DrawingFileKind::Jww) {
        inspection.HasHeaderColors = true;
        for (size_t i = 0; i < inspection.TextKindColors.size(); ++i)
            inspection.TextKindColors[i] = drawing.Header.TextKinds[i].Color;
        // The program treats the word as signed, with truncating division.
        const auto word = static_cast<int32_t>(drawing.Header.DimensionSettings[0]);
        inspection.DimensionSettingColors = {word % 10, word / 10 % 10, word / 100 % 10};
    }
    return inspection;
}

FileInspection InspectFile(const fs::path& file, DrawingData& scratch) {
    FileInspection inspection;
    inspection.File = file;
    try {
        const DrawingFileRead read = ReadDrawingFile(file, scratch, {});
        inspection.Ok = read.Ok;
        inspection.Error = read.Error;
        if (read.Ok) inspection.Drawing = InspectDrawing(scratch, read.Kind);
    } catch (const std::exception& e) {
        inspection.Ok = false;
        inspection.Error = e.what();
    }
    // The drawing stays in scratch until the next read clears it: clearing it here as well
    // would cost as much again for small files.
    return inspection;
}

size_t InspectFiles(const std::vector<fs::path>& files, const InspectOptions& options) {
    if (files.empty()) return 0;
    std::mutex mutex;
    size_t next = 0;
    size_t nextReport = 0;
    std::vector<std::optional<FileInspection>> finished(files.size());
    const auto work = [&] {
        DrawingData scratch;
        for (;;) {
            size_t index;
            {
                const std::lock_guard lock(mutex);
                if (next == files.size() || (options.Stop && options.Stop->load())) return;
                index = next++;
            }
            FileInspection inspection = InspectFile(files[index], scratch);
            const std::lock_guard lock(mutex);
            finished[index] = std::move(inspection);
            // Files are taken in order, so the ones reported are always the first ones.
            for (; nextReport < files.size() && finished[nextReport]; ++nextReport) {
                if (options.Reported) options.Reported(nextReport, *finished[nextReport]);
                finished[nextReport].reset();
            }
        }
    };
    const unsigned wanted = options.Jobs == 0 ? DefaultJobs() : options.Jobs;
    const auto jobs = static_cast<unsigned>(std::min<size_t>(std::max(1u, wanted), files.size()));
    if (jobs == 1) {
        work();
        return nextReport;
    }
    std::vector<std::thread> workers;
    workers.reserve(jobs);
    try {
        for (unsigned n = 0; n < jobs; ++n) workers.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: the workers already started share the files.
        if (workers.empty()) work();
    }
    for (std::thread& worker : workers) worker.join();
    return nextReport;
}

void PenSummary::Add(const DrawingInspection& inspection) {
    for (const PenUse& use : inspection.Pens) {
        PenTotal& total = totals_[use.Pen];
        total.Pen = use.Pen;
        total.Count += use.Count;
        total.InBlocks += use.InBlocks;
        ++total.Files;
    }
}

std::vector<PenTotal> PenSummary::Totals() const {
    std::vector<PenTotal> totals;
    totals.reserve(totals_.size());
    for (const auto& [key, total] : totals_) totals.push_back(total);
    return totals;
}

}  // namespace tolvane
