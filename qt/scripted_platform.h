// A platform for the tests: records what the windows show and gives the answers the test
// scripted, so that no test ever waits on a modal box or a file dialog.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "qt/platform.h"

namespace tolvane::testing {

class ScriptedPlatform : public Platform {
public:
    struct Message {
        MessageKind Kind;
        QString Text;
        MessageButtons Buttons;
    };

    // What happened, in order: "beep", "message:<text>", "folder:<title>", "save:<title>",
    // "open:<title>", "shell:<path>".
    std::vector<QString> Log;
    std::vector<Message> Messages;
    std::vector<FileChoice> FileChoices;
    std::vector<QString> Opened;
    int Beeps = 0;
    int Repaints = 0;

    // Answers to Yes/No questions, first in first out; Yes when none is left.
    std::deque<MessageAnswer> Answers;
    // Folders and files to choose, first in first out; a cancelled dialog when none is left or
    // the entry is empty.
    std::deque<std::optional<QString>> Folders;
    std::deque<std::optional<QString>> Files;
    // The Escape key is down from this poll on (counting from 1); never when 0.
    int EscapeFromPoll = 0;
    int EscapePolls = 0;
    // The frame a window manager would put around the main window, and the screens.
    QMargins Frame;
    std::vector<QRect> Screens{QRect(0, 0, 1920, 1080)};

    MessageAnswer ShowMessage(QWidget*, MessageKind kind, const QString& text, MessageButtons buttons) override {
        Log.push_back("message:" + text);
        Messages.push_back({kind, text, buttons});
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        if (Answers.empty()) return MessageAnswer::Yes;
        const MessageAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void Beep() override {
        Log.push_back("beep");
        ++Beeps;
    }
    std::optional<QString> ChooseFolder(QWidget*, const QString& title, const QString& initialFolder) override {
        Log.push_back("folder:" + title);
        FileChoices.push_back({title, initialFolder, {}, {}, {}});
        return Next(Folders);
    }
    std::optional<QString> ChooseSaveFile(QWidget*, const FileChoice& choice) override {
        Log.push_back("save:" + choice.Title);
        FileChoices.push_back(choice);
        return Next(Files);
    }
    std::optional<QString> ChooseOpenFile(QWidget*, const FileChoice& choice) override {
        Log.push_back("open:" + choice.Title);
        FileChoices.push_back(choice);
        return Next(Files);
    }
    bool IsEscapeDown() override {
        ++EscapePolls;
        return EscapeFromPoll > 0 && EscapePolls >= EscapeFromPoll;
    }
    void OpenWithAssociatedApplication(const QString& path) override {
        Log.push_back("shell:" + path);
        Opened.push_back(path);
    }
    void RepaintNow(QWidget*) override { ++Repaints; }
    void ProcessPendingEvents() override {}
    QMargins FrameMargins(const QWidget*) override { return Frame; }
    std::vector<QRect> ScreenAreas() override { return Screens; }

private:
    static std::optional<QString> Next(std::deque<std::optional<QString>>& queue) {
        if (queue.empty() || !queue.front()) {
            if (!queue.empty()) queue.pop_front();
            return std::nullopt;
        }
        // Copied out as a plain QString: GCC's -O2 flow analysis sees an optional<QString>
        // copy as maybe-uninitialized.
        const QString next = *queue.front();
        queue.pop_front();
        return next;
    }
};

}  // namespace tolvane::testing
