// The platform of the Qt program: QMessageBox, QApplication::beep, QFileDialog, an
// application-wide filter that tracks the Escape key, QDesktopServices and QCollator; and what
// a Qt window asks of the window system, which tests script too.
#pragma once

#include <vector>

#include <QMargins>
#include <QRect>

#include "frontend/platform.h"

class QWidget;

namespace tolvane {

class QtPlatform : public Platform {
public:
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

QtPlatform& RealPlatform();

}  // namespace tolvane
