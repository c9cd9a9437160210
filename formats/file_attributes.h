// The file attributes that the file list and the folder walks use, from the system's own
// notion of them.
#pragma once

#include <filesystem>
#include <string>

namespace tolvane {

// Hidden entries are left out of the file list, the folder tree and the command line's walks:
// on Windows those with the hidden or the system attribute, elsewhere those whose names begin
// with a dot.
bool IsHiddenEntry(const std::filesystem::path& path);

// The "属性" column: "A " when the archive attribute is set, then "R " when the file is
// read-only. Other systems have no archive attribute; read-only there means the owner may not
// write.
std::string AttributesText(const std::filesystem::path& path);

}  // namespace tolvane
