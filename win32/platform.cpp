#include "win32/platform.h"

#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>

#include "frontend/texts.h"
#include "win32/text.h"

namespace tolvane::win32 {

namespace {

namespace fs = std::filesystem;

template <typename T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
};

// Boxes and choosers belong to the window the user works in: the settings dialog while it
// shows, else the main window.
HWND Owner() {
    return GetActiveWindow();
}

void OpenIn(IFileDialog* dialog, const fs::path& folder) {
    if (folder.empty()) return;
    ComPtr<IShellItem> item;
    if (SUCCEEDED(SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_PPV_ARGS(&item.p)))) dialog->SetFolder(item.p);
}

std::optional<fs::path> Result(IFileDialog* dialog) {
    if (FAILED(dialog->Show(Owner()))) return std::nullopt;
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(&item.p))) return std::nullopt;
    PWSTR name = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &name))) return std::nullopt;
    fs::path chosen(name);
    CoTaskMemFree(name);
    return chosen;
}

std::optional<fs::path> ChooseFile(const FileChoice& choice, bool save) {
    ComPtr<IFileDialog> dialog;
    if (FAILED(CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                save ? IID_IFileSaveDialog : IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog.p))))
        return std::nullopt;
    const std::wstring title = Wide(choice.Title), filterName = Wide(choice.FilterName), pattern = Wide(choice.Pattern),
                       suffix = Wide(choice.DefaultSuffix);
    dialog->SetTitle(title.c_str());
    const COMDLG_FILTERSPEC filter[] = {{filterName.c_str(), pattern.c_str()}};
    dialog->SetFileTypes(1, filter);
    dialog->SetDefaultExtension(suffix.c_str());
    if (!choice.InitialName.empty()) dialog->SetFileName(choice.InitialName.c_str());
    OpenIn(dialog.p, choice.InitialFolder);
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | (save ? FOS_OVERWRITEPROMPT : FOS_FILEMUSTEXIST));
    return Result(dialog.p);
}

UINT IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error: return MB_ICONERROR;
        case MessageKind::Confirmation: return MB_ICONQUESTION;
        case MessageKind::Information: return MB_ICONINFORMATION;
    }
    return MB_ICONINFORMATION;
}

class System final : public Platform {
public:
    MessageAnswer ShowMessage(const Message& message) override {
        const bool yesNo = message.Buttons == MessageButtons::YesNo;
        const int answer = MessageBoxW(Owner(), Wide(message.Text).c_str(), Wide(main_text::kProgramName).c_str(),
                                       IconOf(message.Kind) | (yesNo ? MB_YESNO : MB_OK));
        if (!yesNo) return MessageAnswer::Ok;
        return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
    }

    void Beep() override { MessageBeep(MB_OK); }

    std::optional<fs::path> ChooseFolder(const std::string& title, const fs::path& initialFolder) override {
        ComPtr<IFileDialog> dialog;
        if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                    reinterpret_cast<void**>(&dialog.p))))
            return std::nullopt;
        const std::wstring wideTitle = Wide(title);
        dialog->SetTitle(wideTitle.c_str());
        FILEOPENDIALOGOPTIONS options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        OpenIn(dialog.p, initialFolder);
        return Result(dialog.p);
    }

    std::optional<fs::path> ChooseSaveFile(const FileChoice& choice) override { return ChooseFile(choice, true); }
    std::optional<fs::path> ChooseOpenFile(const FileChoice& choice) override { return ChooseFile(choice, false); }

    // The key as it is at this moment, not as the message queue has it.
    bool IsEscapeDown() override { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0; }

    bool OpenWithAssociatedApplication(const fs::path& path) override {
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(Owner(), L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
    }

    bool FolderNameLess(std::string_view a, std::string_view b) override {
        const std::wstring wideA = Wide(a), wideB = Wide(b);
        return CompareStringEx(LOCALE_NAME_USER_DEFAULT, 0, wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                               static_cast<int>(wideB.size()), nullptr, nullptr, 0) == CSTR_LESS_THAN;
    }
};

}  // namespace

Platform& SystemPlatform() {
    static System platform;
    return platform;
}

}  // namespace tolvane::win32
