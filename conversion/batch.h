// The walk over a selection of files: converts them on several workers at once and reports
// the results in selection order, whatever order the files finish in. Shared by the desktop
// program and the command line.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "conversion/conversion.h"
#include "settings/conversion_settings.h"

namespace tolvane {

struct BatchFile {
    std::filesystem::path Source;
    std::filesystem::path Destination;
};

struct BatchOptions {
    // Workers; 0 takes one per core.
    unsigned Jobs = 0;
    // Images extracted from JWW drawings go here. One worker uses the folder itself; several
    // use one subfolder each, so that two drawings holding images of the same name never meet.
    std::filesystem::path ImageFolder;
    // Set by another thread: no file starts after it is seen; files being converted finish.
    const std::atomic<bool>* Stop = nullptr;
    // Everything but the writing (ConversionContext::DryRun): the same results, the backups
    // only planned, no image folder made or used, nothing written.
    bool DryRun = false;
    // Both callbacks run on the workers.
    // A file that passed its probe starts, with the number of files finished so far. Calls
    // from two workers may overlap; a call that waits holds up only its own worker.
    std::function<void(size_t index, size_t finished)> Started;
    // The result of a file, in selection order (each index once), with the number of files
    // finished so far; one call at a time.
    std::function<void(size_t index, const ConversionResult& result, size_t finished)> Reported;
    // What is done with each file; empty: ConvertSelectedFile. Runs on the workers, several
    // at once, each with the context of its own worker.
    std::function<ConversionResult(ConversionContext& context, const std::filesystem::path& source,
                                   const std::filesystem::path& destination)>
        Operation;
};

struct BatchCounts {
    size_t Converted = 0;
    size_t Skipped = 0;
    size_t Failed = 0;
    size_t Stopped = 0;
};

// Workers when none are asked for: one per core.
unsigned DefaultJobs();

// Converts the files with the mode the settings give (their rule sources already resolved).
// Files sharing a backup name (A.JWW and A.JWS, one file given twice) are converted one after
// the other in selection order, so the destination ends as a serial run leaves it. A file
// that throws is reported as failed and the others go on. One result per file, in order.
std::vector<ConversionResult> ConvertBatch(const ConversionSettings& settings, const std::vector<BatchFile>& files,
                                           const BatchOptions& options);

BatchCounts CountOutcomes(const std::vector<ConversionResult>& results);

// The words of the command line for a result: "converted", "skipped", "failed", "stopped";
// and why, or what changed. A dry run's result would convert ("would convert") or would fail
// to be written ("would fail"), and says what would change.
const char* OutcomeName(ConversionOutcome outcome);
const char* OutcomeName(const ConversionResult& result);
std::string DescribeResult(const ConversionResult& result);

}  // namespace tolvane
