// Where the desktop program keeps its files on this system: the window-state file (which also
// holds the current conversion settings) and the folder for images extracted from drawings.
#pragma once

#include <filesystem>

namespace tolvane {

// $XDG_CONFIG_HOME/tolvane/tolvane.ini, by default ~/.config/tolvane/tolvane.ini. On Windows
// tolvane.ini in the program's own folder when that folder is writable, else
// %APPDATA%\Tolvane\tolvane.ini.
std::filesystem::path WindowStateFilePath();
// $XDG_CACHE_HOME/tolvane/TEMP/, by default ~/.cache/tolvane/TEMP/. On Windows TEMP\ in the
// program's own folder when that folder is writable, else %LOCALAPPDATA%\Tolvane\TEMP\.
std::filesystem::path ImageFolderPath();
// The user's home folder.
std::filesystem::path HomeFolderPath();

#ifdef _WIN32
struct AppFolders {
    std::filesystem::path StateFile;
    std::filesystem::path ImageFolder;
};
// The choice above for a given program folder.
AppFolders AppFoldersFor(const std::filesystem::path& programFolder);
#endif

}  // namespace tolvane
