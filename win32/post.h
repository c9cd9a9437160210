// Hands work from a worker thread to the thread of a window: the function goes to the heap,
// its address through PostMessage, and the window's procedure runs it there. A window that is
// destroyed frees what was still queued for it without running it.
#pragma once

#include <functional>

#include <windows.h>

namespace tolvane::win32 {

inline constexpr UINT kPostedWork = WM_APP + 0x100;

// The post function a worker takes: false when the window is gone (the work is dropped).
std::function<bool(std::function<void()>)> PostTo(HWND window);

// For the window procedure of every Window (window.cpp).
void RunPosted(LPARAM work);
void DropPosted(HWND window);

}  // namespace tolvane::win32
