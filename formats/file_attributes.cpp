// The one platform file for file attributes.
#include "formats/file_attributes.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvane {

#ifdef _WIN32

bool IsHiddenEntry(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

std::string AttributesText(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    std::string text;
    if (attributes & FILE_ATTRIBUTE_ARCHIVE) text += "A ";
    if (attributes & FILE_ATTRIBUTE_READONLY) text += "R ";
    return text;
}

#else

bool IsHiddenEntry(const std::filesystem::path& path) {
    const std::string name = path.filename().native();
    return !name.empty() && name.front() == '.';
}

std::string AttributesText(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error) return {};
    return (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none ? "R " : "";
}

#endif

}  // namespace tolvane
