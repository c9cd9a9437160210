// tolvane-cli convert: the conversion run of the desktop program, from the command line.
#pragma once

#include <atomic>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

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
};

// Exit status: 0 when no file failed, 1 when one did, 2 when the run was refused before
// anything was written, kStoppedExitStatus when it was stopped.
int RunConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tolvane::cli
