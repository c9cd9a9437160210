// Where the desktop program keeps its files on this system: the window-state file (which also
// holds the current conversion settings) and the folder for images extracted from drawings.
#pragma once

#include <filesystem>

namespace tolvane {

// $XDG_CONFIG_HOME/tolvane/tolvane.ini, by default ~/.config/tolvane/tolvane.ini
// (%APPDATA%\Tolvane\tolvane.ini on Windows).
std::filesystem::path WindowStateFilePath();
// $XDG_CACHE_HOME/tolvane/TEMP/, by default ~/.cache/tolvane/TEMP/
// (%LOCALAPPDATA%\Tolvane\TEMP\ on Windows).
std::filesystem::path ImageFolderPath();
// The user's home folder.
std::filesystem::path HomeFolderPath();

}  // namespace tolvane
