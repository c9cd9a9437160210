// Pictures of the main window with a folder of drawings listed, of its first start and of the
// folder chooser and a question in Qt's Japanese texts, written into the build folder
// (screenshots/) for a reviewer to look at.
#include <filesystem>
#include <string>

#include <cstdlib>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTimer>
#include <QPushButton>
#include <QSplitter>
#include <QPixmap>
#include <QTableWidget>
#include <gtest/gtest.h>

#include "qt/app_test_support.h"
#include "qt/preview_pane.h"
#include "settings/settings_file.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

class ScreenshotTest : public WindowTest {};

TEST_F(ScreenshotTest, MainWindowWithDrawingsListed) {
    const fs::path project = Home / "案件A 集合住宅";
    const fs::path drawings = project / "図面";
    for (const fs::path& folder : {drawings, project / "提出用", project / "旧版", Home / "2024年度", Home / "資料"})
        fs::create_directories(folder);
    const fs::path images = Temp.Path() / "images";
    fs::create_directories(images);
    for (const uint32_t version : {351u, 420u, 600u}) WriteDrawing(drawings / ("平面図-" + std::to_string(version) + ".jww"), version);
    DrawingData photo = MakeFloorPlan(700, images);
    ASSERT_TRUE(WriteJww(drawings / "配置図.jww", photo, 700, images));
    WriteFigure(drawings / "部品.JWS", 600);
    WriteLegacyJwk(drawings / "OLD.JWK", "\x8b\x8c\x94\xc5\x82\xcc\x90\x7d\x96\xca", "1998");  // 旧版の図面
    fs::copy_file(drawings / "平面図-420.jww", drawings / "平面図-420.BAK");
    WriteFile(drawings / "readme.txt", std::string(812, 'x'));

    Start();
    ChooseSearchFolder(Home);
    Form->TreeView1->expandAll();
    ClickFolder(drawings);
    Platform.Folders.push_back(Q(project / "提出用"));
    Form->Button3Click();
    ASSERT_EQ(Form->FileRowCount(), 8);
    // The columns keep the widths of a first start.
    Form->StringGrid1->selectRow(1);

    // Wider than the design size, so that every column shows.
    Form->resize(980, 520);
    // The preview has had its answer for the selected file.
    QElapsedTimer rendered;
    rendered.start();
    while (Form->Preview->ShownFile().empty() && rendered.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    const fs::path folder = fs::path(TOLVANE_SCREENSHOT_DIR);
    fs::create_directories(folder);
    const QPixmap listed = Form->grab();
    EXPECT_EQ(listed.size(), Form->size());
    EXPECT_TRUE(listed.save(Q(folder / "main_window_listed.png")));

    QHeaderView* header = Form->StringGrid1->horizontalHeader();
    Form->StringGrid1MouseDown(Qt::LeftButton, header->sectionViewportPosition(3) + 10, 5);
    Form->StringGrid1MouseDown(Qt::LeftButton, header->sectionViewportPosition(3) + 10, 5);
    EXPECT_EQ(Form->CellText(1, 3), "700");
    EXPECT_TRUE(Form->grab().save(Q(folder / "main_window_sorted_by_version.png")));

    TForm1 fresh(Settings, Platform, Paths);
    fresh.show();
    EXPECT_TRUE(fresh.grab().save(Q(folder / "main_window_first_start.png")));

    // The folder chooser and a question as the real platform shows them: each modal box is
    // taken and closed once it has had time to fill.
    if (!InstallQtJapanese()) GTEST_SKIP() << "Qt's Japanese translation is not installed";
    const auto grabModal = [](const fs::path& file) {
        QTimer::singleShot(1000, [file] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            EXPECT_TRUE(modal->grab().save(Q(file)));
            modal->close();
        });
    };
    grabModal(folder / "folder_chooser.png");
    RealPlatform().ChooseFolder(&fresh, QStringLiteral("検索フォルダの指定"), Q(Home));
    grabModal(folder / "question.png");
    QTimer::singleShot(500, [] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        const QList<QPushButton*> buttons = modal->findChildren<QPushButton*>();
        QStringList texts;
        for (const QPushButton* button : buttons) texts << button->text();
        EXPECT_TRUE(texts.contains(QStringLiteral("はい(&Y)")) || texts.contains(QStringLiteral("はい"))) << texts.join(' ').toStdString();
    });
    RealPlatform().ShowMessage(&fresh, MessageKind::Confirmation, QStringLiteral("変換を開始します。よろしいですか？"),
                               MessageButtons::YesNo);
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
    int row = 0;
    while (row < Form->FileRowCount() && Form->CellBytes(row + 1, 0) != "Test1.jww") ++row;
    ASSERT_LT(row, Form->FileRowCount());
    Form->StringGrid1->setCurrentCell(row, 0);
    Form->resize(1280, 720);
    Form->Splitter2->setSizes({420, 780});
    QElapsedTimer waited;
    waited.start();
    while (Form->Preview->ShownFile() != corpus / "Test1.jww" && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(Form->Preview->Shown() && Form->Preview->Shown()->Ok);
    Form->Preview->Canvas->Fit();

    const fs::path folder = fs::path(TOLVANE_SCREENSHOT_DIR);
    fs::create_directories(folder);
    const char* const names[] = {"preview_before.png", "preview_after.png", "preview_changes_only.png"};
    for (const render::View view : {render::View::Before, render::View::After, render::View::ChangesOnly}) {
        Form->Preview->SetView(view);
        EXPECT_TRUE(Form->grab().save(Q(folder / names[static_cast<int>(view)])));
    }
}

}  // namespace
}  // namespace tolvane::testing
