// What the windows ask of the system they run on: modal message boxes, the beep, folder and
// file choices, the Escape key, opening a file or folder with the application the system
// associates with it, and the order of folder names. The Qt program and the Windows program
// each implement it; tests put a scripted fake in its place, so that no test waits on a modal
// box. Texts are UTF-8; paths are paths.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// Error and information boxes have an OK button; a confirmation asks with Yes and No.
enum class MessageKind { Error, Information, Confirmation };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct Message {
    MessageKind Kind = MessageKind::Information;
    std::string Text;
    MessageButtons Buttons = MessageButtons::Ok;
    bool operator==(const Message&) const = default;
};

struct FileChoice {
    std::string Title;
    std::filesystem::path InitialFolder;
    std::filesystem::path InitialName;
    std::string FilterName;     // "設定ファイル(*.set)"
    std::string Pattern;        // "*.set"
    std::string DefaultSuffix;  // "set", without the dot
    bool operator==(const FileChoice&) const = default;
};

class Platform {
public:
    virtual ~Platform() = default;

    // A box over the program's active window.
    virtual MessageAnswer ShowMessage(const Message& message) = 0;
    virtual void Beep() = 0;
    // A folder, or nothing when the user cancels.
    virtual std::optional<std::filesystem::path> ChooseFolder(const std::string& title,
                                                              const std::filesystem::path& initialFolder) = 0;
    // A file to save to; the user was asked before an existing file is overwritten.
    virtual std::optional<std::filesystem::path> ChooseSaveFile(const FileChoice& choice) = 0;
    // An existing file to open.
    virtual std::optional<std::filesystem::path> ChooseOpenFile(const FileChoice& choice) = 0;
    // Whether the Escape key is down at this moment, for loops on the window's thread.
    virtual bool IsEscapeDown() = 0;
    // A file with its application, a folder in the file manager; false when nothing opened it.
    virtual bool OpenWithAssociatedApplication(const std::filesystem::path& path) = 0;
    // The order of folder names in the folder tree: the user's locale where the system has
    // one for names; by default the order of the file list (FileNameLess).
    virtual bool FolderNameLess(std::string_view a, std::string_view b);
};

// Hands a function to the window's thread, to run there after the events already waiting.
// Workers report through it and never touch a window themselves. Qt posts with
// QMetaObject::invokeMethod, Windows with PostMessage.
using Post = std::function<void(std::function<void()>)>;

}  // namespace tolvane
