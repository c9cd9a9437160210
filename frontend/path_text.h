// Paths as the windows show them. Inside, the program keeps std::filesystem::path; at the
// edges text is UTF-8 (PathFromUtf8 and Utf8FromPath of formats/utf8_path.h). On Linux a name
// is whatever bytes the file system holds: drawings copied from Windows machines often carry
// Shift-JIS names, which are kept on disk as they are and shown converted.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane {

bool IsValidUtf8(std::string_view bytes);
// The text to show for the bytes of a name: UTF-8 as it is, anything else read as Shift-JIS.
std::string DisplayText(std::string_view bytes);
// The text to show for a path.
std::string DisplayPath(const std::filesystem::path& path);
// The text to show for a folder: the path with one separator at its end ("" for no folder).
std::string FolderText(const std::filesystem::path& folder);
// The folder with one separator at its end, as the fields and the state file keep it.
std::filesystem::path AsFolder(const std::filesystem::path& folder);

}  // namespace tolvane
