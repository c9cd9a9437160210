// Test support: a platform that records what the windows show and gives the answers a test
// scripted, so that no test waits on a modal box or a file dialog; and a post function whose
// queue a test runs when it chooses.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "formats/utf8_path.h"
#include "frontend/platform.h"

namespace tolvane::testing {

// Base is Platform, or a front end's platform that adds calls of its own.
template <class Base = Platform>
class ScriptedPlatformOf : public Base {
public:
    // What happened, in order: "beep", "message:<text>", "folder:<title>", "save:<title>",
    // "open:<title>", "shell:<path>".
    std::vector<std::string> Log;
    std::vector<Message> Messages;
    std::vector<FileChoice> FileChoices;
    std::vector<std::filesystem::path> Opened;
    int Beeps = 0;

    // Answers to Yes/No questions, first in first out; Yes when none is left.
    std::deque<MessageAnswer> Answers;
    // Folders and files to choose, first in first out; a cancelled choice when none is left or
    // the entry is empty.
    std::deque<std::optional<std::filesystem::path>> Folders;
    std::deque<std::optional<std::filesystem::path>> Files;
    // The Escape key is down from this poll on (counting from 1); never when 0.
    int EscapeFromPoll = 0;
    int EscapePolls = 0;
    // Whether a file manager or an associated application is there.
    bool CanOpen = true;

    MessageAnswer ShowMessage(const Message& message) override {
        Log.push_back("message:" + message.Text);
        Messages.push_back(message);
        if (message.Buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        if (Answers.empty()) return MessageAnswer::Yes;
        const MessageAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void Beep() override {
        Log.push_back("beep");
        ++Beeps;
    }
    std::optional<std::filesystem::path> ChooseFolder(const std::string& title, const std::filesystem::path& initial) override {
        Log.push_back("folder:" + title);
        FileChoices.push_back({title, initial, {}, {}, {}, {}});
        return Next(Folders);
    }
    std::optional<std::filesystem::path> ChooseSaveFile(const FileChoice& choice) override {
        Log.push_back("save:" + choice.Title);
        FileChoices.push_back(choice);
        return Next(Files);
    }
    std::optional<std::filesystem::path> ChooseOpenFile(const FileChoice& choice) override {
        Log.push_back("open:" + choice.Title);
        FileChoices.push_back(choice);
        return Next(Files);
    }
    bool IsEscapeDown() override {
        ++EscapePolls;
        return EscapeFromPoll > 0 && EscapePolls >= EscapeFromPoll;
    }
    bool OpenWithAssociatedApplication(const std::filesystem::path& path) override {
        Log.push_back("shell:" + Utf8FromPath(path));
        Opened.push_back(path);
        return CanOpen;
    }

private:
    static std::optional<std::filesystem::path> Next(std::deque<std::optional<std::filesystem::path>>& queue) {
        if (queue.empty()) return std::nullopt;
        std::optional<std::filesystem::path> next = queue.front();
        queue.pop_front();
        return next;
    }
};

using ScriptedPlatform = ScriptedPlatformOf<>;

// The window's thread as a queue: workers post into it from any thread; the test runs what
// arrived, or waits for something to arrive.
class PostQueue {
public:
    Post Poster() {
        return [this](std::function<void()> function) {
            const std::lock_guard lock(mutex_);
            queue_.push_back(std::move(function));
            arrived_.notify_all();
        };
    }
    // Runs everything posted so far; false when nothing was there.
    bool RunPending() {
        std::deque<std::function<void()>> ready;
        {
            const std::lock_guard lock(mutex_);
            ready.swap(queue_);
        }
        for (std::function<void()>& function : ready) function();
        return !ready.empty();
    }
    // Runs what is posted until the condition holds; false after ten seconds without it.
    bool RunUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            {
                std::unique_lock lock(mutex_);
                if (!arrived_.wait_until(lock, deadline, [this] { return !queue_.empty(); })) return done();
            }
            RunPending();
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace tolvane::testing
