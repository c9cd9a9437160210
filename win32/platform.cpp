#include "win32/platform.h"

#include <objbase.h>
#include <shobjidl.h>

namespace tolvane::win32 {

namespace {

// The caption of every message box is the program's name.
constexpr const wchar_t* kCaption = L"Tolvane";

template <typename T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
};

void OpenIn(IFileDialog* dialog, const std::filesystem::path& folder) {
    if (folder.empty()) return;
    ComPtr<IShellItem> item;
    if (SUCCEEDED(SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_PPV_ARGS(&item.p))))
        dialog->SetFolder(item.p);
}

std::optional<std::filesystem::path> Result(IFileDialog* dialog, HWND owner) {
    if (FAILED(dialog->Show(owner))) return std::nullopt;
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(&item.p))) return std::nullopt;
    PWSTR name = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &name))) return std::nullopt;
    std::filesystem::path chosen(name);
    CoTaskMemFree(name);
    return chosen;
}

std::optional<std::filesystem::path> ChooseFile(HWND owner, const FileChoice& choice, bool save) {
    ComPtr<IFileDialog> dialog;
    if (FAILED(CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                save ? IID_IFileSaveDialog : IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog.p))))
        return std::nullopt;
    dialog->SetTitle(choice.Title.c_str());
    const COMDLG_FILTERSPEC filter[] = {{choice.FilterName.c_str(), choice.FilterPattern.c_str()}};
    dialog->SetFileTypes(1, filter);
    dialog->SetDefaultExtension(choice.DefaultExtension.c_str());
    if (!choice.Name.empty()) dialog->SetFileName(choice.Name.c_str());
    OpenIn(dialog.p, choice.Folder);
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | (save ? FOS_OVERWRITEPROMPT : FOS_FILEMUSTEXIST));
    return Result(dialog.p, owner);
}

class System final : public Platform {
public:
    MessageAnswer ShowMessage(HWND owner, MessageKind kind, std::wstring_view text, MessageButtons buttons) override {
        const UINT icon = kind == MessageKind::Error         ? MB_ICONERROR
                          : kind == MessageKind::Confirmation ? MB_ICONQUESTION
                                                              : MB_ICONINFORMATION;
        const std::wstring copy(text);
        const int answer = MessageBoxW(owner, copy.c_str(), kCaption,
                                       icon | (buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK));
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
    }

    void Beep() override { MessageBeep(MB_OK); }

    std::optional<std::filesystem::path> ChooseFolder(HWND owner, std::wstring_view title,
                                                      const std::filesystem::path& initialFolder) override {
        ComPtr<IFileDialog> dialog;
        if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                    reinterpret_cast<void**>(&dialog.p))))
            return std::nullopt;
        const std::wstring copy(title);
        dialog->SetTitle(copy.c_str());
        FILEOPENDIALOGOPTIONS options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        OpenIn(dialog.p, initialFolder);
        return Result(dialog.p, owner);
    }

    std::optional<std::filesystem::path> ChooseOpenFile(HWND owner, const FileChoice& choice) override {
        return ChooseFile(owner, choice, false);
    }

    std::optional<std::filesystem::path> ChooseSaveFile(HWND owner, const FileChoice& choice) override {
        return ChooseFile(owner, choice, true);
    }
};

}  // namespace

Platform& SystemPlatform() {
    static System platform;
    return platform;
}

}  // namespace tolvane::win32
