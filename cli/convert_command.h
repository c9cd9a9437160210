// tolvane-cli convert: the conversion run of the desktop program, from the command line.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/temp_folder.h"
#include "conversion/batch.h"
#include "settings/conversion_settings.h"

namespace tolvane::cli {

struct ConvertOptions {
    std::optional<std::string> SettingsFile;  // without it, the desktop program's settings
    std::string Destination;
    bool Recursive = false;
    bool Json = false;
    bool Progress = false;  // a progress line on the error stream
    std::vector<std::string> Paths;
    unsigned Jobs = 0;  // workers; 0 for one per core
    // Set from outside (a signal): no file starts after it; the files being converted finish.
    const std::atomic<bool>* Stop = nullptr;
    // Everything but the writing: the same checks, lines and exit status, worded "would
    // convert"; no destination file, backup, folder, temporary file or image is made.
    bool DryRun = false;
};

// The files the options' paths stand for, each with the path a conversion writes it to, after
// the checks a run makes before anything is written; then the run's image folder (a run that
// cannot have one does not start) and the destination's subfolders are made. On a refusal
// the reason goes to err and nothing is returned (exit status 2).
std::optional<std::vector<BatchFile>> CollectRunFiles(const ConvertOptions& options, const ConversionSettings& settings,
                                                     std::optional<ScopedTempFolder>& images, std::ostream& err);

// With progress, a line "[3/120] FILE" on err as each file starts; output guards err, which the
// result lines share (workers may start files at the same time).
void ShowProgress(BatchOptions& batch, const std::vector<BatchFile>& files, bool progress, std::mutex& output,
                  std::ostream& err);

// The summary of a run (done: the outcome's JSON key and words, as "converted") and its exit
// status.
int FinishRun(const BatchCounts& counts, bool stopped, bool json, const char* doneKey, const char* doneWords,
              std::ostream& out);

// Exit status: 0 when no file failed, 1 when one did, 2 when the run was refused before
// anything was written, kStoppedExitStatus when it was stopped.
int RunConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tolvane::cli
