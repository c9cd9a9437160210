// The program entry: the application, the main window and the settings dialog, and the event
// loop until the main window closes.
//
// With TOLVANE_EXIT_AFTER_SHOW=1 the program prints the main window's title as soon as the
// window is on the screen and closes it again (the normal end, with the state file written);
// the start-up check of scripts/smoke-gui uses it.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "qt/settings_dialog.h"
#include "frontend/window_state.h"
#include "settings/conversion_settings.h"

namespace {

void ExitAfterShow(tolvane::MainWindow& form, int triesLeft) {
    if (form.windowHandle() && form.windowHandle()->isExposed()) {
        std::printf("%s\n", form.windowTitle().toUtf8().constData());
        std::fflush(stdout);
        form.close();
        return;
    }
    if (triesLeft == 0) {
        std::fprintf(stderr, "tolvane: the main window was not shown\n");
        QApplication::exit(1);
        return;
    }
    QTimer::singleShot(50, &form, [&form, triesLeft] { ExitAfterShow(form, triesLeft - 1); });
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    tolvane::InstallQtJapanese();

    tolvane::ConversionSettings settings;
    tolvane::ResetConversionSettings(settings);
    tolvane::MainWindow form(settings, tolvane::RealPlatform(), tolvane::DefaultProgramPaths());
    // The settings dialog is made hidden after the main window and lives as long as it.
    tolvane::SettingsDialog settingsDialog(settings, tolvane::RealPlatform(), &form);
    form.SetSettingsDialog(&settingsDialog);
    form.show();

    const char* exitAfterShow = std::getenv("TOLVANE_EXIT_AFTER_SHOW");
    if (exitAfterShow && std::strcmp(exitAfterShow, "1") == 0) {
        QTimer::singleShot(0, &form, [&form] { ExitAfterShow(form, 200); });
    }
    return QApplication::exec();
}
