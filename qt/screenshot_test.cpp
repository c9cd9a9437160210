// Pictures of the windows for a reviewer to look at, written into the build folder
// (screenshots/): the main window with drawings listed and the preview, its first start, a run
// with a failed file and its results window, the settings dialog's two pages, Qt's own
// boxes in Japanese, the 点検 window and the 使用数 column on the examples, and a real drawing
// in the preview before and after a conversion.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include "formats/utf8_path.h"
#include "qt/inspect_window.h"
#include "qt/preview_pane.h"
#include "qt/qt_test_support.h"
#include "qt/results_window.h"
#include "qt/settings_dialog.h"
#include "settings/settings_file.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

fs::path ScreenshotFolder() {
    const fs::path folder = TOLVANE_SCREENSHOT_DIR;
    fs::create_directories(folder);
    return folder;
}

void Save(QWidget* widget, const char* name) {
    widget->grab().save(FileSystemQString(ScreenshotFolder() / name));
}

class ScreenshotTest : public WindowTest {
protected:
    fs::path Project = Home / PathFromUtf8("案件A 集合住宅");
    fs::path Drawings = Project / PathFromUtf8("図面");
    fs::path Delivery = Project / PathFromUtf8("提出用");

    // A project's folders with drawings of every kind, listed, the destination chosen.
    void ListDrawings() {
        for (const char* folder : {"旧版", "../2024年度", "../資料"}) fs::create_directories(Project / PathFromUtf8(folder));
        fs::create_directories(Drawings);
        fs::create_directories(Delivery);
        for (const uint32_t version : {351u, 420u, 600u})
            WriteDrawing(Drawings / PathFromUtf8("平面図-" + std::to_string(version) + ".jww"), version);
        WriteFigure(Drawings / PathFromUtf8("部品.JWS"), 600);
        WriteLegacyJwk(Drawings / "OLD.JWK", "\x8b\x8c\x94\xc5\x82\xcc\x90\x7d\x96\xca", "1998");  // 旧版の図面
        WriteFile(Drawings / PathFromUtf8("壊れた図面.jww"), std::string("JwwData.") + std::string(40, '\xff'));
        WriteFile(Drawings / "readme.txt", std::string(812, 'x'));
        Start();
        ChooseSearchFolder(Home);
        Form->folderTree->expandAll();
        ClickFolder(Drawings);
        Platform.Folders.push_back(Delivery);
        Form->Button3Click();
    }
};

TEST_F(ScreenshotTest, MainWindowRunAndResults) {
    Platform.Screens = {QRect(0, 0, 1280, 900)};
    ListDrawings();
    ASSERT_EQ(ShownRows().size(), 7u);
    SelectShownRows(3, 3);
    ASSERT_TRUE(WaitFor([&] { return !Form->previewPane->Session.ShownFile().empty(); }));
    Save(Form.get(), "main_window_listed.png");

    SelectShownRows(0, 6);
    Form->Button4Click();
    ASSERT_TRUE(WaitFor([&] { return !Session().Run().Running() && Form->resultsWindow; }));
    Save(Form.get(), "main_window_after_run.png");
    Save(Form->resultsWindow, "results_window.png");

    MainWindow fresh(Settings, Platform, {AsFolder(Home), Temp.Path() / "fresh.ini", Temp.Path() / "fresh"});
    fresh.show();
    Save(&fresh, "main_window_first_start.png");

    SettingsDialog dialog(Settings, Platform, Form.get());
    dialog.show();
    for (const int page : {0, 1}) {
        dialog.pages->setCurrentIndex(page);
        Save(&dialog, page == 0 ? "settings_dialog_page0.png" : "settings_dialog_page1.png");
    }
    dialog.close();

    // The folder chooser and a question as the real platform shows them: each modal box is
    // taken and closed once it has had time to fill.
    if (!InstallQtJapanese()) GTEST_SKIP() << "Qt's Japanese translation is not installed";
    const auto grabModal = [](const char* name) {
        QTimer::singleShot(1000, [name] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            Save(modal, name);
            modal->close();
        });
    };
    grabModal("folder_chooser.png");
    RealPlatform().ChooseFolder("検索フォルダの指定", Home);
    grabModal("question.png");
    RealPlatform().ShowMessage({MessageKind::Confirmation, "変換を開始します。よろしいですか？", MessageButtons::YesNo});
}

// The examples: their 点検 window, and the settings dialog with examples/sxf-delivery.set and
// the 使用数 of every example.
TEST_F(ScreenshotTest, InspectWindowAndUsageColumn) {
    const char* source = std::getenv("TOLVANE_SOURCE_DIR");
    if (!source) GTEST_SKIP() << "TOLVANE_SOURCE_DIR is not set";
    fs::create_directories(Drawings);
    for (const auto& entry : fs::directory_iterator(fs::path(source) / "examples"))
        if (entry.path().extension() != ".set") fs::copy_file(entry.path(), Drawings / entry.path().filename());
    Platform.Screens = {QRect(0, 0, 1280, 900)};
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Drawings);
    const int files = static_cast<int>(ShownRows().size());
    ASSERT_GT(files, 0);
    SelectShownRows(0, files - 1);
    Form->MnuFileInspectClick();
    ASSERT_TRUE(WaitFor([&] { return Session().State() == SessionState::Idle && Form->inspectWindow; }));
    Form->inspectWindow->resize(1000, 620);
    Save(Form->inspectWindow, "inspect_window.png");

    ASSERT_TRUE(LoadConversionSettings(Settings, std::string(source) + "/examples/sxf-delivery.set").empty());
    SettingsDialog dialog(Settings, Platform, Form.get());
    dialog.SetUsageFiles(Session().SelectedDrawings(Session().Order()));
    dialog.show();
    ASSERT_TRUE(WaitFor([&] { return !dialog.colorGrid->Text(1, dialog.colorGrid->UsageColumn()).isEmpty(); }));
    Save(&dialog, "settings_dialog_usage.png");
    dialog.close();
}

// A real drawing in the preview before and after the SXF delivery settings of examples/, and
// only what they change.
TEST_F(ScreenshotTest, PreviewOfARealDrawing) {
    const fs::path corpus = CorpusFolder("jww");
    const char* source = std::getenv("TOLVANE_SOURCE_DIR");
    if (corpus.empty() || !source) GTEST_SKIP() << "the corpus of real drawings is not there";
    Start();
    ASSERT_TRUE(LoadConversionSettings(Settings, std::string(source) + "/examples/sxf-delivery.set").empty());
    ChooseSearchFolder(corpus);
    ClickFolder(corpus);
    const std::vector<size_t> shown = ShownRows();
    int place = 0;
    while (place < static_cast<int>(shown.size()) && Session().Rows()[shown[static_cast<size_t>(place)]].Name != "Test1.jww") ++place;
    ASSERT_LT(place, static_cast<int>(shown.size()));
    SelectShownRows(place, place);
    Form->resize(1280, 720);
    Form->listSplitter->setSizes({420, 780});
    ASSERT_TRUE(WaitFor([&] { return Form->previewPane->Session.ShownFile() == corpus / "Test1.jww"; }));
    const char* const names[] = {"preview_before.png", "preview_after.png", "preview_changes_only.png"};
    for (const render::View view : {render::View::Before, render::View::After, render::View::ChangesOnly}) {
        Form->previewPane->viewTabs->setCurrentIndex(static_cast<int>(view));
        Form->previewPane->canvas->FitAnew();
        Save(Form.get(), names[static_cast<int>(view)]);
    }
}

}  // namespace
}  // namespace tolvane::testing
