// File names as the program's text holds them (UTF-8 in the command line's arguments and
// output, in JSON, in the settings) and as the file system takes them. On Linux the two are
// the same bytes, whatever their encoding; on Windows paths are UTF-16, and the narrow
// std::filesystem conversions would go through the ANSI code page, which cannot hold most
// Japanese names.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane {

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace tolvane
