// The run on its worker thread, through the window: counts in the status text, the results
// window only when something was not converted, stop between files, commands refused while
// the run goes, closing during a run; and pictures of the progress bar and of the results.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

#include "qt/app_test_support.h"
#include "qt/results_window.h"
#include "qt/run_controller.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

class RunControllerTest : public WindowTest {
protected:
    fs::path Source = Home / "src";
    fs::path Dest = Home / "dst";

    RunControllerTest() {
        fs::create_directories(Source);
        fs::create_directories(Dest);
    }

    // The window with the source folder listed, every row selected, the destination chosen.
    void Prepare() {
        Start();
        ChooseSearchFolder(Home);
        ClickFolder(Source);
        Platform.Folders.push_back(Q(Dest));
        Form->Button3Click();
        Form->StringGrid1->setRangeSelected(QTableWidgetSelectionRange(0, 0, Form->FileRowCount() - 1, 6), true);
    }

    void ProcessUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 5000 && !done(); ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(done());
    }

    static fs::path ScreenshotFolder() {
        const fs::path folder = fs::path(TOLVANE_SCREENSHOT_DIR);
        fs::create_directories(folder);
        return folder;
    }
};

// One unreadable and one non-drawing file among good ones: the counts, and a results window
// naming every file in order, whose list copies as text, saves as CSV, and which opens the
// destination folder; so does a click on the status text.
TEST_F(RunControllerTest, ResultsWindowListsEveryFileWhenSomethingWasNotConverted) {
    WriteDrawing(Source / "a.jww", 420);
    WriteFile(Source / "b.jww", std::string("JwwData.\x58\x02\x00\x00\x09short"));  // ends early
    WriteFile(Source / "c.jws", std::string("no figure, \"quoted\""));
    WriteFigure(Source / "d.jws", 600);
    Prepare();
    ASSERT_EQ(Form->FileRowCount(), 4);
    Platform.Log.clear();

    Form->Button4Click();
    Form->Run->Wait();

    EXPECT_EQ(Form->StatusText(), QStringLiteral("変換作業を完了しました。（変換：2件　スキップ：1件　失敗：1件）"));
    ResultsWindow* results = Form->Run->Results();
    ASSERT_NE(results, nullptr);
    EXPECT_TRUE(results->isVisible());
    QTableWidget* table = results->Table;
    ASSERT_EQ(table->rowCount(), 4);
    const std::map<std::string, QString> outcomes = {{"a.jww", QStringLiteral("変換")},
                                                     {"b.jww", QStringLiteral("失敗")},
                                                     {"c.jws", QStringLiteral("スキップ")},
                                                     {"d.jws", QStringLiteral("変換")}};
    const std::vector<std::string> listed = ListedNames();
    int failedRow = -1, skippedRow = -1;
    for (int row = 0; row < 4; ++row) {
        const std::string& name = listed[static_cast<size_t>(row)];
        EXPECT_EQ(table->item(row, 0)->text(), Q(name));
        EXPECT_EQ(table->item(row, 0)->toolTip(), Q(Source / name));
        EXPECT_EQ(table->item(row, 1)->text(), outcomes.at(name));
        EXPECT_EQ(table->item(row, 0)->font().bold(), name == "b.jww");
        if (name == "b.jww") failedRow = row;
        if (name == "c.jws") skippedRow = row;
    }
    ASSERT_GE(failedRow, 0);
    ASSERT_GE(skippedRow, 0);
    EXPECT_TRUE(table->item(failedRow, 2)->text().startsWith(QStringLiteral("could not be read: ")));
    EXPECT_TRUE(table->item(skippedRow, 2)->text().startsWith(QStringLiteral("not a JWS figure file")));
    EXPECT_TRUE(results->grab().save(Q(ScreenshotFolder() / "results_window.png")));

    results->CopyButtonClick();
    const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("ファイル\t結果\t理由"));
    EXPECT_TRUE(lines[failedRow + 1].startsWith(Q(Source / "b.jww") + QStringLiteral("\t失敗\tcould not be read: ")));

    const fs::path csv = Temp.Path() / "results.csv";
    Platform.Files.push_back(Q(csv));
    results->SaveButtonClick();
    const std::string bytes = ReadFile(csv);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes.substr(3, bytes.find("\r\n") - 3), "ファイル,結果,理由");
    EXPECT_NE(bytes.find(Bytes(Source / "c.jws") + ",スキップ,\"not a JWS figure file (it does not begin with \"\"JwsData\"\")\"\r\n"),
              std::string::npos)
        << bytes;

    results->OpenFolderButtonClick();
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form->StatusPanel, &click);
    EXPECT_EQ(Platform.Opened, (std::vector<QString>{Q(Dest) + "/", Q(Dest) + "/"}));
    EXPECT_EQ(Platform.Beeps, 0);

    // Everything converted: no window.
    results->close();
    QCoreApplication::processEvents();
    fs::remove(Source / "b.jww");
    fs::remove(Source / "c.jws");
    ClickFolder(Source);
    Form->StringGrid1->setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 6), true);
    Form->Button4Click();
    Form->Run->Wait();
    EXPECT_EQ(Form->StatusText(), QStringLiteral("変換作業を完了しました。（変換：2件　スキップ：0件　失敗：0件）"));
    EXPECT_EQ(Form->Run->Results(), nullptr);
}

// While the run holds at its second file: the progress shows, the commands that would change
// what it works on are refused with a status text, closing asks and No keeps the run. "中止"
// lets the second file finish and starts no other; those are listed as not converted.
TEST_F(RunControllerTest, RefusesCommandsWhileRunningAndStopsBetweenFiles) {
    for (int n = 1; n <= 5; ++n) WriteDrawing(Source / ("p" + std::to_string(n) + ".jww"), 420);
    Prepare();
    Form->Run->Jobs = 1;
    std::atomic<bool> held = false, release = false;
    Form->Run->WorkerStarted = [&](size_t index) {
        if (index != 1) return;
        held = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    Form->resize(760, 360);
    const std::vector<std::string> listed = ListedNames();

    Form->Button4Click();
    ProcessUntil([&] { return held && Form->Run->FileLabel->text().contains(Q(listed[1])); });
    EXPECT_TRUE(Form->Run->Running());
    EXPECT_TRUE(Form->Run->Progress->isVisible());
    EXPECT_EQ(Form->Run->Progress->maximum(), 5);
    EXPECT_EQ(Form->Run->Progress->value(), 1);
    EXPECT_TRUE(Form->grab().save(Q(ScreenshotFolder() / "main_window_converting.png")));

    const QString busy = QStringLiteral("変換中は操作できません。変換が終わるまで待つか「中止」を押して下さい。");
    const std::vector<std::pair<const char*, std::function<void()>>> commands = {
        {"another run", [&] { Form->Button4Click(); }},
        {"tree", [&] { Form->TreeView1Click(); }},
        {"file type", [&] { Form->MnuFileType2Click(); }},
        {"search folder", [&] { Form->MnuFileSFolderClick(); }},
        {"destination", [&] { Form->Button3Click(); }},
        {"settings", [&] { Form->Button1Click(); }},
        {"open settings", [&] { Form->MnuSetOpenClick(); }},
    };
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        Form->SetStatusText(QString());
        Platform.Log.clear();
        command();
        EXPECT_EQ(Platform.Log, std::vector<QString>{"beep"});
        EXPECT_EQ(Form->StatusText(), busy);
    }
    EXPECT_EQ(Form->FileRowCount(), 5);
    EXPECT_FALSE(Form->ComboBox1->isEnabled());

    Platform.Log.clear();
    Platform.Answers.push_back(MessageAnswer::No);
    Form->close();
    EXPECT_EQ(Platform.Log, std::vector<QString>{QStringLiteral("message:変換中です。変換を中止して終了しますか？")});
    EXPECT_TRUE(Form->isVisible());

    Form->Run->StopButtonClick();
    release = true;
    Form->Run->Wait();
    EXPECT_EQ(Form->StatusText(),
              QStringLiteral("変換作業を中止しました。（変換：2件　スキップ：0件　失敗：0件　未変換：3件）"));
    ASSERT_NE(Form->Run->Results(), nullptr);
    const std::vector<ResultRow>& rows = Form->Run->Results()->Rows();
    ASSERT_EQ(rows.size(), 5u);
    for (size_t i = 0; i < rows.size(); ++i) {
        const bool converted = i < 2;
        EXPECT_EQ(rows[i].Outcome, converted ? ConversionOutcome::Converted : ConversionOutcome::Stopped);
        EXPECT_EQ(fs::exists(Dest / listed[i]), converted);
    }
    EXPECT_FALSE(Form->Run->Progress->isVisible());
    EXPECT_TRUE(Form->ComboBox1->isEnabled());
}

// Closing during a run, answered Yes: the run stops after the file being converted, then the
// window closes.
TEST_F(RunControllerTest, ClosingDuringARunStopsItThenCloses) {
    for (int n = 1; n <= 3; ++n) WriteDrawing(Source / ("p" + std::to_string(n) + ".jww"), 420);
    Prepare();
    Form->Run->Jobs = 1;
    const std::vector<std::string> listed = ListedNames();
    std::atomic<bool> held = false, release = false;
    Form->Run->WorkerStarted = [&](size_t index) {
        if (index != 0) return;
        held = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    Form->Button4Click();
    ProcessUntil([&] { return held.load(); });
    Form->close();
    EXPECT_TRUE(Form->isVisible());
    release = true;
    Form->Run->Wait();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(Form->Run->LastResults().size(), 3u);
    EXPECT_TRUE(fs::exists(Dest / listed[0]));
    EXPECT_FALSE(fs::exists(Dest / listed[1]));
    EXPECT_TRUE(fs::exists(Paths.StateFile));
}

}  // namespace
}  // namespace tolvane::testing
