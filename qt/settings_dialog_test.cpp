#include "qt/settings_dialog.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "qt/scripted_platform.h"
#include "settings/profile.h"
#include "settings/settings_file.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

using testing::ScriptedPlatform;
using testing::TempFolder;
using testing::WriteFile;

const char* const kRaise351 = "線幅指定を行いましたので、\nVer.3.51未満のデータはVer.3.51形式として保存されます。";
const char* const kRaise420 =
    "SXF対応拡張線色線種の指定を行いましたので、\nVer.4.20未満のデータはVer.4.20形式として保存されます。";

std::string Path(const TempFolder& folder, const char* name) { return (folder.Path() / name).string(); }

// ---------------------------------------------------------------------------------------------
// The checks of OK and save, without a window.

// ---------------------------------------------------------------------------------------------
// Settings files from the dialog.

// ---------------------------------------------------------------------------------------------
// The dialog window, driven through its handlers and the scripted platform.

ConversionSettings SampleSettings() {
    ConversionSettings settings;
    ResetConversionSettings(settings);
    settings.ColorTable[1] = 2;
    settings.ColorTable[10] = 356;
    settings.WidthTable[1] = 25;
    settings.WidthTable[265] = 0;
    settings.LineTypeTable[1] = 46;
    settings.LineTypeTable[49] = 11;
    settings.ConversionOptions[ChangeSolidColors] = 1;
    settings.ConversionOptions[ChangeExistingWidths] = 1;
    settings.ConversionMode = ConversionModeKind::Combined;
    settings.Rules[0] = {true, 9, 18, 5, 31, 70, 0, 0};
    settings.Rules[9] = {false, 264, 48, 0, 0, -1, 0, 0};
    ComputeVersionRaise(settings);
    return settings;
}

void PressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() : settings(SampleSettings()), dialog(settings, platform) {
        QObject::connect(&dialog, &QDialog::accepted, [this] { ++accepted; });
        dialog.FormShow();
    }

    ConversionSettings settings;
    ScriptedPlatform platform;
    TForm3 dialog;
    int accepted = 0;
    TempFolder folder;
};

TEST_F(SettingsDialogTest, ControlsCarryTheirNamesAndTexts) {
    EXPECT_EQ(dialog.windowTitle(), "JWW/JWS設定");
    EXPECT_EQ(dialog.size(), QSize(656, 526));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.PageControl1->tabText(0), "線色線種・個別変換(&1)");
    EXPECT_EQ(dialog.PageControl1->tabText(1), "線色線種・組合せ変換(&2)");
    EXPECT_EQ(dialog.findChild<QWidget*>("TabSheet2"), dialog.TabSheet2);
    EXPECT_EQ(dialog.findChild<SettingsGrid*>("StringGrid1"), dialog.StringGrid1);
    EXPECT_EQ(dialog.findChild<TFram*>("Fram10"), dialog.Fram[9]);
    EXPECT_EQ(dialog.Fram[9]->findChild<QLineEdit*>("Edit3"), dialog.Fram[9]->Edit3);
    EXPECT_EQ(dialog.findChild<QCheckBox*>("CheckBox8")->text(), "既に指定されている線幅を変更する");
    EXPECT_EQ(dialog.Button3->text(), "ＯＫ (&Y)");
    EXPECT_TRUE(dialog.Button3->isDefault());
    EXPECT_EQ(dialog.Button7->text(), "保存した設定を開く(O)");

    // Grid shapes: 266 x 3 and 50 x 2 with 24-pixel rows and the column widths of the form.
    EXPECT_EQ(dialog.StringGrid1->rowCount(), 266);
    EXPECT_EQ(dialog.StringGrid1->columnCount(), 3);
    EXPECT_EQ(dialog.StringGrid2->rowCount(), 50);
    EXPECT_EQ(dialog.StringGrid2->columnCount(), 2);
    EXPECT_EQ(dialog.StringGrid1->rowHeight(7), 24);
    EXPECT_EQ(dialog.StringGrid1->columnWidth(1), 106);
    EXPECT_EQ(dialog.StringGrid2->columnWidth(1), 118);
    EXPECT_EQ(dialog.StringGrid1->Text(0, 1), "変換後線色番号");
    EXPECT_EQ(dialog.StringGrid2->Text(0, 1), "変換後線種番号");
    EXPECT_FALSE(dialog.StringGrid1->item(5, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(dialog.StringGrid1->item(0, 2)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(dialog.StringGrid1->item(5, 2)->flags() & Qt::ItemIsEditable);

    // Names in the grids and lists, converted from Shift-JIS.
    EXPECT_EQ(dialog.StringGrid1->Text(1, 0), "線色 1");
    EXPECT_EQ(dialog.StringGrid1->Text(10, 0), "SXF 1:black");
    EXPECT_EQ(dialog.StringGrid1->Text(265, 0), "SXF USER定義線色 256");
    EXPECT_EQ(dialog.StringGrid2->Text(14, 0), "ランダム線５");
    EXPECT_EQ(dialog.Fram[0]->CB1->count(), 265);
    EXPECT_EQ(dialog.Fram[0]->CB2->count(), 49);
    EXPECT_EQ(dialog.Fram[0]->CB2->itemText(48), "SXF USER定義線種 32");
    EXPECT_EQ(dialog.Fram[0]->Edit1->maxLength(), 6);
    EXPECT_EQ(dialog.Fram[0]->Label1->text(), "→");
}

// FormShow: every value of the stored settings in its control, the page from the mode.
TEST_F(SettingsDialogTest, FormShowFillsFromTheStoredSettings) {
    EXPECT_EQ(dialog.StringGrid1->Text(1, 1), "2");
    EXPECT_EQ(dialog.StringGrid1->Text(1, 2), "25");
    EXPECT_EQ(dialog.StringGrid1->Text(10, 1), "356");
    EXPECT_EQ(dialog.StringGrid1->Text(2, 2), "-1");
    EXPECT_EQ(dialog.StringGrid1->Text(265, 2), "0");
    EXPECT_EQ(dialog.StringGrid2->Text(1, 1), "46");
    EXPECT_EQ(dialog.StringGrid2->Text(49, 1), "11");
    EXPECT_FALSE(dialog.CheckBox[0]->isChecked());
    EXPECT_TRUE(dialog.CheckBox[2]->isChecked());
    EXPECT_TRUE(dialog.CheckBox[7]->isChecked());
    EXPECT_EQ(dialog.PageControl1->currentIndex(), 1);
    EXPECT_TRUE(dialog.Fram[0]->CheckBox1->isChecked());
    EXPECT_EQ(dialog.Fram[0]->CB1->currentIndex(), 9);
    EXPECT_EQ(dialog.Fram[0]->CB2->currentIndex(), 18);
    EXPECT_EQ(dialog.Fram[0]->Edit2->text(), "31");
    EXPECT_EQ(dialog.Fram[0]->Edit3->text(), "70");
    EXPECT_EQ(dialog.Fram[9]->CB1->currentIndex(), 264);
    EXPECT_EQ(dialog.Fram[5]->Edit3->text(), "-1");

    // A hand-edited option of 2 is off for a run, and its box shows it so, but for the
    // existing widths, which any non-zero value switches on; a mode other than 0 or 1 is
    // individual mode.
    settings.ConversionOptions[ChangeDimensionLineTypes] = 2;
    settings.ConversionOptions[ChangeExistingWidths] = 2;
    settings.ConversionMode = static_cast<ConversionModeKind>(5);
    settings.Rules[0].SourceColorIndex = 400;
    dialog.FormShow();
    EXPECT_FALSE(dialog.CheckBox[5]->isChecked());
    EXPECT_TRUE(dialog.CheckBox[7]->isChecked());
    EXPECT_EQ(dialog.PageControl1->currentIndex(), 0);
    EXPECT_EQ(dialog.Fram[0]->CB1->currentIndex(), -1);
}

TEST_F(SettingsDialogTest, LettersInAColourCellBecomeZeroAndOkSucceeds) {
    dialog.StringGrid1->SetText(4, 1, "abc");
    dialog.Button3Click();
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(platform.Beeps, 0);
    EXPECT_EQ(dialog.StringGrid1->Text(4, 1), "0");
    EXPECT_EQ(settings.ColorTable[4], 0);
}

// A refused cell: beep and the reason, page 0, the grid focused with the cell current, the
// dialog open, nothing stored.
TEST_F(SettingsDialogTest, RefusedCellStopsOkOnTheIndividualPage) {
    struct Case {
        SettingsGrid* TForm3::*grid;
        int row;
        int column;
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {&TForm3::StringGrid1, 7, 1, "10", "7行目の線色番号が正しくありません（0、1～9、101～356）。"},
        {&TForm3::StringGrid1, 7, 1, "100", "7行目の線色番号が正しくありません（0、1～9、101～356）。"},
        {&TForm3::StringGrid1, 200, 2, "30001", "200行目の線幅が正しくありません（-1、0、1～30000）。"},
        {&TForm3::StringGrid2, 12, 1, "20", "12行目の線種番号が正しくありません（0、1～9、11～19、31～62）。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        dialog.FormShow();
        ASSERT_EQ(dialog.PageControl1->currentIndex(), 1);
        SettingsGrid* grid = dialog.*c.grid;
        grid->SetText(c.row, c.column, c.text);
        dialog.StringGrid1->SetText(1, 1, "4");
        dialog.StringGrid1->SetText(2, 1, "x");
        const int beeps = platform.Beeps;
        dialog.Button3Click();
        EXPECT_EQ(platform.Beeps, beeps + 1);
        EXPECT_EQ(dialog.Label18->text(), QString::fromUtf8(c.reason));
        EXPECT_EQ(accepted, 0);
        EXPECT_EQ(dialog.PageControl1->currentIndex(), 0);
        EXPECT_EQ(dialog.focusWidget(), grid);
        EXPECT_EQ(grid->currentRow(), c.row);
        EXPECT_EQ(grid->currentColumn(), c.column);
        EXPECT_EQ(grid->Text(c.row, c.column), c.text);
        EXPECT_EQ(dialog.StringGrid1->Text(2, 1), "0");  // rewritten before the stop
        EXPECT_EQ(settings.ColorTable[1], 2);
        EXPECT_EQ(settings.ConversionMode, ConversionModeKind::Combined);
        EXPECT_TRUE(platform.Messages.empty());
    }
}

// A cell still being edited counts with what was typed when a button is pressed.
TEST_F(SettingsDialogTest, CellBeingEditedIsTakenByOk) {
    dialog.show();
    dialog.PageControl1->setCurrentIndex(0);
    dialog.StringGrid1->setCurrentCell(3, 1);
    dialog.StringGrid1->editItem(dialog.StringGrid1->item(3, 1));
    auto* editor = qobject_cast<QLineEdit*>(dialog.StringGrid1->indexWidget(dialog.StringGrid1->currentIndex()));
    ASSERT_NE(editor, nullptr);
    editor->setText("7");
    dialog.Button3Click();
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(settings.ColorTable[3], 7);
}

// Enter in a cell editor keeps the typing and the next Enter is OK; Escape in the editor drops
// the typing and leaves the dialog open.
TEST_F(SettingsDialogTest, EnterAndEscapeInACellEditor) {
    dialog.show();
    dialog.activateWindow();
    dialog.PageControl1->setCurrentIndex(0);
    SettingsGrid* grid = dialog.StringGrid1;
    grid->setFocus();
    grid->setCurrentCell(6, 1);
    PressKey(grid, Qt::Key_4, Qt::NoModifier, "4");
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
    ASSERT_NE(editor, nullptr);
    PressKey(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->Text(6, 1), "0");
    EXPECT_TRUE(dialog.isVisible());

    grid->editItem(grid->item(6, 1));
    editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
    ASSERT_NE(editor, nullptr);
    editor->setText("8");
    PressKey(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->Text(6, 1), "8");
    EXPECT_EQ(accepted, 0);

    // The next Enter goes to the default button.
    PressKey(grid, Qt::Key_Return);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(settings.ColorTable[6], 8);
}

// Shift with the arrow keys selects whole rows; the width button fills them, or beeps and
// changes nothing for a width out of range.
TEST_F(SettingsDialogTest, RangeButtonsFillTheRowsSelectedWithShiftAndArrows) {
    dialog.show();
    dialog.PageControl1->setCurrentIndex(0);
    SettingsGrid* grid = dialog.StringGrid1;
    grid->setFocus();
    grid->setCurrentCell(3, 1);
    PressKey(grid, Qt::Key_Down, Qt::ShiftModifier);
    PressKey(grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid->SelectedRows(), std::make_pair(3, 5));

    dialog.Edit3->setText("30001");
    dialog.Button5Click();
    EXPECT_EQ(platform.Beeps, 1);
    EXPECT_EQ(dialog.focusWidget(), dialog.Edit3);
    EXPECT_EQ(dialog.Edit3->text(), "30001");
    EXPECT_EQ(dialog.Label18->text(), QStringLiteral("線幅が正しくありません（-1、0、1～30000）。"));
    for (int row = 1; row <= 265; ++row) ASSERT_EQ(grid->Text(row, 2), row == 1 ? "25" : row == 265 ? "0" : "-1");

    for (int row = 2; row <= 6; ++row) grid->SetText(row, 2, "7");
    dialog.Edit3->setText("-1");
    dialog.Button5Click();
    EXPECT_EQ(platform.Beeps, 1);
    EXPECT_EQ(dialog.Label18->text(), QString());
    for (int row = 2; row <= 6; ++row) EXPECT_EQ(grid->Text(row, 2), row >= 3 && row <= 5 ? "-1" : "7") << row;

    dialog.Edit1->setText("009");
    dialog.Button1Click();
    EXPECT_EQ(dialog.Edit1->text(), "9");
    for (int row = 2; row <= 6; ++row) EXPECT_EQ(grid->Text(row, 1), row >= 3 && row <= 5 ? "9" : "0") << row;

    // The line-type grid: 46 is a target, 10 and 20 are not.
    SettingsGrid* lineTypes = dialog.StringGrid2;
    lineTypes->setFocus();
    lineTypes->setCurrentCell(48, 1);
    PressKey(lineTypes, Qt::Key_Down, Qt::ShiftModifier);
    PressKey(lineTypes, Qt::Key_Down, Qt::ShiftModifier);  // stays on the last row
    EXPECT_EQ(lineTypes->SelectedRows(), std::make_pair(48, 49));
    for (const char* refused : {"10", "20"}) {
        dialog.Edit2->setText(refused);
        dialog.Button2Click();
        EXPECT_EQ(lineTypes->Text(48, 1), "0");
    }
    EXPECT_EQ(platform.Beeps, 3);
    dialog.Edit2->setText("46");
    dialog.Button2Click();
    EXPECT_EQ(lineTypes->Text(48, 1), "46");
    EXPECT_EQ(lineTypes->Text(49, 1), "46");
    EXPECT_EQ(lineTypes->Text(47, 1), "0");
}

// A disabled rule row with target colour 500 blocks OK on page 1 after the tables are stored.
TEST_F(SettingsDialogTest, BadDisabledRuleRowBlocksOkAfterTablesAreStored) {
    dialog.PageControl1->setCurrentIndex(0);
    dialog.StringGrid1->SetText(3, 1, "9");
    dialog.CheckBox[0]->setChecked(true);
    dialog.Fram[0]->Edit1->setText("8");
    dialog.Fram[3]->Edit1->setText("500");
    dialog.Button3Click();
    EXPECT_EQ(platform.Beeps, 1);
    EXPECT_EQ(accepted, 0);
    EXPECT_EQ(dialog.PageControl1->currentIndex(), 1);
    EXPECT_EQ(dialog.focusWidget(), dialog.Fram[3]->Edit1);
    EXPECT_EQ(dialog.Fram[3]->Edit1->text(), "500");
    EXPECT_EQ(settings.ColorTable[3], 9);
    EXPECT_EQ(settings.ConversionOptions[ChangeTextSettingColors], 1);
    EXPECT_EQ(settings.Rules[0].TargetColor, 5);
    EXPECT_EQ(settings.ConversionMode, ConversionModeKind::Combined);
}

TEST_F(SettingsDialogTest, OkStoresTheModeOfThePageShowing) {
    for (TFram* row : dialog.Fram) row->CheckBox1->setChecked(false);
    dialog.PageControl1->setCurrentIndex(1);
    dialog.Button3Click();
    EXPECT_EQ(settings.ConversionMode, ConversionModeKind::Combined);
    EXPECT_EQ(EnabledRuleCount(settings), 0);

    dialog.FormShow();
    dialog.Fram[2]->CheckBox1->setChecked(true);
    dialog.Fram[2]->CB2->setCurrentIndex(33);
    dialog.PageControl1->setCurrentIndex(0);
    dialog.Button3Click();
    EXPECT_EQ(accepted, 2);
    EXPECT_EQ(settings.ConversionMode, ConversionModeKind::Individual);
    EXPECT_TRUE(settings.Rules[2].Enabled);
    EXPECT_EQ(settings.Rules[2].SourceLineTypeIndex, 33);
}

// The version note after OK: none for base widths only, 3.51 for a width, 4.20 for an SXF
// number in a table or in an enabled rule (a disabled rule does not count).
TEST_F(SettingsDialogTest, VersionRaiseMessages) {
    struct Case {
        const char* name;
        int widthRow;
        const char* width;
        int colorRow;
        const char* color;
        bool ruleEnabled;
        const char* ruleColor;
        const char* expected;
    };
    const Case cases[] = {
        {"base widths", 0, "", 0, "", false, "0", nullptr},
        {"one width of 1", 100, "1", 0, "", false, "0", kRaise351},
        {"width and SXF colour", 100, "1", 50, "101", false, "0", kRaise420},
        {"enabled rule with SXF colour", 0, "", 0, "", true, "356", kRaise420},
        {"disabled rule with SXF colour", 0, "", 0, "", false, "356", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetConversionSettings(settings);
        dialog.FormShow();
        dialog.StringGrid1->selectAll();
        dialog.Edit3->setText("0");
        dialog.Button5Click();
        if (c.widthRow) dialog.StringGrid1->SetText(c.widthRow, 2, c.width);
        if (c.colorRow) dialog.StringGrid1->SetText(c.colorRow, 1, c.color);
        dialog.Fram[6]->CheckBox1->setChecked(c.ruleEnabled);
        dialog.Fram[6]->Edit1->setText(c.ruleColor);
        platform.Messages.clear();
        dialog.Button3Click();
        ASSERT_EQ(platform.Messages.size(), c.expected ? 1u : 0u);
        if (c.expected) {
            EXPECT_EQ(platform.Messages[0].Text, c.expected);
            EXPECT_EQ(platform.Messages[0].Kind, MessageKind::Information);
            EXPECT_EQ(platform.Messages[0].Buttons, MessageButtons::Ok);
        }
    }
    EXPECT_EQ(accepted, 5);
    EXPECT_EQ(platform.Beeps, 0);
}

// The dialog works on copies: Cancel after opening a file stores nothing, and the next show
// brings the stored settings back.
TEST_F(SettingsDialogTest, CancelAfterOpeningAFileKeepsTheSettings) {
    const ConversionSettings before = settings;
    const std::string file = Path(folder, "other.set");
    WriteFile(file, std::string("[JWW]\r\nC1=9\r\nW1=300\r\nC315=1\r\n[Set]\r\nCVNO=0\r\n[JWW1]\r\nFL1=0\r\nCL1=8\r\n"));
    platform.Files.push_back(QString::fromStdString(file));
    dialog.Button7Click();
    EXPECT_EQ(dialog.StringGrid1->Text(1, 1), "9");
    EXPECT_EQ(dialog.StringGrid1->Text(1, 2), "300");
    EXPECT_EQ(dialog.StringGrid1->Text(10, 1), "0");
    EXPECT_TRUE(dialog.CheckBox[0]->isChecked());
    EXPECT_FALSE(dialog.CheckBox[2]->isChecked());
    EXPECT_EQ(dialog.PageControl1->currentIndex(), 0);
    EXPECT_FALSE(dialog.Fram[0]->CheckBox1->isChecked());
    EXPECT_EQ(dialog.Fram[0]->Edit1->text(), "8");
    EXPECT_EQ(settings.LastSettingsFile, file);

    dialog.Button4Click();
    EXPECT_EQ(accepted, 0);
    EXPECT_EQ(settings.ColorTable, before.ColorTable);
    EXPECT_EQ(settings.WidthTable, before.WidthTable);
    EXPECT_EQ(settings.ConversionOptions, before.ConversionOptions);
    EXPECT_EQ(settings.ConversionMode, before.ConversionMode);
    EXPECT_TRUE(settings.Rules[0].Enabled);
    EXPECT_EQ(settings.Rules[0].TargetColor, 5);

    dialog.FormShow();
    EXPECT_EQ(dialog.StringGrid1->Text(1, 1), "2");
    EXPECT_TRUE(dialog.CheckBox[2]->isChecked());
    EXPECT_EQ(dialog.PageControl1->currentIndex(), 1);
    EXPECT_EQ(dialog.Fram[0]->Edit1->text(), "5");
}

// Escape and the close box are Cancel.
TEST_F(SettingsDialogTest, EscapeAndCloseBoxStoreNothing) {
    const auto closeBy = [this](bool escape) {
        dialog.show();
        dialog.StringGrid1->SetText(1, 1, "7");
        dialog.Fram[0]->CheckBox1->setChecked(false);
        if (escape) {
            PressKey(dialog.StringGrid1, Qt::Key_Escape);
        } else {
            dialog.close();
        }
    };
    for (bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "close box");
        closeBy(escape);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(settings.ColorTable[1], 2);
        EXPECT_TRUE(settings.Rules[0].Enabled);
    }
    EXPECT_EQ(accepted, 0);
}

// The dialog's file choices: titles, filter, suffix, and the folder and name of the last file.
TEST_F(SettingsDialogTest, FileChoicesStartAtTheLastSettingsFile) {
    settings.LastSettingsFile = (folder.Path() / "last one.set").string();
    dialog.Button6Click();  // cancelled: nothing written, the last file kept
    dialog.Button7Click();
    ASSERT_EQ(platform.FileChoices.size(), 2u);
    const QString expectedFolder = QString::fromStdString(folder.Path().string()) + "/";
    for (const FileChoice& choice : platform.FileChoices) {
        EXPECT_EQ(choice.InitialFolder, expectedFolder);
        EXPECT_EQ(choice.InitialName, "last one.set");
        EXPECT_EQ(choice.Filter, "設定ファイル(*.set)");
        EXPECT_EQ(choice.DefaultSuffix, "set");
    }
    EXPECT_EQ(platform.Log, (std::vector<QString>{"save:現在の設定を保存", "open:保存した設定ファイルを開く"}));
    EXPECT_EQ(settings.LastSettingsFile, (folder.Path() / "last one.set").string());
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

// A file saved from the dialog and one saved from the main menu for the same settings hold the
// same keys and values; a bad value stops the save before the file choice.
TEST_F(SettingsDialogTest, SaveFromTheDialogMatchesSaveFromTheMenu) {
    const std::string fromMenu = Path(folder, "menu.set");
    const std::string fromDialog = Path(folder, "dialog.set");
    ASSERT_TRUE(SaveConversionSettings(settings, fromMenu));

    dialog.Fram[4]->Edit3->setText("30001");
    dialog.Button6Click();
    EXPECT_EQ(platform.Log, std::vector<QString>{"beep"});
    EXPECT_EQ(dialog.focusWidget(), dialog.Fram[4]->Edit3);

    dialog.Fram[4]->Edit3->setText("-1");
    platform.Files.push_back(QString::fromStdString(fromDialog));
    dialog.Button6Click();
    EXPECT_EQ(settings.LastSettingsFile, fromDialog);
    const ProfileDocument menu = ProfileDocument::Load(fromMenu);
    const ProfileDocument saved = ProfileDocument::Load(fromDialog);
    std::vector<std::pair<std::string, std::string>> keys;
    for (int n = 1; n <= kSequenceLength; ++n) keys.emplace_back("JWW", "C" + std::to_string(n));
    for (int n = 1; n <= kColorSlots; ++n) keys.emplace_back("JWW", "W" + std::to_string(n));
    keys.emplace_back("Set", "CVNO");
    for (int r = 1; r <= kRuleCount; ++r) {
        for (const char* key : {"FL", "CN", "LN", "CL", "LT", "WD"}) keys.emplace_back("JWW1", key + std::to_string(r));
    }
    for (const auto& [section, key] : keys) {
        const auto expected = menu.Get(section, key, 22);
        ASSERT_TRUE(expected.first) << key;
        EXPECT_EQ(saved.Get(section, key, 22), expected) << key;
    }
    EXPECT_EQ(saved.Get("JWW1", "WD1", 22).second, "70");
    EXPECT_EQ(saved.Bytes(), menu.Bytes());

    // The stored settings did not change, only the last file.
    EXPECT_EQ(settings.Rules[4].TargetWidth, -1);
}

// Saving into an existing file keeps its other sections; a file that cannot be written is
// reported instead of passing as saved.
TEST_F(SettingsDialogTest, SaveKeepsOtherSectionsAndReportsFailure) {
    const std::string file = Path(folder, "tolvane.ini");
    WriteFile(file, std::string("[Form]\r\nF1_X=10\r\n[JWW]\r\nC1=9\r\n"));
    platform.Files.push_back(QString::fromStdString(file));
    dialog.Button6Click();
    const ProfileDocument document = ProfileDocument::Load(file);
    EXPECT_EQ(document.Get("Form", "F1_X", 22).second, "10");
    EXPECT_EQ(document.Get("JWW", "C1", 22).second, "2");
    EXPECT_TRUE(platform.Messages.empty());

    const std::string unwritable = Path(folder, "no such folder/x.set");
    platform.Files.push_back(QString::fromStdString(unwritable));
    dialog.Button6Click();
    ASSERT_EQ(platform.Messages.size(), 1u);
    EXPECT_EQ(platform.Messages[0].Kind, MessageKind::Error);
    ASSERT_GE(platform.Log.size(), 2u);
    EXPECT_EQ(platform.Log[platform.Log.size() - 2], "beep");
    EXPECT_EQ(settings.LastSettingsFile, unwritable);
}

// Opening a file in the dialog shows what the file says to a run.
TEST_F(SettingsDialogTest, OpenShowsTheFileAsARunReadsIt) {
    const std::string file = Path(folder, "hand.set");
    WriteFile(file, std::string("[JWW]\r\nC317=2\r\nC318=1\r\n[Set]\r\nCVNO=5\r\n[JWW1]\r\nFL3=TRUE\r\nFL4=1\r\n"));
    dialog.PageControl1->setCurrentIndex(1);
    platform.Files.push_back(QString::fromStdString(file));
    dialog.Button7Click();
    EXPECT_FALSE(dialog.CheckBox[2]->isChecked());
    EXPECT_TRUE(dialog.CheckBox[3]->isChecked());
    EXPECT_EQ(dialog.PageControl1->currentIndex(), 0);  // CVNO=5 converts individually
    EXPECT_TRUE(dialog.Fram[2]->CheckBox1->isChecked());  // FL3=TRUE
    EXPECT_TRUE(dialog.Fram[3]->CheckBox1->isChecked());
    EXPECT_EQ(platform.Beeps, 0);

    // A file that has gone by the time it is read changes nothing and is reported.
    platform.Files.push_back(QString::fromStdString(Path(folder, "gone.set")));
    dialog.Button7Click();
    EXPECT_EQ(platform.Beeps, 1);
    ASSERT_EQ(platform.Messages.size(), 1u);
    EXPECT_EQ(platform.Messages[0].Kind, MessageKind::Error);
    EXPECT_TRUE(dialog.Fram[3]->CheckBox1->isChecked());
}

// Screenshots of both pages for a look at the layout and the Japanese text.
TEST_F(SettingsDialogTest, ScreenshotsOfBothPages) {
    const char* folderVariable = std::getenv("TOLVANE_SCREENSHOT_DIR");
    const std::filesystem::path out = folderVariable ? folderVariable : std::filesystem::current_path().string();
    EXPECT_EQ(QFontInfo(dialog.font()).family(), "IPAGothic");
    dialog.show();
    for (int page : {0, 1}) {
        dialog.PageControl1->setCurrentIndex(page);
        const QString file = QString::fromStdString((out / ("settings_dialog_page" + std::to_string(page) + ".png")).string());
        const QPixmap shot = dialog.grab();
        EXPECT_EQ(shot.size(), QSize(656, 526));
        EXPECT_TRUE(shot.save(file)) << file.toStdString();
    }
}

}  // namespace
}  // namespace tolvane

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
