// What the GUI tests share: a platform that answers from a script instead of showing modal
// windows, pumping the message queue, the example files, and screenshots.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "win32/platform.h"

namespace tolvane::win32::testing {

class ScriptedPlatform : public Platform {
public:
    struct Message {
        MessageKind Kind;
        std::wstring Text;
        MessageButtons Buttons;
    };
    std::vector<Message> Messages;
    std::vector<FileChoice> FileChoices;
    int Beeps = 0;
    // Answers to Yes/No questions, first in first out; Yes when none is left.
    std::deque<MessageAnswer> Answers;
    // Folders and files to choose, first in first out; a cancelled chooser when none is left.
    std::deque<std::filesystem::path> Folders;
    std::deque<std::filesystem::path> Files;

    MessageAnswer ShowMessage(HWND, MessageKind kind, std::wstring_view text, MessageButtons buttons) override {
        Messages.push_back({kind, std::wstring(text), buttons});
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        if (Answers.empty()) return MessageAnswer::Yes;
        const MessageAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void Beep() override { ++Beeps; }
    std::optional<std::filesystem::path> ChooseFolder(HWND, std::wstring_view, const std::filesystem::path&) override {
        return Next(Folders);
    }
    std::optional<std::filesystem::path> ChooseOpenFile(HWND, const FileChoice& choice) override {
        FileChoices.push_back(choice);
        return Next(Files);
    }
    std::optional<std::filesystem::path> ChooseSaveFile(HWND, const FileChoice& choice) override {
        FileChoices.push_back(choice);
        return Next(Files);
    }

private:
    static std::optional<std::filesystem::path> Next(std::deque<std::filesystem::path>& queue) {
        if (queue.empty()) return std::nullopt;
        std::filesystem::path next = queue.front();
        queue.pop_front();
        return next;
    }
};

// Runs what waits in the thread's queue (paints, posted work), without waiting for more.
void PumpMessages();

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
