// The files that the paths of a command stand for: a file itself; the files directly in a
// folder; with recursion every file below a folder, with its place below it. Hidden files and
// folders are left out, as the file list leaves them out. Shared by convert and inspect.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane {

struct InputFile {
    std::filesystem::path Source;
    // Its name; for a file that the recursive walk found, "./sub/name" below the path.
    std::filesystem::path Relative;
    bool Named = false;  // the path was this file itself
};

// The files in the order of their paths. problem tells why the path stands for nothing (it
// is neither a file nor a folder) or for less than it should (a folder that cannot be listed);
// it stays empty otherwise. The recursive walk does not enter skipFolder (a destination
// inside the folder walked).
std::vector<InputFile> ExpandInputPath(const std::filesystem::path& path, bool recursive,
                                       const std::filesystem::path& skipFolder, std::string& problem);

}  // namespace tolvane
