// The main window's wiring: each control reaches its handler and the session, and the window
// shows what the session tells it. The rules themselves are tested in frontend/.
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include "formats/utf8_path.h"
#include "frontend/texts.h"
#include "qt/display_painter.h"
#include "qt/models.h"
#include "qt/preview_pane.h"
#include "qt/qt_test_support.h"
#include "qt/inspect_window.h"
#include "qt/results_window.h"
#include "qt/settings_dialog.h"
#include "settings/profile.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

QAction* MenuAction(QWidget* window, std::string_view text) {
    for (QAction* action : window->findChildren<QAction*>())
        if (action->text() == ToQString(text)) return action;
    return nullptr;
}

void Key(QWidget* widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

class MainWindowTest : public WindowTest {
protected:
    fs::path Drawings = Home / "drawings";
    fs::path Dest = Home / "out";
    MainWindowTest() {
        fs::create_directories(Drawings);
        fs::create_directories(Dest);
    }
};

// The mouse and the menus reach the handlers: the search-folder field opens the folder
// choice, a click in the tree lists the folder, a header sorts and the selection stays with
// its file, Home and End go to the first and last file, a double click opens the file, the
// filter menu and box refill the list.
TEST_F(MainWindowTest, ControlsReachTheSession) {
    const std::vector<std::pair<const char*, size_t>> files = {{"b.jww", 30}, {"a.jww", 10}, {"c.jws", 20}, {"d.txt", 5}};
    for (const auto& [name, size] : files) WriteFile(Drawings / name, std::string(size, 'x'));
    Start();
    Platform.Folders.push_back(Home);
    Click(Form->searchFolderEdit, {5, 5});
    ASSERT_TRUE(WaitFor([&] { return Session().TreeReady(); }));
    EXPECT_EQ(Form->searchFolderEdit->text(), ToQString(FolderText(Home)));

    const QRect node = Form->folderTree->visualRect(NodeIndex(Drawings));
    ASSERT_TRUE(node.isValid());
    Click(Form->folderTree->viewport(), node.center());
    Click(Form->folderTree->viewport(), node.center(), QEvent::MouseButtonRelease);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"a.jww", "b.jww", "c.jws", "d.txt"}));
    EXPECT_EQ(Status(), ToQString("4 Files  パス名「" + FolderText(Drawings) + "」"));

    SelectShownRows(1, 1);  // b.jww
    QHeaderView* header = Form->fileList->horizontalHeader();
    const QPoint sizeHeader(header->sectionViewportPosition(1) + 5, header->height() / 2);
    Click(header->viewport(), sizeHeader);
    Click(header->viewport(), sizeHeader, QEvent::MouseButtonRelease);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"d.txt", "a.jww", "c.jws", "b.jww"}));
    const QModelIndexList selected = Form->fileList->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), 3);

    Key(Form->fileList, Qt::Key_Home);
    EXPECT_EQ(Form->fileList->currentIndex().row(), 0);
    Key(Form->fileList, Qt::Key_End);
    EXPECT_EQ(Form->fileList->currentIndex().row(), 3);
    Click(Form->fileList->viewport(), {5, 5}, QEvent::MouseButtonDblClick);
    EXPECT_EQ(Platform.Opened, std::vector<fs::path>{Drawings / "b.jww"});

    MenuAction(Form.get(), main_text::kFilterMenuItems[2])->trigger();
    EXPECT_EQ(Form->fileTypeCombo->currentIndex(), 2);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"a.jww", "b.jww"}));
    Form->fileTypeCombo->setCurrentIndex(3);
    EXPECT_EQ(ShownNames(), std::vector<std::string>{"c.jws"});

    // An empty folder shows no row at all.
    fs::create_directories(Home / "empty");
    ChooseSearchFolder(Home);
    ClickFolder(Home / "empty");
    EXPECT_EQ(Form->fileList->model()->rowCount(), 0);

    // The settings menu: the dialog opens modally, counting the selected drawings (here no
    // drawing at all: every count 0); a file saved and opened again.
    ChooseSearchFolder(Home);
    ClickFolder(Drawings);
    SelectShownRows(0, 0);
    SettingsDialog dialog(Settings, Platform, Form.get());
    int shown = 0;
    QString counted;
    QObject::connect(&dialog, &QDialog::finished, [&] { ++shown; });
    Form->SetSettingsDialog(&dialog);
    QTimer::singleShot(0, &dialog, [&] {
        WaitFor([&] { return !dialog.colorGrid->Text(1, dialog.colorGrid->UsageColumn()).isEmpty(); });
        counted = dialog.colorGrid->Text(1, dialog.colorGrid->UsageColumn());
        dialog.reject();
    });
    Form->settingsButton->click();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(counted, "0");
    Settings.ColorTable[2] = 7;
    Platform.Files = {Home / "a.set", Home / "a.set"};
    MenuAction(Form.get(), main_text::kMenuSaveSettings)->trigger();
    Settings.ColorTable[2] = 0;
    MenuAction(Form.get(), main_text::kMenuOpenSettings)->trigger();
    EXPECT_EQ(Settings.ColorTable[2], 7);

    // Exit asks; No keeps the window.
    Platform.Answers.push_back(MessageAnswer::No);
    MenuAction(Form.get(), main_text::kMenuExit)->trigger();
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Platform.Messages.back().Text, main_text::kAskExit);
}

// A run from the window: the progress shows while it goes and a refused click in the tree
// leaves the highlight where it was; at the end the results window lists every file with the
// failure in red, copies and saves the list and opens the destination, as does a click on the
// status text.
TEST_F(MainWindowTest, RunAndResults) {
    WriteDrawing(Drawings / "a.jww", 420);
    WriteFile(Drawings / "b.jww", std::string("not a drawing"));
    WriteDrawing(Drawings / "c.jww", 420);
    fs::create_directories(Home / "other");
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Drawings);
    Platform.Folders.push_back(Dest);
    Form->browseButton->click();
    EXPECT_EQ(Form->destinationEdit->text(), ToQString(FolderText(Dest)));
    SelectShownRows(0, 2);
    Session().Run().Jobs = 1;
    std::atomic<bool> held = false, release = false;
    Session().Run().WorkerStarted = [&](size_t index) {
        if (index != 0) return;
        held = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    Form->convertButton->click();
    ASSERT_TRUE(WaitFor([&] { return held && Form->runFileLabel->text().contains("a.jww"); }));
    EXPECT_TRUE(Form->runProgress->isVisible() && Form->stopButton->isEnabled());
    EXPECT_EQ(Form->runProgress->maximum(), 3);
    Form->folderTree->setCurrentIndex(NodeIndex(Home / "other"));
    Form->TreeView1Click();
    EXPECT_EQ(Form->folderTree->currentIndex(), NodeIndex(Drawings));
    EXPECT_EQ(Status(), ToQString(main_text::kBusyConverting));
    release = true;
    ASSERT_TRUE(WaitFor([&] { return !Session().Run().Running(); }));
    EXPECT_FALSE(Form->runProgress->isVisible());

    EXPECT_EQ(Status(), QStringLiteral("変換作業を完了しました。（変換：2件　スキップ：0件　失敗：1件）"));
    ResultsWindow* results = Form->resultsWindow;
    ASSERT_NE(results, nullptr);
    EXPECT_TRUE(results->isVisible());
    ASSERT_EQ(results->resultsTable->rowCount(), 3);
    EXPECT_EQ(results->resultsTable->item(1, 0)->text(), "b.jww");
    EXPECT_EQ(results->resultsTable->item(1, 1)->text(), QStringLiteral("失敗"));
    EXPECT_TRUE(results->resultsTable->item(1, 2)->text().startsWith(ToQString(results_text::kNotADrawing)));
    EXPECT_TRUE(results->resultsTable->item(1, 0)->font().bold());
    EXPECT_FALSE(results->resultsTable->item(0, 0)->font().bold());

    results->copyButton->click();
    EXPECT_EQ(QApplication::clipboard()->text(), ToQString(ResultsText(results->Results().Rows)));
    Platform.Files.push_back(Temp.Path() / "results.csv");
    results->saveButton->click();
    EXPECT_EQ(ReadFile(Temp.Path() / "results.csv"), ResultsCsv(results->Results().Rows));
    results->openFolderButton->click();
    Click(Form->statusLabel, {2, 2});
    EXPECT_EQ(Platform.Opened, (std::vector<fs::path>{AsFolder(Dest), AsFolder(Dest)}));

    // The last run's results come back from the menu.
    results->close();
    ASSERT_TRUE(WaitFor([&] { return Form->resultsWindow.isNull(); }));
    MenuAction(Form.get(), main_text::kMenuLastResults)->trigger();
    ASSERT_NE(Form->resultsWindow, nullptr);
    EXPECT_EQ(Form->resultsWindow->resultsTable->rowCount(), 3);
}

// 点検 from the file menu: the selected drawings are inspected while the progress shows; at
// the end its window lists them, copies and saves the list.
TEST_F(MainWindowTest, InspectWindow) {
    WriteDrawing(Drawings / "a.jww", 420);
    WriteFile(Drawings / "b.jww", std::string("not a drawing"));
    WriteFile(Drawings / "c.txt", std::string("text"));
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Drawings);
    SelectShownRows(0, 2);
    Session().InspectJobs = 1;
    MenuAction(Form.get(), main_text::kMenuInspect)->trigger();
    EXPECT_TRUE(Form->runProgress->isVisible() && Form->stopButton->isVisible());
    EXPECT_EQ(Form->runProgress->maximum(), 2);
    ASSERT_TRUE(WaitFor([&] { return Session().State() == SessionState::Idle && Form->inspectWindow; }));
    EXPECT_FALSE(Form->runProgress->isVisible());
    InspectWindow* window = Form->inspectWindow;
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Status(), ToQString(InspectSummaryText(window->Result())));
    ASSERT_EQ(window->filesTable->rowCount(), 2);
    EXPECT_EQ(window->filesTable->item(1, 0)->text(), "b.jww");
    EXPECT_EQ(window->filesTable->item(0, 3)->text(), ToQString(window->Result().Rows[0].Worst));
    EXPECT_EQ(window->pensTable->rowCount(), static_cast<int>(window->Result().Pens.size()));
    EXPECT_GT(window->pensTable->rowCount(), 0);

    window->copyButton->click();
    EXPECT_EQ(QApplication::clipboard()->text(), ToQString(InspectListText(window->Result().Rows)));
    Platform.Files.push_back(Temp.Path() / "inspection.csv");
    window->saveButton->click();
    EXPECT_EQ(Platform.FileChoices.back().InitialFolder, AsFolder(Drawings));
    EXPECT_EQ(ReadFile(Temp.Path() / "inspection.csv"), InspectListCsv(window->Result().Rows));
}

// Closing during a run asks the session: No keeps the window and its run.
TEST_F(MainWindowTest, ClosingAsksDuringARun) {
    WriteDrawing(Drawings / "a.jww", 420);
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Drawings);
    Platform.Folders.push_back(Dest);
    Form->Button3Click();
    Form->Button4Click();
    Platform.Answers.push_back(MessageAnswer::No);
    Form->close();
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Platform.Messages.back().Text, main_text::kAskStopAndExit);
    ASSERT_TRUE(WaitFor([&] { return !Session().Run().Running(); }));
    Form->close();
    EXPECT_FALSE(Form->isVisible());
}

// The first start opens at a size that shows every column and the preview, within the work
// area; the window comes back where it was, also maximised with its normal bounds to restore
// to; the frame's corner and outer size are what the file keeps.
TEST_F(MainWindowTest, WindowBounds) {
    Platform.Screens = {QRect(0, 0, 1280, 900)};
    Start();
    QApplication::processEvents();
    const QRect first = Form->geometry();
    EXPECT_TRUE(QRect(0, 0, 1280, 900).contains(first));
    EXPECT_GT(first.width(), 696);
    EXPECT_EQ(Form->fileList->horizontalScrollBar()->maximum(), 0);
    EXPECT_TRUE(Form->previewPane->isVisible());
    Form->close();

    Platform.Frame = QMargins(1, 20, 1, 1);
    WriteFile(Paths.StateFile, std::string("[Form]\r\nF1_X=300\r\nF1_Y=280\r\nF1_W=700\r\nF1_H=500\r\n"));
    for (int run = 0; run < 2; ++run) {
        Start();
        EXPECT_EQ(Form->geometry(), QRect(301, 300, 698, 479));
        Form->close();
    }
    Start();
    Form->setWindowState(Qt::WindowMaximized);
    Form->close();
    const ProfileDocument file = ProfileDocument::Load(Utf8FromPath(Paths.StateFile));
    EXPECT_EQ(file.Get("Form", "F1_W", 22).second, "700");
    EXPECT_EQ(file.Get("Form", "F1_MAX", 22).second, "1");
    Start();
    EXPECT_TRUE(Form->isMaximized());
    EXPECT_EQ(Form->normalGeometry(), QRect(301, 300, 698, 479));
}

// The preview shows the file under the list's cursor, switches its views, and its visibility
// lasts to the next start.
TEST_F(MainWindowTest, PreviewFollowsTheCursor) {
    WriteDrawing(Drawings / "a.jww", 600);
    WriteFigure(Drawings / "b.jws", 600);
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Drawings);
    PreviewSession& preview = Form->previewPane->Session;
    ASSERT_TRUE(WaitFor([&] { return preview.ShownFile() == Drawings / "a.jww"; }));
    EXPECT_GT(Form->previewPane->legend->rowCount(), 0);
    SelectShownRows(1, 1);
    ASSERT_TRUE(WaitFor([&] { return preview.ShownFile() == Drawings / "b.jws"; }));
    Form->previewPane->viewTabs->setCurrentIndex(2);
    EXPECT_EQ(preview.CurrentList(), &preview.Shown()->Lists.ChangesOnly);

    Form->previewAction->trigger();
    EXPECT_FALSE(Form->previewPane->isVisible());
    Form->close();
    EXPECT_EQ(ProfileDocument::Load(Utf8FromPath(Paths.StateFile)).Get("Set", "PREVIEW", 22).second, "0");
    Start();
    EXPECT_FALSE(Form->previewPane->isVisible());
}

// The painter puts paper y upwards, each shape in its own colour, with its dashes.
TEST(DisplayPainter, PaintsShapesWhereThePaperHasThem) {
    render::DisplayList list;
    list.Points = {{0, 0}, {100, 0}, {100, 100}, {0, 50}, {100, 50}};
    list.DashPatterns = {{}, {10, 10}};
    list.Items.push_back({render::ItemKind::Polyline, false, 0, 0, 1, {255, 0, 0}, 2, 0, 2});
    list.Items.push_back({render::ItemKind::Dot, false, 0, 0, 2, {0, 0, 255}, 10, 2, 1});
    list.Items.push_back({render::ItemKind::Polyline, false, 0, 1, 3, {0, 160, 0}, 2, 3, 2});
    QImage image(220, 220, QImage::Format_RGB32);
    image.fill(Qt::white);
    const PaperView view = FitView(list.Extent(), image.width(), image.height());
    {
        QPainter painter(&image);
        PaintDisplayList(painter, list, view);
    }
    const auto pixel = [&](double x, double y) {
        const PixelPoint at = view.ToPixels(x, y);
        return image.pixelColor(QPointF(at.X, at.Y).toPoint());
    };
    EXPECT_EQ(pixel(50, 0), QColor(255, 0, 0));
    EXPECT_EQ(pixel(100, 100), QColor(0, 0, 255));
    // The dashed line: drawn from 0 to 10 mm, left out from 10 to 20.
    EXPECT_EQ(pixel(5, 50), QColor(0, 160, 0));
    EXPECT_EQ(pixel(15, 50), QColor(Qt::white));
    EXPECT_EQ(pixel(50, 25), QColor(Qt::white));
}

}  // namespace
}  // namespace tolvane::testing
