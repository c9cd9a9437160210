// What the windows ask of the user through the system: message boxes, the beep, the folder
// and file choosers. An interface, so that the GUI test answers with a script instead of a
// modal window. (The portable interface with plain types that frontend/ is to get will take
// its place; this one has only what the windows of this phase need.)
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <windows.h>

namespace tolvane::win32 {

enum class MessageKind { Information, Error, Confirmation };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct FileChoice {
    std::wstring Title;
    std::filesystem::path Folder;  // where the chooser opens
    std::wstring Name;             // the name it proposes
    std::wstring FilterName;       // "設定ファイル(*.set)"
    std::wstring FilterPattern;    // "*.set"
    std::wstring DefaultExtension; // "set"
};

class Platform {
public:
    virtual ~Platform() = default;
    virtual MessageAnswer ShowMessage(HWND owner, MessageKind kind, std::wstring_view text, MessageButtons buttons) = 0;
    virtual void Beep() = 0;
    virtual std::optional<std::filesystem::path> ChooseFolder(HWND owner, std::wstring_view title,
                                                              const std::filesystem::path& initialFolder) = 0;
    virtual std::optional<std::filesystem::path> ChooseOpenFile(HWND owner, const FileChoice& choice) = 0;
    virtual std::optional<std::filesystem::path> ChooseSaveFile(HWND owner, const FileChoice& choice) = 0;
};

// MessageBoxW, MessageBeep and the system's file dialogs (IFileOpenDialog, IFileSaveDialog).
Platform& SystemPlatform();

}  // namespace tolvane::win32
