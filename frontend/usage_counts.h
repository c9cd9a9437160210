// The settings dialog's 使用数 column without the dialog: how many entities of the selected
// files use each colour slot and each line-type slot, counted on a worker so that the dialog
// opens at once. Rows that no selected file uses are shown dimmed.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "conversion/inspect.h"
#include "settings/conversion_settings.h"

namespace tolvane {

// Entities of every kind that carries a colour count for their colour's slot; lines, arcs and
// dimensions for their line type's slot (CarriesColor, CarriesLineTypeAndWidth). Block
// members count, block insertions do not.
struct UsageCounts {
    std::array<uint64_t, kColorSlots + 1> Colors{};        // by colour slot; entry 0 unused
    std::array<uint64_t, kLineTypeSlots + 1> LineTypes{};  // by line-type slot; entry 0 unused
    size_t Files = 0;       // files read
    size_t Unreadable = 0;  // files that could not be read
};

void AddUsage(UsageCounts& counts, const DrawingInspection& inspection);
// Reads the files on several workers (0: one per core) until stop is seen.
UsageCounts CountUsage(const std::vector<std::filesystem::path>& files, const std::atomic<bool>* stop = nullptr,
                       unsigned jobs = 0);

// One cell of the column: empty when nothing is selected (counts is null), else the count,
// dimmed when it is 0.
struct UsageCell {
    std::string Text;
    bool Dimmed = false;
};
UsageCell ColorUsageCell(const UsageCounts* counts, int slot);
UsageCell LineTypeUsageCell(const UsageCounts* counts, int slot);

// Counts on a worker thread and hands the result to the window thread through post (see
// InspectRun). A count that is stopped or replaced by a newer one delivers nothing.
class UsageCountRun {
public:
    using Post = std::function<void(std::function<void()>)>;

    explicit UsageCountRun(Post post);
    // Stops the count and waits for its worker.
    ~UsageCountRun();
    UsageCountRun(const UsageCountRun&) = delete;
    UsageCountRun& operator=(const UsageCountRun&) = delete;

    // Stops a count that still goes and starts a new one.
    void Start(std::vector<std::filesystem::path> files, std::function<void(const UsageCounts&)> done, unsigned jobs = 0);
    void Stop();

private:
    Post post_;
    std::shared_ptr<std::atomic<bool>> stop_;
    std::thread worker_;
};

}  // namespace tolvane
