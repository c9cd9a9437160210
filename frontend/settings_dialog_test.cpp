#include "frontend/settings_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/utf8_path.h"
#include "frontend/path_text.h"
#include "frontend/scripted_platform.h"
#include "frontend/texts.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPlatform;
using testing::TempFolder;
using testing::WriteFile;

class DialogLogic : public ::testing::Test {
protected:
    TempFolder temp;
    ConversionSettings settings;
    ScriptedPlatform platform;
    SettingsDialogLogic logic{settings, platform};

    DialogLogic() { ResetConversionSettings(settings); }
};

// OK: a refused value beeps and names its place; a raised version is told once OK passes.
TEST_F(DialogLogic, Ok) {
    DialogValues values = logic.FormShow();
    values.ColorCells[7] = "100";
    DialogStep step = logic.Button3Click(values);
    EXPECT_TRUE(step.Refused);
    EXPECT_EQ(step.Bad, (BadValue{BadValue::Place::ColorGrid, 7, 1}));
    EXPECT_EQ(step.Reason, "7行目の" + std::string(dialog_text::kBadColor));
    EXPECT_EQ(platform.Log, std::vector<std::string>{"beep"});

    values.ColorCells[7] = "101";
    step = logic.Button3Click(values);
    EXPECT_FALSE(step.Refused);
    EXPECT_EQ(platform.Messages.at(0), (Message{MessageKind::Information, std::string(dialog_text::kRaise420), MessageButtons::Ok}));
    EXPECT_EQ(settings.ColorTable[7], 101);
}

// Save: the checks first, then the file; the last settings file is the one chosen.
TEST_F(DialogLogic, Save) {
    DialogValues values = logic.FormShow();
    values.Rules[4].TargetWidth = "30001";
    EXPECT_EQ(logic.Button6Click(values).Bad, (BadValue{BadValue::Place::RuleField, 5, 3}));
    EXPECT_TRUE(platform.FileChoices.empty());
    values.Rules[4].TargetWidth = "-1";
    values.ColorCells[1] = "3";
    const fs::path file = temp.Path() / "a.set";
    platform.Files.push_back(file);
    EXPECT_FALSE(logic.Button6Click(values).Refused);
    EXPECT_EQ(settings.LastSettingsFile, Utf8FromPath(file));
    EXPECT_EQ(settings.ColorTable[1], 0);  // stored only by OK
    ConversionSettings saved;
    ASSERT_TRUE(LoadConversionSettings(saved, Utf8FromPath(file)).empty());
    EXPECT_EQ(saved.ColorTable[1], 3);

    platform.Files.push_back(temp.Path() / "no folder" / "b.set");
    logic.Button6Click(values);
    EXPECT_EQ(platform.Messages.back().Kind, MessageKind::Error);
    EXPECT_EQ(platform.Log.at(platform.Log.size() - 2), "beep");
}

// Open: the file's values; a file that cannot be read changes nothing, not even the last
// settings file; the choices start at the folder and name of the last file.
TEST_F(DialogLogic, Open) {
    const fs::path file = temp.Path() / "last one.set";
    WriteFile(file, std::string("[JWW]\r\nC1=9\r\n[Set]\r\nCVNO=1\r\n"));
    settings.LastSettingsFile = Utf8FromPath(file);
    DialogValues values = logic.FormShow();
    platform.Files.push_back(temp.Path() / "gone.set");
    EXPECT_FALSE(logic.Button7Click(values));
    EXPECT_EQ(settings.LastSettingsFile, Utf8FromPath(file));
    EXPECT_EQ(platform.Messages.back().Text, std::string(dialog_text::kNotRead) + DisplayPath(temp.Path() / "gone.set") +
                                                 "\n" + std::string(main_text::kSettingsMissing));
    EXPECT_EQ(platform.FileChoices.at(0),
              (FileChoice{"保存した設定ファイルを開く", AsFolder(temp.Path()), "last one.set", "設定ファイル(*.set)", "*.set", "set"}));

    platform.Files.push_back(file);
    EXPECT_TRUE(logic.Button7Click(values));
    EXPECT_EQ(values.ColorCells[1], "9");
    EXPECT_EQ(values.Page, 1);
    EXPECT_EQ(settings.ColorTable[1], 0);
}

// The range buttons: a refusal beeps with the reason; an accepted value fills the rows.
TEST_F(DialogLogic, RangeButtons) {
    DialogValues values = logic.FormShow();
    std::string input = "30001";
    const DialogStep refused = logic.SetRangeClick(values, RangeTarget::Width, input, 2, 3);
    EXPECT_TRUE(refused.Refused);
    EXPECT_FALSE(refused.Bad);
    EXPECT_EQ(refused.Reason, dialog_text::kBadWidth);
    EXPECT_EQ(platform.Beeps, 1);
    input = "007";
    EXPECT_FALSE(logic.SetRangeClick(values, RangeTarget::Width, input, 2, 3).Refused);
    EXPECT_EQ(input, "7");
    EXPECT_EQ(values.WidthCells[3], "7");
}

// The name lists as the controls show them.
TEST(DialogNames, InUtf8) {
    ASSERT_EQ(ColorNameTexts().size(), 265u);
    EXPECT_EQ(ColorNameTexts()[0], "線色 1");
    EXPECT_EQ(ColorNameTexts()[264], "SXF USER定義線色 256");
    ASSERT_EQ(LineTypeNameTexts().size(), 49u);
    EXPECT_EQ(LineTypeNameTexts()[13], "ランダム線５");
}

}  // namespace
}  // namespace tolvane
