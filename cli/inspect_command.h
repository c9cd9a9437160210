// tolvane-cli inspect: the layers and pens that drawings use, summed over all files, and with
// a delivery standard the findings of its check.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

struct InspectCommand {
    bool Json = false;
    bool Recursive = false;
    std::optional<std::string> Standard;  // "sxf"
    std::vector<std::string> Paths;
    unsigned Jobs = 0;  // workers; 0 for one per core
};

// Exit status: 0; 1 when a file cannot be read or has an error under the standard; 2 when the
// run was refused (a path that is nothing, an unknown standard).
int RunInspect(const InspectCommand& command, std::ostream& out, std::ostream& err);

}  // namespace tolvane::cli
