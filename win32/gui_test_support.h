// What the GUI tests share: the frontend's scripted platform, which answers instead of
// showing modal windows; pumping the message queue, the example files, and screenshots.
#pragma once

#include <cstdint>
#include <functional>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "frontend/scripted_platform.h"

namespace tolvane::win32::testing {

using ScriptedPlatform = tolvane::testing::ScriptedPlatform;

// Runs what waits in the thread's queue (paints, posted work), without waiting for more.
void PumpMessages();
// Runs the queue until the condition holds; false after the seconds without it.
bool PumpUntil(const std::function<bool()>& done, int seconds = 20);

std::filesystem::path ExamplesFolder();

// A window's pixels as it shows them, frame included, top row first, 0x00RRGGBB.
struct Capture {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;
    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)]; }
};
Capture CaptureWindow(HWND window);
// Saved as PNG (GDI+'s encoder) under TOLVANE_SCREENSHOT_DIR, when it is set.
void SaveScreenshot(HWND window, const char* name);

}  // namespace tolvane::win32::testing
