// The settings dialog's wiring: controls filled from the settings and read back, the keys as
// users expect them, and the place of a refused value shown. The checks themselves are tested
// in frontend/.
#include "qt/settings_dialog.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "formats/jww.h"
#include "frontend/scripted_platform.h"
#include "frontend/texts.h"
#include "qt/qt_test_support.h"
#include "qt/qt_text.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

using testing::ScriptedPlatform;

void PressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() : dialog(settings, platform) {
        ResetConversionSettings(settings);
        settings.ColorTable[1] = 2;
        settings.WidthTable[1] = 25;
        settings.LineTypeTable[49] = 11;
        settings.ConversionOptions[ChangeSolidColors] = 1;
        settings.ConversionMode = ConversionModeKind::Combined;
        settings.Rules[0] = {true, 9, 18, 5, 31, 70, 0, 0};
        QObject::connect(&dialog, &QDialog::accepted, [this] { ++accepted; });
        dialog.FormShow();
    }

    ConversionSettings settings;
    ScriptedPlatform platform;
    SettingsDialog dialog;
    int accepted = 0;
};

// Every kind of control shows its value, and OK stores what they show.
TEST_F(SettingsDialogTest, ControlsShowAndStoreTheSettings) {
    EXPECT_EQ(dialog.colorGrid->Text(1, 0), "線色 1");
    EXPECT_EQ(dialog.colorGrid->Text(1, 1), "2");
    EXPECT_EQ(dialog.colorGrid->Text(1, 2), "25");
    EXPECT_EQ(dialog.lineTypeGrid->Text(49, 1), "11");
    EXPECT_TRUE(dialog.optionBoxes[ChangeSolidColors]->isChecked());
    EXPECT_EQ(dialog.pages->currentIndex(), 1);
    EXPECT_TRUE(dialog.ruleRows[0]->enabledBox->isChecked());
    EXPECT_EQ(dialog.ruleRows[0]->sourceColorList->currentIndex(), 9);
    EXPECT_EQ(dialog.ruleRows[0]->targetWidthEdit->text(), "70");

    dialog.colorGrid->SetText(3, 1, "7");
    dialog.optionBoxes[ChangeSolidColors]->setChecked(false);
    dialog.ruleRows[2]->sourceLineTypeList->setCurrentIndex(33);
    dialog.pages->setCurrentIndex(0);
    dialog.okButton->click();
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(settings.ColorTable[3], 7);
    EXPECT_EQ(settings.ConversionOptions[ChangeSolidColors], 0);
    EXPECT_EQ(settings.Rules[2].SourceLineTypeIndex, 33);
    EXPECT_EQ(settings.ConversionMode, ConversionModeKind::Individual);
}

// Enter in a cell editor keeps the typing; the next Enter is OK, also after another button
// was clicked; the open button has Alt+O.
TEST_F(SettingsDialogTest, Keys) {
    dialog.show();
    dialog.activateWindow();
    dialog.pages->setCurrentIndex(0);
    SettingsGrid* grid = dialog.colorGrid;
    grid->setFocus();
    grid->setCurrentCell(5, 1);
    grid->editItem(grid->item(5, 1));
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
    ASSERT_NE(editor, nullptr);
    editor->setText("8");
    PressKey(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->Text(6, 1), "8");
    EXPECT_EQ(accepted, 0);
    dialog.saveButton->click();  // the file choice is cancelled
    PressKey(grid, Qt::Key_Return);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(settings.ColorTable[6], 8);
    EXPECT_EQ(QKeySequence::mnemonic(dialog.openButton->text()), QKeySequence(Qt::ALT | Qt::Key_O));
}

// A refused value: the reason, the page, the focus on its cell or field; the dialog stays open.
TEST_F(SettingsDialogTest, RefusedValuePointsAtItsPlace) {
    dialog.colorGrid->SetText(7, 1, "100");
    dialog.okButton->click();
    EXPECT_EQ(accepted, 0);
    EXPECT_EQ(dialog.reasonLabel->text(), ToQString("7行目の" + std::string(dialog_text::kBadColor)));
    EXPECT_EQ(dialog.pages->currentIndex(), 0);
    EXPECT_EQ(dialog.focusWidget(), dialog.colorGrid);
    EXPECT_EQ(dialog.colorGrid->currentRow(), 6);
    EXPECT_EQ(dialog.colorGrid->currentColumn(), 1);

    dialog.colorGrid->SetText(7, 1, "0");
    dialog.ruleRows[3]->targetColorEdit->setText("500");
    dialog.okButton->click();
    EXPECT_EQ(dialog.pages->currentIndex(), 1);
    EXPECT_EQ(dialog.focusWidget(), dialog.ruleRows[3]->targetColorEdit);
    EXPECT_EQ(platform.Beeps, 2);
}

// Shift with the arrow keys selects whole rows, and the width button fills them.
TEST_F(SettingsDialogTest, RangeWithShiftAndArrows) {
    dialog.show();
    dialog.pages->setCurrentIndex(0);
    SettingsGrid* grid = dialog.colorGrid;
    grid->setFocus();
    grid->setCurrentCell(2, 1);
    PressKey(grid, Qt::Key_Down, Qt::ShiftModifier);
    PressKey(grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid->SelectedSlots(), std::make_pair(3, 5));
    dialog.widthInput->setText("40");
    dialog.Button5Click();
    for (int slot = 2; slot <= 6; ++slot) EXPECT_EQ(grid->Text(slot, 2), slot >= 3 && slot <= 5 ? "40" : "-1") << slot;
    dialog.widthInput->setText("30001");
    dialog.Button5Click();
    EXPECT_EQ(dialog.focusWidget(), dialog.widthInput);
    EXPECT_EQ(dialog.reasonLabel->text(), ToQString(dialog_text::kBadWidth));
}

// Escape and the close box are Cancel: nothing is stored.
TEST_F(SettingsDialogTest, EscapeAndCloseBoxStoreNothing) {
    for (const bool escape : {true, false}) {
        dialog.show();
        dialog.colorGrid->SetText(1, 1, "7");
        if (escape) PressKey(dialog.colorGrid, Qt::Key_Escape);
        else dialog.close();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(settings.ColorTable[1], 2);
    }
    EXPECT_EQ(accepted, 0);
}

// The file buttons reach the platform: open shows the file's values, save writes them.
TEST_F(SettingsDialogTest, FileButtons) {
    testing::TempFolder temp;
    const std::filesystem::path file = temp.Path() / "a.set";
    testing::WriteFile(file, std::string("[JWW]\r\nC1=9\r\n[Set]\r\nCVNO=0\r\n"));
    platform.Files.push_back(file);
    dialog.openButton->click();
    EXPECT_EQ(dialog.colorGrid->Text(1, 1), "9");
    EXPECT_EQ(dialog.pages->currentIndex(), 0);
    platform.Files.push_back(temp.Path() / "b.set");
    dialog.saveButton->click();
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "b.set"));
    EXPECT_EQ(platform.Log, (std::vector<std::string>{"open:保存した設定ファイルを開く", "save:現在の設定を保存"}));
}

// The 使用数 column is empty without selected drawings; each show counts them on a worker and
// fills in the frontend's cells when done, the rows that no drawing uses dimmed.
TEST_F(SettingsDialogTest, UsageColumnFillsInFromAWorker) {
    testing::TempFolder temp;
    const std::vector<std::filesystem::path> files = {temp.Path() / "a.jww"};
    ASSERT_TRUE(WriteJww(files[0], testing::MakeFloorPlan(420), 420, {}));
    const UsageCounts expected = CountUsage(files);
    const auto shows = [&](const UsageCounts* counts) {
        for (int s = 1; s <= kColorSlots; ++s) {
            const UsageCell cell = ColorUsageCell(counts, s);
            if (dialog.colorGrid->Text(s, dialog.colorGrid->UsageColumn()) != ToQString(cell.Text)) return false;
            if (dialog.colorGrid->item(s - 1, 0)->data(Qt::ForegroundRole).isValid() != cell.Dimmed) return false;
        }
        for (int s = 1; s <= kLineTypeSlots; ++s) {
            const UsageCell cell = LineTypeUsageCell(counts, s);
            if (dialog.lineTypeGrid->Text(s, dialog.lineTypeGrid->UsageColumn()) != ToQString(cell.Text)) return false;
            if (dialog.lineTypeGrid->item(s - 1, 1)->data(Qt::ForegroundRole).isValid() != cell.Dimmed) return false;
        }
        return true;
    };
    EXPECT_TRUE(shows(nullptr));
    dialog.SetUsageFiles(files);
    dialog.FormShow();
    EXPECT_TRUE(shows(nullptr));
    EXPECT_TRUE(testing::WaitFor([&] { return shows(&expected); }));
    EXPECT_FALSE(dialog.colorGrid->Text(1, dialog.colorGrid->UsageColumn()).isEmpty());
    dialog.SetUsageFiles({});
    dialog.FormShow();
    EXPECT_TRUE(shows(nullptr));
}

}  // namespace
}  // namespace tolvane
