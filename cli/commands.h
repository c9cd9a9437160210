// The commands of tolvane-cli, as plain functions over output streams so that the tests can
// run them without a process. Each returns the exit status.
#pragma once

#include <atomic>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

// Files that cannot be read are told on err (as JSON lines on out with json), and make the
// status 1; check's status is 1 also when a drawing differs when written again. A stop, when
// asked for, ends the command before the next file with kStoppedExitStatus.
int RunInfo(const std::vector<std::string>& files, bool json, std::ostream& out, std::ostream& err,
            const std::atomic<bool>* stop = nullptr);
int RunCheck(const std::vector<std::string>& files, bool json, std::ostream& out, std::ostream& err,
             const std::atomic<bool>* stop = nullptr);
// The files of one folder as the file list shows them, sorted by name; filterIndex is the
// index of the file-type filter (0 "*.*", 1 "*.jw?", 2 "*.jww", 3 "*.jws").
int RunList(const std::string& folder, int filterIndex, bool json, std::ostream& out);

struct RenderCommand {
    std::string File;
    std::optional<std::string> SettingsFile;  // without it, the drawing as it is
    bool ChangesOnly = false;                 // needs SettingsFile
    std::string Output;                       // the SVG file
};
// Writes the drawing (converted in memory with the settings when given) as SVG, never over
// the drawing itself; a stop asked for before the write leaves the output as it was.
int RunRender(const RenderCommand& command, std::ostream& out, std::ostream& err,
              const std::atomic<bool>* stop = nullptr);

}  // namespace tolvane::cli
