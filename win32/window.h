// A window of our own class: registration once per class name, and a procedure that hands
// each message to the object that created the window. The message loops of the program and
// of a modal window, with accelerators and dialog navigation (Tab, Enter, Escape).
#pragma once

#include <atomic>
#include <memory>

#include <windows.h>

#include "frontend/platform.h"

namespace tolvane::win32 {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }
    // A post function for workers: the work runs on this window's thread, after the messages
    // already waiting; once the window is gone it is dropped.
    Post Poster() const;

protected:
    // Registers the class on first use (double clicks, the program's icon, the dialog colour)
    // and creates the window; from WM_NCCREATE on, its messages come to HandleMessage.
    bool CreateAs(const wchar_t* className, DWORD style, DWORD exStyle, const wchar_t* title, int x, int y, int width,
                  int height, HWND parent, HMENU menu);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd_, message, wParam, lParam); }

    HWND hwnd_ = nullptr;

private:
    // The window a worker posts to, shared with the post functions that outlive this object.
    std::shared_ptr<std::atomic<HWND>> postTarget_ = std::make_shared<std::atomic<HWND>>(nullptr);

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The program's loop until WM_QUIT: the accelerators of the main window first, then the
// dialog keys of whichever of our top-level windows the message is for.
int RunMessageLoop(HWND mainWindow, HACCEL accelerators);

// The loop of a modal window: its owner takes no input until done is set (by the window's own
// handlers) or the window is gone. A WM_QUIT met meanwhile is passed on to the outer loop.
void RunModalLoop(HWND window, HWND owner, const bool& done);

}  // namespace tolvane::win32
