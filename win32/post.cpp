#include "win32/post.h"

#include <memory>
#include <utility>

namespace tolvane::win32 {

std::function<bool(std::function<void()>)> PostTo(HWND window) {
    return [window](std::function<void()> work) {
        auto owned = std::make_unique<std::function<void()>>(std::move(work));
        if (!PostMessageW(window, kPostedWork, 0, reinterpret_cast<LPARAM>(owned.get()))) return false;
        owned.release();  // the window's procedure (or DropPosted) deletes it
        return true;
    };
}

void RunPosted(LPARAM work) {
    const std::unique_ptr<std::function<void()>> owned(reinterpret_cast<std::function<void()>*>(work));
    if (owned && *owned) (*owned)();
}

void DropPosted(HWND window) {
    MSG message{};
    while (PeekMessageW(&message, window, kPostedWork, kPostedWork, PM_REMOVE)) {
        // A quit request comes through any filter: it goes back for the message loop.
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        delete reinterpret_cast<std::function<void()>*>(message.lParam);
    }
}

}  // namespace tolvane::win32
