#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QDialog>
#include <QFontMetrics>
#include <QLineEdit>
#include <QSplitter>
#include <QTableWidget>
#include <gtest/gtest.h>

#include "qt/app_test_support.h"
#include "frontend/window_state.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::pair<std::string, std::string>> kWindowKeys = {
    {"Form", "F1_X"}, {"Form", "F1_Y"}, {"Form", "F1_W"}, {"Form", "F1_H"}, {"Form", "F3_X"}, {"Form", "F3_Y"},
    {"Comp", "F1P1"}, {"Comp", "F1S0"}, {"Comp", "F1S1"}, {"Comp", "F1S2"}, {"Comp", "F1S3"}, {"Comp", "F1S4"},
    {"Comp", "F1S5"}, {"Comp", "F1S6"}, {"Set", "FLD1"},  {"Set", "FLD2"},  {"Set", "FNAM"}, {"Set", "FTYP"}, {"Set", "PREVIEW"}};

class WindowStateTest : public WindowTest {
protected:
    ProfileDocument StateFile() { return ProfileDocument::Load(Paths.StateFile); }
};

// First start without a state file: design sizes and defaults; the end writes every key.
TEST_F(WindowStateTest, FirstStartAndTheFileWrittenAtTheEnd) {
    ASSERT_FALSE(fs::exists(Paths.StateFile));
    Start();
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Tolvane Ver.1.04"));
    EXPECT_EQ(Form->geometry(), QRect(192, 107, 696, 478));  // the scripted platform has no frame
    EXPECT_EQ(Form->Panel1->width(), 160);
    // Columns wide enough for a typical name, the full date and time and a memo of 20
    // characters; a filter box that shows its whole text.
    const QFontMetrics grid(Form->StringGrid1->font());
    EXPECT_GT(Form->StringGrid1->columnWidth(0), grid.horizontalAdvance("plan-2026-07-A.JWW"));
    EXPECT_GT(Form->StringGrid1->columnWidth(4), grid.horizontalAdvance(QStringLiteral("住宅平面図 第２案 1/100縮尺")));
    EXPECT_GT(Form->StringGrid1->columnWidth(5), grid.horizontalAdvance("2026/12/31 23:59:59"));
    EXPECT_EQ(Form->ComboBox1->currentText(), QStringLiteral("全てのファイル(*.*)"));
    EXPECT_GE(Form->ComboBox1->width(), QFontMetrics(Form->ComboBox1->font()).horizontalAdvance(Form->ComboBox1->currentText()));
    EXPECT_FALSE(Form->Edit1->placeholderText().isEmpty());
    EXPECT_EQ(Form->Edit2->text(), QString());
    EXPECT_EQ(Form->Edit1->text(), QString());
    EXPECT_TRUE(Form->StatusText().startsWith(QStringLiteral("検索フォルダを指定して下さい。（")));
    EXPECT_EQ(Form->FileRowCount(), 4);
    EXPECT_EQ(Form->StringGrid1->horizontalHeaderItem(4)->text(), QStringLiteral("図面メモ"));
    EXPECT_FALSE(Form->TreeReady || Form->ListReady || Form->SortDescending || Form->SearchAborted);
    EXPECT_TRUE(fs::is_directory(Paths.ImageFolder));

    Form->close();
    EXPECT_FALSE(fs::exists(Paths.ImageFolder));
    const ProfileDocument file = StateFile();
    const std::string bytes = file.Bytes();
    size_t at = 0;
    std::string section;
    for (const auto& [keySection, key] : kWindowKeys) {
        if (keySection != section) {
            section = keySection;
            at = bytes.find("[" + section + "]\r\n", at);
            ASSERT_NE(at, std::string::npos) << section;
        }
        at = bytes.find("\r\n" + key + "=", at);
        ASSERT_NE(at, std::string::npos) << key;
    }
    EXPECT_EQ(file.Get("Form", "F1_W", 22).second, "696");
    EXPECT_EQ(file.Get("Comp", "F1P1", 22).second, "160");
    EXPECT_EQ(file.Get("Set", "FLD1", 4096).second, Bytes(Home) + "/");
    EXPECT_EQ(file.Get("JWW", "C1", 22).second, "0");
    EXPECT_EQ(file.Get("JWW", "W265", 22).second, "-1");
    EXPECT_EQ(file.Get("Set", "CVNO", 22).second, "0");
    EXPECT_EQ(file.Get("JWW1", "WD10", 22).second, "-1");
}

// What one run leaves is there at the next start, the conversion settings included, without
// any settings file having been saved. The search folder only opens the folder dialog there.
TEST_F(WindowStateTest, OneRunsStateComesBackAtTheNextStart) {
    fs::create_directories(Home / "drawings");
    fs::create_directories(Home / "out");
    Start();
    QDialog dialog(Form.get());
    Form->SetSettingsDialog(&dialog);
    ChooseSearchFolder(Home / "drawings");
    Platform.Folders.push_back(Q(Home / "out"));
    Form->Button3Click();
    Form->MnuFileType2Click();
    Form->StringGrid1->setColumnWidth(4, 150);
    Form->Splitter1->setSizes({210, 480});
    Form->move(300, 200);
    Form->resize(800, 500);
    dialog.move(50, 60);
    Settings.ColorTable[3] = 104;
    Settings.WidthTable[3] = 35;
    Settings.ConversionMode = ConversionModeKind::Combined;
    Settings.Rules[2].Enabled = true;
    Settings.Rules[2].TargetColor = 7;
    Settings.LastSettingsFile = Bytes(Home / "rules.set");
    Form->close();

    ConversionSettings fresh;
    ResetConversionSettings(fresh);
    TForm1 next(fresh, Platform, Paths);
    QDialog nextDialog(&next);
    next.SetSettingsDialog(&nextDialog);
    next.show();
    EXPECT_EQ(next.pos(), QPoint(300, 200));
    EXPECT_EQ(next.size(), QSize(800, 500));
    EXPECT_EQ(nextDialog.pos(), QPoint(50, 60));
    EXPECT_EQ(next.Panel1->width(), 210);
    EXPECT_EQ(next.StringGrid1->columnWidth(4), 150);
    EXPECT_EQ(next.ComboBox1->currentIndex(), 2);
    EXPECT_EQ(next.Edit2->text(), Q(Home / "out") + "/");
    EXPECT_EQ(next.DestFolder, Bytes(Home / "out") + "/");
    EXPECT_EQ(next.Edit1->text(), QString());
    EXPECT_FALSE(next.TreeReady);
    EXPECT_EQ(next.TreeView1->topLevelItemCount(), 0);
    EXPECT_EQ(fresh.ColorTable[3], 104);
    EXPECT_EQ(fresh.WidthTable[3], 35);
    EXPECT_EQ(fresh.ConversionMode, ConversionModeKind::Combined);
    EXPECT_TRUE(fresh.Rules[2].Enabled);
    EXPECT_EQ(fresh.Rules[2].TargetColor, 7);
    EXPECT_EQ(fresh.LastSettingsFile, Bytes(Home / "rules.set"));

    Platform.Folders.clear();
    next.MnuFileSFolderClick();
    EXPECT_EQ(Platform.FileChoices.back().InitialFolder, Q(Home / "drawings") + "/");
}

// Neither a wide folder panel nor a narrow window hides the settings and convert buttons.
TEST_F(WindowStateTest, ButtonsStayInSight) {
    Start();
    Form->Splitter1->setSizes({Form->width(), 0});
    EXPECT_GE(Form->Panel3->width(), Form->Button4->geometry().right());
    Form->resize(200, 478);
    QApplication::processEvents();
    EXPECT_GE(Form->Panel3->width(), Form->Button4->geometry().right());
}

// The frame's corner and the outer size are kept, not the client area's: under a window
// manager's frame five restarts leave them as they were. A frame kept on a screen that is no
// longer there comes back on the screen there is.
TEST_F(WindowStateTest, FrameBoundsSurviveRestarts) {
    Platform.Frame = QMargins(1, 20, 1, 1);
    fs::create_directories(fs::path(Paths.StateFile).parent_path());
    WriteFile(Paths.StateFile, std::string("[Form]\r\nF1_X=300\r\nF1_Y=280\r\nF1_W=700\r\nF1_H=500\r\n"));
    for (int run = 0; run < 5; ++run) {
        Start();
        EXPECT_EQ(Form->geometry(), QRect(301, 300, 698, 479));
        Form->close();
        const ProfileDocument file = StateFile();
        EXPECT_EQ(file.Get("Form", "F1_X", 22).second, "300");
        EXPECT_EQ(file.Get("Form", "F1_Y", 22).second, "280");
        EXPECT_EQ(file.Get("Form", "F1_W", 22).second, "700");
        EXPECT_EQ(file.Get("Form", "F1_H", 22).second, "500");
    }

    Platform.Screens = {QRect(0, 0, 1024, 768)};
    WriteFile(Paths.StateFile, std::string("[Form]\r\nF1_X=2500\r\nF1_Y=1400\r\nF1_W=800\r\nF1_H=600\r\n"));
    Start();
    EXPECT_EQ(Form->geometry(), QRect(225, 188, 798, 579));
}

// Lenient numbers at start: a non-numeric width is applied as 0; a filter index out of range
// leaves no item selected, and the list then shows every file.
TEST_F(WindowStateTest, BadValuesInTheFile) {
    fs::create_directories(fs::path(Paths.StateFile).parent_path());
    WriteFile(Paths.StateFile, std::string("[Comp]\r\nF1S2=abc\r\nF1S0=-40\r\n[Set]\r\nFTYP=9\r\nFLD2=/no/such/folder/\r\n"));
    fs::create_directories(Home / "d");
    WriteFile(Home / "d" / "a.jww", std::string("x"));
    WriteFile(Home / "d" / "b.txt", std::string("x"));
    Start();
    EXPECT_EQ(Form->StringGrid1->columnWidth(2), 0);
    EXPECT_EQ(Form->StringGrid1->columnWidth(0), 0);
    EXPECT_EQ(Form->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(Form->Edit2->text(), "/no/such/folder/");
    ChooseSearchFolder(Home);
    ClickFolder(Home / "d");
    EXPECT_EQ(Form->FileRowCount(), 2);
    Form->close();
    EXPECT_EQ(StateFile().Get("Set", "FTYP", 22).second, "-1");
}

// Exit: No keeps the window, Yes closes it and writes the state.
TEST_F(WindowStateTest, ExitAsksFirst) {
    Start();
    Platform.Answers = {MessageAnswer::No, MessageAnswer::Yes};
    Form->MnuExitClick();
    EXPECT_TRUE(Form->isVisible());
    EXPECT_FALSE(fs::exists(Paths.StateFile));
    ASSERT_EQ(Platform.Messages.size(), 1u);
    EXPECT_EQ(Platform.Messages[0].Text, QStringLiteral("終了します。よろしいですか？"));
    EXPECT_EQ(Platform.Messages[0].Buttons, MessageButtons::YesNo);
    Form->MnuExitClick();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_TRUE(fs::exists(Paths.StateFile));
}

// The settings-file menu: the dialogs start at the last file, a cancel changes nothing, the
// chosen file becomes the last one, and a load brings the saved settings back.
TEST_F(WindowStateTest, SettingsFileMenu) {
    Start();
    Settings.ColorTable[1] = 5;
    Settings.LastSettingsFile = Bytes(Home / "old.set");
    Form->MnuSetSaveClick();  // cancelled
    EXPECT_FALSE(fs::exists(Home / "old.set"));
    ASSERT_EQ(Platform.FileChoices.size(), 1u);
    EXPECT_EQ(Platform.FileChoices[0].Title, QStringLiteral("現在の設定を保存"));
    EXPECT_EQ(Platform.FileChoices[0].InitialFolder, Q(Home) + "/");
    EXPECT_EQ(Platform.FileChoices[0].InitialName, "old.set");
    EXPECT_EQ(Platform.FileChoices[0].Filter, QStringLiteral("設定ファイル(*.set)"));
    EXPECT_EQ(Platform.FileChoices[0].DefaultSuffix, "set");

    Platform.Files.push_back(Q(Home / "new.set"));
    Form->MnuSetSaveClick();
    EXPECT_EQ(Settings.LastSettingsFile, Bytes(Home / "new.set"));
    EXPECT_EQ(ProfileDocument::Load(Bytes(Home / "new.set")).Get("JWW", "C1", 22).second, "5");

    Settings.ColorTable[1] = 0;
    Platform.Files.push_back(Q(Home / "new.set"));
    Form->MnuSetOpenClick();
    EXPECT_EQ(Platform.FileChoices.back().Title, QStringLiteral("保存した設定ファイルを開く"));
    EXPECT_EQ(Settings.ColorTable[1], 5);
    EXPECT_EQ(Platform.Beeps, 0);
}

// A settings file that cannot be read is refused with the dialog's error box; the settings
// and the last file stay as they were.
TEST_F(WindowStateTest, SettingsFileThatCannotBeRead) {
    Start();
    Settings.ColorTable[1] = 5;
    Settings.LastSettingsFile = Bytes(Home / "old.set");
    fs::create_directories(Home / "folder.set");
    Platform.Files = {Q(Home / "folder.set"), Q(Home / "missing.set")};
    Form->MnuSetOpenClick();
    Form->MnuSetOpenClick();
    EXPECT_EQ(MessageTexts(), (std::vector<QString>{QStringLiteral("設定ファイルを読み込めませんでした。\n") + Q(Home / "folder.set"),
                                                    QStringLiteral("設定ファイルを読み込めませんでした。\n") + Q(Home / "missing.set")}));
    EXPECT_EQ(Platform.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(Platform.Beeps, 2);
    EXPECT_EQ(Settings.ColorTable[1], 5);
    EXPECT_EQ(Settings.LastSettingsFile, Bytes(Home / "old.set"));
}

// A settings file that cannot be written is not passed over in silence.
TEST_F(WindowStateTest, SettingsFileThatCannotBeSaved) {
    Start();
    Platform.Files.push_back(Q(Home / "missing-folder" / "x.set"));
    Form->MnuSetSaveClick();
    EXPECT_EQ(Platform.Log.back(), QStringLiteral("message:設定ファイルを保存できませんでした。"));
    EXPECT_EQ(Platform.Beeps, 1);
}

}  // namespace
}  // namespace tolvane::testing
