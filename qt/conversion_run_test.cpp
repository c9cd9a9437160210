#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QTableWidget>
#include <gtest/gtest.h>

#include "qt/app_test_support.h"
#include "qt/conversion_run.h"
#include "qt/results_window.h"
#include "qt/run_controller.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ConversionRunTest : public WindowTest {
protected:
    fs::path Source = Home / "src";
    fs::path Dest = Home / "dst";

    ConversionRunTest() {
        fs::create_directories(Source);
        fs::create_directories(Dest);
    }

    void ChooseDestination(const fs::path& folder) {
        Platform.Folders.push_back(Q(folder));
        Form->Button3Click();
    }

    // Grid rows first to last (1 for the first file).
    void SelectRows(int first, int last) {
        Form->StringGrid1->clearSelection();
        Form->StringGrid1->setRangeSelected(QTableWidgetSelectionRange(first - 1, 0, last - 1, 6), true);
    }

    // The click, and the run it started until its end is shown.
    void Convert() {
        Form->Button4Click();
        Form->Run->Wait();
    }

    std::vector<QString> ProgressTexts() {
        std::vector<QString> texts;
        for (const QString& text : Platform.RepaintedTexts)
            if (text.startsWith(QStringLiteral("ファイル「"))) texts.push_back(text);
        return texts;
    }
};

// The seven checks of a run, in their order: each case prepares the window up to its check
// while every later check would fail too, so the message shown proves that the earlier
// checks passed and this one came first. Nothing is written in any case.
TEST_F(ConversionRunTest, EachCheckStopsTheRunWithItsOwnMessageInOrder) {
    WriteDrawing(Source / "a.jww", 420);
    struct Case {
        RunCheckNumber Check;
        QString Message;
        MessageKind Kind;
        bool StatusToo;
    };
    const std::vector<Case> cases = {
        {RunCheckNumber::NoSearchFolder, QStringLiteral("検索フォルダを指定して下さい。"), MessageKind::Error, true},
        {RunCheckNumber::NoFileList, QStringLiteral("ファイル一覧が表示されていません。"), MessageKind::Error, false},
        {RunCheckNumber::NoDestination, QStringLiteral("保存先フォルダを指定して下さい。"), MessageKind::Confirmation, false},
        {RunCheckNumber::DestinationMissing, QStringLiteral("指定された保存先フォルダが存在しません。再指定して下さい。"), MessageKind::Confirmation, false},
        {RunCheckNumber::SameFolder, QStringLiteral("保存先フォルダとファイルのフォルダが同じになっています。"), MessageKind::Confirmation, false},
        {RunCheckNumber::NoRule, QStringLiteral("[線色線種・組合せ変換] 変換指定が行われていません。"), MessageKind::Confirmation, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("check " + std::to_string(static_cast<int>(c.Check)));
        Platform = RecordingPlatform();
        Start();
        Settings.ConversionMode = ConversionModeKind::Combined;  // and no rule enabled
        if (c.Check >= RunCheckNumber::NoFileList) ChooseSearchFolder(Home);
        if (c.Check >= RunCheckNumber::NoDestination) ClickFolder(Source);
        if (c.Check == RunCheckNumber::DestinationMissing) ChooseDestination(Home / "missing");
        if (c.Check == RunCheckNumber::SameFolder) ChooseDestination(Source / ".." / "src");  // the same folder, spelt otherwise
        if (c.Check == RunCheckNumber::NoRule) ChooseDestination(Dest);
        const QString statusBefore = Form->StatusText();
        Platform.Log.clear();
        Platform.Messages.clear();

        Convert();

        EXPECT_EQ(Platform.Log, (std::vector<QString>{"beep", "message:" + c.Message}));
        ASSERT_EQ(Platform.Messages.size(), 1u);
        EXPECT_EQ(Platform.Messages[0].Kind, c.Kind);
        EXPECT_EQ(Platform.Messages[0].Buttons, MessageButtons::Ok);
        EXPECT_EQ(Form->StatusText(), c.StatusToo ? c.Message : statusBefore);
        EXPECT_TRUE(FilesIn(Dest).empty());
    }

    // Check 7: the question, without a beep; No cancels.
    Platform = RecordingPlatform();
    Start();
    Settings.ConversionMode = ConversionModeKind::Individual;
    ChooseSearchFolder(Home);
    ClickFolder(Source);
    ChooseDestination(Dest);
    Platform.Log.clear();
    Platform.Messages.clear();
    Platform.Answers.push_back(MessageAnswer::No);
    Convert();
    EXPECT_EQ(Platform.Log, (std::vector<QString>{QStringLiteral("message:変換を開始します。よろしいですか？")}));
    ASSERT_EQ(Platform.Messages.size(), 1u);
    EXPECT_EQ(Platform.Messages[0].Kind, MessageKind::Confirmation);
    EXPECT_EQ(Platform.Messages[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(Form->StatusText(), QStringLiteral("変換作業をキャンセルしました。"));
    EXPECT_TRUE(FilesIn(Dest).empty());
}

// The walk visits the selected rows only, in grid order, showing the file's name before
// each file is read; the neutral individual-mode table still writes converted copies.
TEST_F(ConversionRunTest, SelectionOfRowsThreeToFiveConvertsExactlyThoseInOrder) {
    for (int n = 1; n <= 6; ++n) WriteDrawing(Source / ("plan" + std::to_string(n) + ".jww"), 351 + n);
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Source);
    ChooseDestination(Dest);
    ASSERT_EQ(Form->FileRowCount(), 6);
    SelectRows(3, 5);
    const std::vector<std::string> names = ListedNames();
    Form->Run->Jobs = 1;  // one worker starts the files in the order of the selection

    Convert();

    std::vector<std::string> expected = {names[2], names[3], names[4]};
    std::vector<QString> expectedProgress;
    for (const std::string& name : expected) {
        expectedProgress.push_back(QStringLiteral("ファイル「") + Q(name) + QStringLiteral("」変換中です。"));
    }
    EXPECT_EQ(ProgressTexts(), expectedProgress);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(Dest), expected);
    EXPECT_EQ(Form->StatusText(), QStringLiteral("変換作業を完了しました。（変換：3件　スキップ：0件　失敗：0件）"));
    EXPECT_EQ(Form->Run->Results(), nullptr);
    EXPECT_EQ(Platform.Beeps, 0);
}

// Rows that are not drawings of their extension's kind, or whose file went away after the
// listing, are skipped without any message box, counted in the status text and listed in the
// results; the others are converted under their own names and letter case.
TEST_F(ConversionRunTest, SkippedRowsAreCountedWithoutAMessage) {
    WriteDrawing(Source / "lower.jww", 420);
    WriteFigure(Source / "Figure.JWS", 600);
    WriteFile(Source / "fake.jww", std::string("not a drawing at all"));
    WriteFile(Source / "fake.jws", std::string("JWSDATA is the wrong case"));
    WriteLegacyJwk(Source / "old.jwk", "memo", "");
    WriteFile(Source / "plan.BAK", std::string("JwwData."));
    WriteFile(Source / "notes.txt", std::string("text"));
    WriteDrawing(Source / "gone.jww", 420);
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Source);
    ChooseDestination(Dest);
    ASSERT_EQ(Form->FileRowCount(), 8);
    fs::remove(Source / "gone.jww");
    SelectRows(1, 8);
    Platform.Log.clear();

    Convert();

    EXPECT_EQ(Platform.Log, (std::vector<QString>{QStringLiteral("message:変換を開始します。よろしいですか？")}));
    EXPECT_EQ(FilesIn(Dest), (std::vector<std::string>{"Figure.JWS", "lower.jww"}));
    EXPECT_EQ(ProgressTexts().size(), 2u);
    EXPECT_EQ(Form->StatusText(), QStringLiteral("変換作業を完了しました。（変換：2件　スキップ：6件　失敗：0件）"));
    ASSERT_NE(Form->Run->Results(), nullptr);
    EXPECT_EQ(Form->Run->Results()->Rows().size(), 8u);
}

TEST_F(ConversionRunTest, EveryRowSkippedStillEndsWithTheCompletedText) {
    WriteFile(Source / "fake.jww", std::string("not a drawing"));
    WriteLegacyJwk(Source / "old.jwk", "memo", "");
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Source);
    ChooseDestination(Dest);
    SelectRows(1, 2);

    Convert();

    EXPECT_TRUE(FilesIn(Dest).empty());
    EXPECT_TRUE(ProgressTexts().empty());
    EXPECT_EQ(Form->StatusText(), QStringLiteral("変換作業を完了しました。（変換：0件　スキップ：2件　失敗：0件）"));
}

// The run converts the files the list shows: moving the tree's selection by keyboard after the
// click neither changes the source folder nor lets the destination pass as another folder.
TEST_F(ConversionRunTest, SourceIsTheListedFolderAfterTheSelectionMoved) {
    WriteDrawing(Source / "shown.jww", 420);
    fs::create_directories(Home / "other");
    WriteDrawing(Home / "other" / "shown.jww", 351);
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Source);
    ChooseDestination(Dest);
    Form->TreeView1->setCurrentItem(NodeOf(Bytes(Home / "other") + "/"));  // arrow keys: no click
    SelectRows(1, 1);

    Convert();

    ASSERT_EQ(ProgressTexts().size(), 1u);
    EXPECT_EQ(Form->Run->FileLabel->toolTip(), QStringLiteral("ファイル「") + Q(Source / "shown.jww") + QStringLiteral("」→「") +
                                                   Q(Dest / "shown.jww") + QStringLiteral("」変換中です。"));
    EXPECT_EQ(FilesIn(Dest), (std::vector<std::string>{"shown.jww"}));
}

// The rule sources are resolved before the walk, so that a combined run converts by them.
TEST_F(ConversionRunTest, CombinedRunResolvesTheRuleSources) {
    WriteDrawing(Source / "a.jww", 420);
    Start();
    ChooseSearchFolder(Home);
    ClickFolder(Source);
    ChooseDestination(Dest);
    Settings.ConversionMode = ConversionModeKind::Combined;
    Settings.Rules[0].Enabled = true;
    Settings.Rules[0].SourceColorIndex = 1;
    Settings.Rules[0].SourceLineTypeIndex = 0;
    Settings.Rules[0].TargetColor = 5;
    Settings.Rules[0].SourceColor = -99;

    Convert();

    EXPECT_EQ(Settings.Rules[0].SourceColor, ColorOfSlot(2));
    EXPECT_EQ(Settings.Rules[0].SourceLineType, LineTypeOfSlot(1));
    EXPECT_EQ(FilesIn(Dest), (std::vector<std::string>{"a.jww"}));
}

}  // namespace
}  // namespace tolvane::testing
