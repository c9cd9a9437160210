// The one place that reads the environment for the program's folders.
#include "conversion/app_paths.h"

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvane {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32

// The wide environment, so that a user name outside the ANSI code page survives.
fs::path FromEnvironment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value && *value ? fs::path(value) : fs::path();
}

fs::path ProgramFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            return fs::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

// Installed under Program Files the folder is not writable for a normal user, while a copy
// unpacked anywhere else is; only trying tells.
bool CanCreateFilesIn(const fs::path& folder) {
    if (folder.empty()) return false;
    const fs::path probe = folder / L"tolvane-write-probe.tmp";
    const HANDLE handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

#else

fs::path FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? fs::path(value) : fs::path();
}

#endif

}  // namespace

#ifdef _WIN32

AppFolders AppFoldersFor(const fs::path& programFolder) {
    if (CanCreateFilesIn(programFolder)) return {programFolder / L"tolvane.ini", programFolder / L"TEMP" / L""};
    return {FromEnvironment(L"APPDATA") / L"Tolvane" / L"tolvane.ini",
            FromEnvironment(L"LOCALAPPDATA") / L"Tolvane" / L"TEMP" / L""};
}

fs::path HomeFolderPath() { return FromEnvironment(L"USERPROFILE"); }

fs::path WindowStateFilePath() { return AppFoldersFor(ProgramFolder()).StateFile; }

fs::path ImageFolderPath() { return AppFoldersFor(ProgramFolder()).ImageFolder; }

#else

fs::path HomeFolderPath() {
    fs::path home = FromEnvironment("HOME");
    return home.empty() ? fs::path("/") : home;
}

fs::path WindowStateFilePath() {
    fs::path base = FromEnvironment("XDG_CONFIG_HOME");
    if (base.empty()) base = HomeFolderPath() / ".config";
    return base / "tolvane" / "tolvane.ini";
}

fs::path ImageFolderPath() {
    fs::path base = FromEnvironment("XDG_CACHE_HOME");
    if (base.empty()) base = HomeFolderPath() / ".cache";
    return base / "tolvane" / "TEMP" / "";
}

#endif

}  // namespace tolvane
