#include "frontend/window_state.h"

#include <algorithm>
#include <cstdint>

#include "conversion/app_paths.h"
#include "formats/utf8_path.h"
#include "frontend/path_text.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace tolvane {

namespace {

// Folder paths were limited to 511 bytes on Windows; Linux paths may be far longer, and a path
// cut short names another folder.
constexpr size_t kPathBuffer = 4096;

void ReadNumber(const ProfileDocument& file, const char* section, const std::string& key, int& value) {
    const auto [present, text] = file.Get(section, key, kNumberValueBuffer);
    if (present) value = ParseInt(text);
}

void ReadPath(const ProfileDocument& file, const char* section, const char* key, std::filesystem::path& value) {
    const auto [present, text] = file.Get(section, key, kPathBuffer);
    if (present) value = PathFromUtf8(text);
}

// A line break inside a value would break the file; such a path (legal on Linux) is not kept.
std::string KeepableText(const std::filesystem::path& path) {
    const std::string text = Utf8FromPath(path);
    return text.find_first_of("\r\n") == std::string::npos ? text : std::string();
}

}  // namespace

ProgramPaths DefaultProgramPaths() {
    ProgramPaths paths;
    paths.HomeFolder = AsFolder(HomeFolderPath());
    paths.StateFile = WindowStateFilePath();
    paths.ImageFolder = ImageFolderPath();
    return paths;
}

WindowState DefaultWindowState(const std::filesystem::path& homeFolder) {
    WindowState state;
    state.SearchFolder = homeFolder;
    return state;
}

void ReadWindowState(const ProfileDocument& file, WindowState& state) {
    for (const char* key : {"F1_X", "F1_Y", "F1_W", "F1_H"})
        state.MainBoundsKept = file.Get("Form", key, kNumberValueBuffer).first || state.MainBoundsKept;
    ReadNumber(file, "Form", "F1_X", state.MainLeft);
    ReadNumber(file, "Form", "F1_Y", state.MainTop);
    ReadNumber(file, "Form", "F1_W", state.MainWidth);
    ReadNumber(file, "Form", "F1_H", state.MainHeight);
    ReadNumber(file, "Form", "F3_X", state.DialogLeft);
    ReadNumber(file, "Form", "F3_Y", state.DialogTop);
    int maximized = state.MainMaximized ? 1 : 0;
    ReadNumber(file, "Form", "F1_MAX", maximized);
    state.MainMaximized = maximized != 0;
    ReadNumber(file, "Comp", "F1P1", state.FolderPanelWidth);
    for (int column = 0; column < kFileListColumns; ++column) {
        const std::string key = "F1S" + std::to_string(column);
        state.ColumnWidthKept[column] = file.Get("Comp", key, kNumberValueBuffer).first || state.ColumnWidthKept[column];
        ReadNumber(file, "Comp", key, state.ColumnWidths[column]);
    }
    ReadPath(file, "Set", "FLD1", state.SearchFolder);
    ReadPath(file, "Set", "FLD2", state.DestFolder);
    ReadPath(file, "Set", "FNAM", state.LastSettingsFile);
    ReadNumber(file, "Set", "FTYP", state.FilterIndex);
    int preview = state.PreviewVisible ? 1 : 0;
    ReadNumber(file, "Set", "PREVIEW", preview);
    state.PreviewVisible = preview != 0;
}

void WriteWindowState(ProfileDocument& file, const WindowState& state) {
    file.Set("Form", "F1_X", std::to_string(state.MainLeft));
    file.Set("Form", "F1_Y", std::to_string(state.MainTop));
    file.Set("Form", "F1_W", std::to_string(state.MainWidth));
    file.Set("Form", "F1_H", std::to_string(state.MainHeight));
    file.Set("Form", "F3_X", std::to_string(state.DialogLeft));
    file.Set("Form", "F3_Y", std::to_string(state.DialogTop));
    file.Set("Form", "F1_MAX", state.MainMaximized ? "1" : "0");
    file.Set("Comp", "F1P1", std::to_string(state.FolderPanelWidth));
    for (int column = 0; column < kFileListColumns; ++column) {
        file.Set("Comp", "F1S" + std::to_string(column), std::to_string(state.ColumnWidths[column]));
    }
    file.Set("Set", "FLD1", KeepableText(state.SearchFolder));
    file.Set("Set", "FLD2", KeepableText(state.DestFolder));
    file.Set("Set", "FNAM", KeepableText(state.LastSettingsFile));
    file.Set("Set", "FTYP", std::to_string(state.FilterIndex));
    file.Set("Set", "PREVIEW", state.PreviewVisible ? "1" : "0");
}

ScreenRect KeepOnScreen(const ScreenRect& frame, const std::vector<ScreenRect>& screens) {
    if (screens.empty()) return frame;
    const auto overlap = [&frame](const ScreenRect& screen) {
        const int64_t width = std::min<int64_t>(int64_t{frame.Left} + frame.Width, int64_t{screen.Left} + screen.Width) -
                              std::max(frame.Left, screen.Left);
        const int64_t height = std::min<int64_t>(int64_t{frame.Top} + frame.Height, int64_t{screen.Top} + screen.Height) -
                               std::max(frame.Top, screen.Top);
        return width > 0 && height > 0 ? width * height : int64_t{0};
    };
    const ScreenRect* best = &screens.front();
    for (const ScreenRect& screen : screens)
        if (overlap(screen) > overlap(*best)) best = &screen;
    ScreenRect kept = frame;
    kept.Width = std::clamp(frame.Width, 0, std::max(0, best->Width));
    kept.Height = std::clamp(frame.Height, 0, std::max(0, best->Height));
    kept.Left = std::clamp(frame.Left, best->Left, best->Left + std::max(0, best->Width) - kept.Width);
    kept.Top = std::clamp(frame.Top, best->Top, best->Top + std::max(0, best->Height) - kept.Height);
    return kept;
}

ScreenRect FirstStartFrame(int wantedWidth, int wantedHeight, const ScreenRect& workArea) {
    ScreenRect frame;
    frame.Width = std::clamp(wantedWidth, 0, std::max(0, workArea.Width));
    frame.Height = std::clamp(wantedHeight, 0, std::max(0, workArea.Height));
    frame.Left = workArea.Left + (std::max(0, workArea.Width) - frame.Width) / 2;
    frame.Top = workArea.Top + (std::max(0, workArea.Height) - frame.Height) / 2;
    return frame;
}

}  // namespace tolvane
