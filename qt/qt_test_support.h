// Shared by the tests of the windows: a scripted platform with a window manager's frame and
// screens, a main window over temporary folders, and waiting for the window's workers.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include <QAbstractProxyModel>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QString>
#include <QTreeView>

#include "frontend/path_text.h"
#include "frontend/scripted_platform.h"
#include "qt/main_window.h"
#include "qt/models.h"
#include "qt/preview_pane.h"
#include "qt/qt_platform.h"
#include "qt/qt_text.h"
#include "settings/conversion_settings.h"
#include "testsupport/drawing_files.h"
#include "testsupport/test_files.h"

namespace tolvane::testing {

class ScriptedQtPlatform : public ScriptedPlatformOf<QtPlatform> {
public:
    QMargins Frame;
    std::vector<QRect> Screens{QRect(0, 0, 1920, 1080)};
    QMargins FrameMargins(const QWidget*) override { return Frame; }
    std::vector<QRect> ScreenAreas() override { return Screens; }
};

// Lets the window's events through until the condition holds, for at most ten seconds.
inline bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > 10000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline void Click(QWidget* widget, QPoint at, QEvent::Type type = QEvent::MouseButtonPress) {
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A main window whose home, state file and image folder lie in a temporary folder.
class WindowTest : public ::testing::Test {
protected:
    TempFolder Temp;
    std::filesystem::path Home = Temp.Path() / "home";
    ProgramPaths Paths{AsFolder(Home), Temp.Path() / "config" / "tolvane" / "tolvane.ini",
                       Temp.Path() / "cache" / "tolvane" / "TEMP" / ""};
    ConversionSettings Settings;
    ScriptedQtPlatform Platform;
    std::unique_ptr<MainWindow> Form;

    WindowTest() {
        std::filesystem::create_directories(Home);
        ResetConversionSettings(Settings);
    }

    MainWindow& Start() {
        Form = std::make_unique<MainWindow>(Settings, Platform, Paths);
        Form->show();
        return *Form;
    }
    MainSession& Session() { return Form->Session(); }

    void ChooseSearchFolder(const std::filesystem::path& folder) {
        Platform.Folders.push_back(folder);
        Form->MnuFileSFolderClick();
        ASSERT_TRUE(WaitFor([&] { return Session().State() != SessionState::Searching; }));
    }
    QModelIndex NodeIndex(const std::filesystem::path& folder) {
        return static_cast<FolderTreeModel*>(Form->folderTree->model())->IndexOf(Session().Tree().NodeOf(folder));
    }
    // The node of the folder made current, and clicked: its files are listed.
    void ClickFolder(const std::filesystem::path& folder) {
        Form->folderTree->setCurrentIndex(NodeIndex(folder));
        Form->TreeView1Click();
    }
    QString Status() const { return Form->statusLabel->text(); }
    QAbstractProxyModel* List() const { return static_cast<QAbstractProxyModel*>(Form->fileList->model()); }
    // The rows of the list (indexes into the session's rows) in the order shown.
    std::vector<size_t> ShownRows() const {
        std::vector<size_t> rows;
        for (int row = 0; row < List()->rowCount(); ++row)
            rows.push_back(static_cast<size_t>(List()->mapToSource(List()->index(row, 0)).row()));
        return rows;
    }
    std::vector<std::string> ShownNames() {
        std::vector<std::string> names;
        for (const size_t row : ShownRows()) names.push_back(Session().Rows()[row].Name);
        return names;
    }
    // Selects the rows shown at these places, as the user does, the first one current.
    void SelectShownRows(int first, int last) {
        Form->fileList->setCurrentIndex(List()->index(first, 0));
        Form->fileList->selectionModel()->select(QItemSelection(List()->index(first, 0), List()->index(last, 6)),
                                                 QItemSelectionModel::ClearAndSelect);
    }
};

}  // namespace tolvane::testing
