#include "frontend/usage_counts.h"

#include <system_error>
#include <utility>

namespace tolvane {

namespace fs = std::filesystem;

void AddUsage(UsageCounts& counts, const DrawingInspection& inspection) {
    ++counts.Files;
    for (const PenUse& use : inspection.Pens) {
        const uint64_t n = use.Count + use.InBlocks;
        if (!CarriesColor(use.Pen.Entity)) continue;
        if (const std::optional<int> slot = ColorSlotOf(use.Pen.Color)) counts.Colors[static_cast<size_t>(*slot)] += n;
        if (!CarriesLineTypeAndWidth(use.Pen.Entity)) continue;
        if (const std::optional<int> slot = LineTypeSlotOf(use.Pen.LineType))
            counts.LineTypes[static_cast<size_t>(*slot)] += n;
    }
}

UsageCounts CountUsage(const std::vector<fs::path>& files, const std::atomic<bool>* stop, unsigned jobs) {
    UsageCounts counts;
    InspectOptions options;
    options.Jobs = jobs;
    options.Stop = stop;
    options.Reported = [&](size_t, FileInspection& inspection) {
        if (inspection.Ok) AddUsage(counts, inspection.Drawing);
        else ++counts.Unreadable;
    };
    InspectFiles(files, options);
    return counts;
}

namespace {

UsageCell CellOf(const uint64_t* count) {
    if (!count) return {};
    return {std::to_string(*count), *count == 0};
}

}  // namespace

UsageCell ColorUsageCell(const UsageCounts* counts, int slot) {
    return CellOf(counts ? &counts->Colors.at(static_cast<size_t>(slot)) : nullptr);
}

UsageCell LineTypeUsageCell(const UsageCounts* counts, int slot) {
    return CellOf(counts ? &counts->LineTypes.at(static_cast<size_t>(slot)) : nullptr);
}

UsageCountRun::UsageCountRun(Post post) : post_(std::move(post)) {}

UsageCountRun::~UsageCountRun() { Stop(); }

void UsageCountRun::Stop() {
    if (stop_) *stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void UsageCountRun::Start(std::vector<fs::path> files, std::function<void(const UsageCounts&)> done, unsigned jobs) {
    Stop();
    stop_ = std::make_shared<std::atomic<bool>>(false);
    try {
        worker_ = std::thread([stop = stop_, post = post_, files = std::move(files), done = std::move(done), jobs] {
            UsageCounts counts = CountUsage(files, stop.get(), jobs);
            if (*stop) return;
            // A stop that comes after this point still holds the result back on the window thread.
            post([stop, done, counts] {
                if (!*stop && done) done(counts);
            });
        });
    } catch (const std::system_error&) {
        // No thread to be had: the column stays empty.
    }
}

}  // namespace tolvane
