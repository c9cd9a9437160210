// What the desktop program asks of the platform: modal message boxes, the beep, folder and
// file choices, the Escape key, opening a file with its application, repainting at once and
// letting pending events through. The windows use nothing else, so that the tests can put a
// scripted fake in place of the real one and never block on a modal box.
#pragma once

#include <optional>
#include <vector>

#include <QMargins>
#include <QRect>
#include <QString>

class QWidget;

namespace tolvane {

enum class MessageKind { Error, Information, Confirmation };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct FileChoice {
    QString Title;
    QString InitialFolder;
    QString InitialName;
    QString Filter;         // as a file dialog takes it, e.g. "設定ファイル(*.set)"
    QString DefaultSuffix;  // without the dot
};

class Platform {
public:
    virtual ~Platform() = default;

    virtual MessageAnswer ShowMessage(QWidget* parent, MessageKind kind, const QString& text, MessageButtons buttons) = 0;
    virtual void Beep() = 0;
    // A folder, or nothing when the user cancels.
    virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& title, const QString& initialFolder) = 0;
    // A file to save to (the user was asked before an existing file is overwritten).
    virtual std::optional<QString> ChooseSaveFile(QWidget* parent, const FileChoice& choice) = 0;
    // An existing file to open.
    virtual std::optional<QString> ChooseOpenFile(QWidget* parent, const FileChoice& choice) = 0;
    // Whether the Escape key is down at this moment.
    virtual bool IsEscapeDown() = 0;
    virtual void OpenWithAssociatedApplication(const QString& path) = 0;
    // Repaints the widget at once, while the program is busy.
    virtual void RepaintNow(QWidget* widget) = 0;
    // Lets pending window events through (repaints, the Escape key).
    virtual void ProcessPendingEvents() = 0;
    // The window manager's frame around a top-level window's client area: left, top (with the
    // title bar), right, bottom. Null until the window manager has framed the window, and
    // always without a window manager.
    virtual QMargins FrameMargins(const QWidget* window) = 0;
    // The areas of the screens that windows may take, the primary screen first.
    virtual std::vector<QRect> ScreenAreas() = 0;
};

// Qt's own texts (the buttons of message boxes, the folder chooser) in Japanese, as the
// program's own texts are whatever the locale. False, and Qt's texts stay English, when Qt's
// translations are not installed.
bool InstallQtJapanese();

// The real platform: QMessageBox, QApplication::beep, QFileDialog, an application-wide event
// filter that tracks the Escape key, QDesktopServices.
Platform& RealPlatform();

}  // namespace tolvane
