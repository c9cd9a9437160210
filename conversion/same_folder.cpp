// The one platform file for telling whether two paths lead to the same folder: by device and
// inode on Linux, by volume serial number and file index on Windows, where names also match
// without regard to letter case.
#include "conversion/conversion.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvane {

#ifdef _WIN32

namespace {

struct FileIdentity {
    DWORD Volume = 0;
    DWORD IndexHigh = 0;
    DWORD IndexLow = 0;
};

// Folders open only with backup semantics; no access right is needed to read the identity.
bool IdentityOf(const std::filesystem::path& path, FileIdentity& identity) {
    const HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool ok = GetFileInformationByHandle(handle, &information) != 0;
    CloseHandle(handle);
    if (!ok) return false;
    identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
    return true;
}

}  // namespace

bool IsSameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
    FileIdentity first, second;
    return IdentityOf(a, first) && IdentityOf(b, second) && first.Volume == second.Volume &&
           first.IndexHigh == second.IndexHigh && first.IndexLow == second.IndexLow;
}

#else

bool IsSameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

#endif

}  // namespace tolvane
