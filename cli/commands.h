// The commands of tolvane-cli, as plain functions over output streams so that the tests can
// run them without a process. Each returns the exit status.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

int RunInfo(const std::vector<std::string>& files, bool json, std::ostream& out);
int RunCheck(const std::vector<std::string>& files, bool json, std::ostream& out);
// The files of one folder as the file list shows them, sorted by name; filterIndex is the
// index of the file-type filter (0 "*.*", 1 "*.jw?", 2 "*.jww", 3 "*.jws").
int RunList(const std::string& folder, int filterIndex, bool json, std::ostream& out);

}  // namespace tolvane::cli
