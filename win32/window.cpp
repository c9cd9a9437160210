#include "win32/window.h"

#include <commctrl.h>

#include "win32/post.h"
#include "win32/resource_ids.h"

namespace tolvane::win32 {

namespace {

bool RegisterOnce(const wchar_t* className) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, className, &existing)) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    // The test program has no icon of its own; the system's stands in.
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TOLVANE));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOLVANE), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

Window::~Window() {
    postTarget_->store(nullptr);
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Window::CreateAs(const wchar_t* className, DWORD style, DWORD exStyle, const wchar_t* title, int x, int y,
                      int width, int height, HWND parent, HMENU menu) {
    if (!RegisterOnce(className)) return false;
    // The class's procedure is the default one; the window gets ours here, so that one
    // registration serves any object.
    HWND window = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return false;
    hwnd_ = window;
    postTarget_->store(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::Procedure));
    // The messages of creation went to the default procedure; a size message brings the
    // layout up to date.
    RECT client{};
    GetClientRect(window, &client);
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    return true;
}

Post Window::Poster() const {
    return [target = postTarget_](std::function<void()> work) {
        if (const HWND window = target->load()) PostTo(window)(std::move(work));
    };
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kPostedWork) {
        RunPosted(lParam);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        if (self) self->postTarget_->store(nullptr);
        DropPosted(window);
        if (self) {
            self->hwnd_ = nullptr;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

namespace {

// A drop-down list that is open takes its own keys (Escape closes it).
bool DroppedDown(HWND window) {
    wchar_t name[16] = {};
    return GetClassNameW(window, name, 16) && lstrcmpiW(name, WC_COMBOBOXW) == 0 &&
           SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void Dispatch(MSG& message, HWND mainWindow, HACCEL accelerators) {
    const HWND top = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    // The main window's keys act in the main window only, not in a dialog or a list it owns.
    if (accelerators && mainWindow && top == mainWindow && !DroppedDown(message.hwnd) &&
        TranslateAcceleratorW(mainWindow, accelerators, &message))
        return;
    if (top && IsDialogMessageW(top, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace

int RunMessageLoop(HWND mainWindow, HACCEL accelerators) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message, mainWindow, accelerators);
    return static_cast<int>(message.wParam);
}

void RunModalLoop(HWND window, HWND owner, const bool& done) {
    const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
    MSG message{};
    while (!done && IsWindow(window)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        Dispatch(message, nullptr, nullptr);
    }
    if (owner && ownerWasEnabled) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

}  // namespace tolvane::win32
