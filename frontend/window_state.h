// The window-state file: positions and sizes of the windows, the width of the folder panel
// and of the list's columns, the last folders, the last settings file and the filter. The
// conversion settings are kept in the same file by the settings-file code.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "frontend/file_list.h"

namespace tolvane {

class ProfileDocument;

// Where the program keeps its files. On Linux the program's own folder is normally not
// writable, so the state file lives in the configuration folder and the image folder in the
// cache folder; the home folder takes the place of the program folder as the first search
// folder.
struct ProgramPaths {
    std::filesystem::path HomeFolder;   // ends with a separator
    std::filesystem::path StateFile;    // .../tolvane/tolvane.ini
    std::filesystem::path ImageFolder;  // .../tolvane/TEMP/
};

// The places of conversion/app_paths.h: $XDG_CONFIG_HOME/tolvane/tolvane.ini,
// $XDG_CACHE_HOME/tolvane/TEMP/ and $HOME.
ProgramPaths DefaultProgramPaths();

struct WindowState {
    // The main window's frame: the corner of its title bar and its outer size, as the
    // Windows program keeps them.
    int MainLeft = 192;
    int MainTop = 107;
    int MainWidth = 696;
    int MainHeight = 478;
    // Whether the file held the main window's bounds; without them the window opens at a
    // size that shows its whole content (FirstStartFrame).
    bool MainBoundsKept = false;
    // A window closed maximised keeps its bounds as a normal window, to restore to, and
    // opens maximised again; a key the original program did not have.
    bool MainMaximized = false;
    int DialogLeft = 192;
    int DialogTop = 107;
    int FolderPanelWidth = 160;
    std::array<int, kFileListColumns> ColumnWidths{64, 64, 64, 64, 64, 64, 64};
    // Which widths came from the file; the others are chosen to fit their texts.
    std::array<bool, kFileListColumns> ColumnWidthKept{};
    std::filesystem::path SearchFolder;
    std::filesystem::path DestFolder;
    std::filesystem::path LastSettingsFile;
    int FilterIndex = 0;
    // Whether the preview pane beside the file list shows; a key the original program
    // did not have.
    bool PreviewVisible = true;
};

// The design values, with the home folder as the search folder.
WindowState DefaultWindowState(const std::filesystem::path& homeFolder);

// Takes every key that is present (not empty) over the values already there. Numbers are read
// leniently: a value that is not wholly an integer counts as 0.
void ReadWindowState(const ProfileDocument& file, WindowState& state);
// Sets every window key, in the order the program has always written them.
void WriteWindowState(ProfileDocument& file, const WindowState& state);

struct ScreenRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// Window bounds that can be reached: a state file written with a larger or another monitor
// must not put the window, or its title bar, out of sight. The window goes onto the screen
// it overlaps most (the first screen when it overlaps none), shrunk to fit and moved in as
// far as needed. Without screens the bounds stay as they are.
ScreenRect KeepOnScreen(const ScreenRect& frame, const std::vector<ScreenRect>& screens);

// The main window at its first start: as large as its content asks (every column of the list
// and the preview), within the work area of the screen, and centred on it.
ScreenRect FirstStartFrame(int wantedWidth, int wantedHeight, const ScreenRect& workArea);

}  // namespace tolvane
