// The commands of tolvane-cli, as plain functions over output streams so that the tests can
// run them without a process. Each returns the exit status.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

int RunInfo(const std::vector<std::string>& files, bool json, std::ostream& out);
int RunCheck(const std::vector<std::string>& files, bool json, std::ostream& out);
// The files of one folder as the file list shows them, sorted by name; filterIndex is the
// index of the file-type filter (0 "*.*", 1 "*.jw?", 2 "*.jww", 3 "*.jws").
int RunList(const std::string& folder, int filterIndex, bool json, std::ostream& out);

struct RenderCommand {
    std::string File;
    std::optional<std::string> SettingsFile;  // without it, the drawing as it is
    bool ChangesOnly = false;                 // needs SettingsFile
    std::string Output;                       // the SVG file
};
// Writes the drawing (converted in memory with the settings when given) as SVG.
int RunRender(const RenderCommand& command, std::ostream& out, std::ostream& err);

}  // namespace tolvane::cli
