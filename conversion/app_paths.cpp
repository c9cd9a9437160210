// The one place that reads the environment for the program's folders.
#include "conversion/app_paths.h"

#include <cstdlib>

namespace tolvane {

namespace {

namespace fs = std::filesystem;

fs::path FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? fs::path(value) : fs::path();
}

}  // namespace

fs::path HomeFolderPath() {
#ifdef _WIN32
    return FromEnvironment("USERPROFILE");
#else
    fs::path home = FromEnvironment("HOME");
    return home.empty() ? fs::path("/") : home;
#endif
}

fs::path WindowStateFilePath() {
#ifdef _WIN32
    return FromEnvironment("APPDATA") / "Tolvane" / "tolvane.ini";
#else
    fs::path base = FromEnvironment("XDG_CONFIG_HOME");
    if (base.empty()) base = HomeFolderPath() / ".config";
    return base / "tolvane" / "tolvane.ini";
#endif
}

fs::path ImageFolderPath() {
#ifdef _WIN32
    return FromEnvironment("LOCALAPPDATA") / "Tolvane" / "TEMP" / "";
#else
    fs::path base = FromEnvironment("XDG_CACHE_HOME");
    if (base.empty()) base = HomeFolderPath() / ".cache";
    return base / "tolvane" / "TEMP" / "";
#endif
}

}  // namespace tolvane
