// The settings dialog driven through its messages: the range buttons, the rule rows, the cell
// editor's keys, the file choosers, Enter and Escape. The checks themselves are tested in
// frontend/; a cell refused and mended on OK is in the main window's test.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "formats/utf8_path.h"
#include "frontend/texts.h"
#include "settings/settings_file.h"
#include "testsupport/test_files.h"
#include "win32/gui_test_support.h"
#include "win32/settings_dialog.h"
#include "win32/text.h"

namespace tolvane::win32 {
namespace {

using testing::ScriptedPlatform;

// Types text into a cell as a user does: the row made current, the column reached with the
// arrow keys, a typed character opens the editor, Enter keeps the text.
void TypeIntoCell(ListView& grid, GridEditor& editor, int row, int column, const std::wstring& text) {
    SetFocus(grid.Handle());
    editor.GoToCell(row, 1);
    for (int c = 1; c < column; ++c) SendMessageW(grid.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(grid.Handle(), WM_CHAR, text.front(), 0);
    ASSERT_TRUE(editor.Editing());
    SetWindowTextW(editor.Edit(), text.c_str());
    SendMessageW(editor.Edit(), WM_KEYDOWN, VK_RETURN, 0);
}

void Click(const TForm3& dialog, HWND button) {
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

class Win32SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ResetConversionSettings(settings);
        ASSERT_TRUE(dialog.Create(nullptr));
        dialog.FormShow();
        ShowWindow(dialog.Handle(), SW_SHOW);
        testing::PumpMessages();
    }

    ConversionSettings settings;
    ScriptedPlatform platform;
    TForm3 dialog{settings, platform};
};

TEST_F(Win32SettingsDialog, RuleRowsRangeButtonsAndPages) {
    // A refused range value beeps and names the range; an accepted one fills the selected rows.
    SetWindowTextW(dialog.Edit3, L"30001");
    Click(dialog, dialog.Button5);
    EXPECT_EQ(platform.Beeps, 1);
    EXPECT_EQ(WindowText(dialog.Label18), Wide(RangeReason(RangeTarget::Width)));
    for (int row : {3, 4, 5}) dialog.StringGrid1.Select(row, true);
    SetWindowTextW(dialog.Edit3, L"-1");
    Click(dialog, dialog.Button5);
    EXPECT_EQ(dialog.StringGrid1.Text(4, 2), L"-1");
    EXPECT_EQ(WindowText(dialog.Label18), L"");

    // A rule row that is not enabled but holds a bad target blocks OK on its page.
    dialog.SetPage(1);
    SetWindowTextW(dialog.Fram[2].Edit1, L"500");
    testing::SaveScreenshot(dialog.Handle(), "settings_dialog_combined");
    Click(dialog, dialog.Button3);
    EXPECT_EQ(dialog.Page(), 1);
    EXPECT_EQ(GetFocus(), dialog.Fram[2].Edit1);
    EXPECT_TRUE(IsWindowVisible(dialog.Handle()));

    SetWindowTextW(dialog.Fram[2].Edit1, L"3");
    SendMessageW(dialog.Fram[2].CheckBox1, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(dialog.Fram[2].CB1, CB_SETCURSEL, 1, 0);
    Click(dialog, dialog.Button3);
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
    EXPECT_EQ(settings.ConversionMode, ConversionModeKind::Combined);
    EXPECT_TRUE(settings.Rules[2].Enabled);
    EXPECT_EQ(settings.Rules[2].SourceColorIndex, 1);
    EXPECT_EQ(settings.Rules[2].TargetColor, 3);
}

// Escape drops what was typed into a cell; Up keeps it and moves to the row above.
TEST_F(Win32SettingsDialog, CellEditorKeys) {
    SetFocus(dialog.StringGrid1.Handle());
    dialog.Grid1Editor.GoToCell(4, 1);
    SendMessageW(dialog.StringGrid1.Handle(), WM_CHAR, L'7', 0);
    ASSERT_TRUE(dialog.Grid1Editor.Editing());
    SendMessageW(dialog.Grid1Editor.Edit(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(dialog.Grid1Editor.Editing());
    EXPECT_EQ(dialog.StringGrid1.Text(4, 1), L"0");

    SendMessageW(dialog.StringGrid1.Handle(), WM_KEYDOWN, VK_F2, 0);
    ASSERT_TRUE(dialog.Grid1Editor.Editing());
    SetWindowTextW(dialog.Grid1Editor.Edit(), L"8");
    SendMessageW(dialog.Grid1Editor.Edit(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(dialog.StringGrid1.Text(4, 1), L"8");
    EXPECT_EQ(dialog.Grid1Editor.CurrentRow(), 3);
}

// Save writes what the controls show; Open fills them; a file that cannot be read is
// refused and leaves the last settings file as it was.
TEST_F(Win32SettingsDialog, SaveAndOpenThroughTheFileChoosers) {
    tolvane::testing::TempFolder temp;
    const std::filesystem::path file = temp.Path() / L"納品.set";
    TypeIntoCell(dialog.StringGrid1, dialog.Grid1Editor, 0, 2, L"35");
    platform.Files.push_back(file);
    Click(dialog, dialog.Button6);
    ASSERT_EQ(platform.FileChoices.size(), 1u);
    EXPECT_EQ(platform.FileChoices[0].Title, dialog_text::kSaveTitle);
    EXPECT_EQ(settings.LastSettingsFile, Utf8FromPath(file));
    EXPECT_EQ(settings.WidthTable[1], -1);  // saving stores nothing else
    ConversionSettings saved;
    ResetConversionSettings(saved);
    LoadConversionSettings(saved, Utf8FromPath(file));
    EXPECT_EQ(saved.WidthTable[1], 35);

    dialog.FormShow();
    EXPECT_EQ(dialog.StringGrid1.Text(0, 2), L"-1");
    platform.Files.push_back(temp.Path() / "missing.set");
    Click(dialog, dialog.Button7);
    EXPECT_EQ(platform.Beeps, 1);
    ASSERT_EQ(platform.Messages.size(), 1u);
    EXPECT_EQ(platform.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(settings.LastSettingsFile, Utf8FromPath(file));
    platform.Files.push_back(file);
    Click(dialog, dialog.Button7);
    EXPECT_EQ(dialog.StringGrid1.Text(0, 2), L"35");
}

// Enter is OK wherever the focus is (outside a cell being edited); Escape is Cancel.
TEST_F(Win32SettingsDialog, EnterAndEscapeInTheModalLoop) {
    ShowWindow(dialog.Handle(), SW_HIDE);
    PostMessageW(dialog.CheckBox[0], WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(dialog.ShowModal());

    PostMessageW(dialog.CheckBox[0], BM_CLICK, 0, 0);
    PostMessageW(dialog.Button6, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(dialog.ShowModal());
    EXPECT_EQ(settings.ConversionOptions[0], 1);
    EXPECT_TRUE(platform.FileChoices.empty());  // not the save button that had the focus
}

}  // namespace
}  // namespace tolvane::win32
