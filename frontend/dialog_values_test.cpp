#include "frontend/dialog_values.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "settings/settings_file.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

using testing::TempFolder;
using testing::WriteFile;

DialogValues DefaultValues() {
    ConversionSettings settings;
    ResetConversionSettings(settings);
    return DialogValuesOf(settings);
}

std::string Path(const TempFolder& folder, const char* name) { return (folder.Path() / name).string(); }

// Lenient reading: letters, blanks and empty cells read as 0 and are rewritten as "0".
TEST(DialogChecks, UnreadableCellsBecomeZeroAndPass) {
    DialogValues values = DefaultValues();
    values.ColorCells[4] = "abc";
    values.ColorCells[5] = "";
    values.WidthCells[6] = "1.5";
    values.LineTypeCells[2] = "x";
    values.ColorCells[8] = "+7";
    EXPECT_EQ(CheckTables(values), std::nullopt);
    EXPECT_EQ(values.ColorCells[4], "0");
    EXPECT_EQ(values.ColorCells[5], "0");
    EXPECT_EQ(values.WidthCells[6], "0");
    EXPECT_EQ(values.LineTypeCells[2], "0");
}

// The first refused cell, in the order colour, width per row, then the line types; the cells
// before it are rewritten, the refused one and everything after it are left as typed.
TEST(DialogChecks, StopAtTheFirstRefusedCell) {
    struct Case {
        const char* name;
        int colorRow;
        const char* color;
        int widthRow;
        const char* width;
        int lineTypeRow;
        const char* lineType;
        BadValue expected;
    };
    const Case cases[] = {
        {"colour 10", 7, "10", 0, "", 0, "", {BadValue::Place::ColorGrid, 7, 1}},
        {"colour 100", 7, "100", 0, "", 0, "", {BadValue::Place::ColorGrid, 7, 1}},
        {"colour 357", 265, "357", 0, "", 0, "", {BadValue::Place::ColorGrid, 265, 1}},
        {"colour -1", 1, "-1", 0, "", 0, "", {BadValue::Place::ColorGrid, 1, 1}},
        {"width 30001", 0, "", 3, "30001", 0, "", {BadValue::Place::ColorGrid, 3, 2}},
        {"width -2", 0, "", 3, "-2", 0, "", {BadValue::Place::ColorGrid, 3, 2}},
        {"colour before width of the same row", 9, "500", 9, "30001", 0, "", {BadValue::Place::ColorGrid, 9, 1}},
        {"width row before later colour row", 20, "10", 5, "99999", 0, "", {BadValue::Place::ColorGrid, 5, 2}},
        {"line type 10", 0, "", 0, "", 4, "10", {BadValue::Place::LineTypeGrid, 4, 1}},
        {"line type 20", 0, "", 0, "", 4, "20", {BadValue::Place::LineTypeGrid, 4, 1}},
        {"line type 63", 0, "", 0, "", 49, "63", {BadValue::Place::LineTypeGrid, 49, 1}},
        {"colour grid before line-type grid", 265, "10", 0, "", 1, "10", {BadValue::Place::ColorGrid, 265, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogValues values = DefaultValues();
        values.ColorCells[2] = "5x";
        values.LineTypeCells[49] = "abc";
        if (c.colorRow) values.ColorCells[c.colorRow] = c.color;
        if (c.widthRow) values.WidthCells[c.widthRow] = c.width;
        if (c.lineTypeRow) values.LineTypeCells[c.lineTypeRow] = c.lineType;
        EXPECT_EQ(CheckTables(values), c.expected);
        const bool beyondRow2 = c.expected.Where != BadValue::Place::ColorGrid || c.expected.Row > 2;
        EXPECT_EQ(values.ColorCells[2], beyondRow2 ? "0" : "5x");
        if (c.colorRow) {
            EXPECT_EQ(values.ColorCells[c.colorRow], c.color);
        }
        if (c.expected.Where == BadValue::Place::ColorGrid) {
            EXPECT_EQ(values.LineTypeCells[49], "abc");
        }
    }
}

// Every accepted target value, including line type 46, which has no slot as a source.
TEST(DialogChecks, AcceptsTheWholeRangesOfTargets) {
    DialogValues values = DefaultValues();
    const char* colors[] = {"0", "1", "9", "101", "356"};
    const char* widths[] = {"-1", "0", "1", "30000"};
    const char* lineTypes[] = {"0", "9", "11", "19", "31", "46", "62"};
    for (int i = 0; i < 5; ++i) values.ColorCells[1 + i] = colors[i];
    for (int i = 0; i < 4; ++i) values.WidthCells[1 + i] = widths[i];
    for (int i = 0; i < 7; ++i) values.LineTypeCells[1 + i] = lineTypes[i];
    EXPECT_EQ(CheckTables(values), std::nullopt);
    EXPECT_EQ(values.LineTypeCells[6], "46");
}

// Rule rows are checked whether enabled or not, field by field, and never rewritten.
TEST(DialogChecks, RuleRowsInOrderEnabledOrNot) {
    struct Case {
        const char* name;
        int row;
        RuleRowValues rule;
        std::optional<BadValue> expected;
    };
    const Case cases[] = {
        {"disabled colour 500", 3, {false, 0, 0, "500", "0", "-1"}, BadValue{BadValue::Place::RuleField, 3, 1}},
        {"line type 20", 10, {true, 0, 0, "0", "20", "-1"}, BadValue{BadValue::Place::RuleField, 10, 2}},
        {"width 30001", 1, {true, 0, 0, "0", "0", "30001"}, BadValue{BadValue::Place::RuleField, 1, 3}},
        {"colour before line type", 2, {true, 0, 0, "10", "10", "-5"}, BadValue{BadValue::Place::RuleField, 2, 1}},
        {"line type 46 and letters", 5, {true, 0, 0, "abc", "46", ""}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogValues values = DefaultValues();
        values.Rules[c.row - 1] = c.rule;
        EXPECT_EQ(CheckRules(values), c.expected);
        EXPECT_EQ(values.Rules[c.row - 1].TargetColor, c.rule.TargetColor);
    }
}

// OK stores the tables and options before it checks the rules.
TEST(DialogChecks, BadRuleLeavesTablesStoredAndRulesUntouched) {
    ConversionSettings settings;
    ResetConversionSettings(settings);
    settings.Rules[0].Enabled = true;
    settings.Rules[0].TargetColor = 3;
    settings.ConversionMode = ConversionModeKind::Individual;
    DialogValues values = DialogValuesOf(settings);
    values.ColorCells[12] = "102";
    values.Options[ChangeBlockLineTypes] = true;
    values.Rules[0].TargetColor = "7";
    values.Rules[4].TargetColor = "500";  // disabled row
    values.Page = 1;

    EXPECT_EQ(ConfirmDialog(values, settings), (BadValue{BadValue::Place::RuleField, 5, 1}));
    EXPECT_EQ(settings.ColorTable[12], 102);
    EXPECT_EQ(settings.ConversionOptions[ChangeBlockLineTypes], 1);
    EXPECT_EQ(settings.Rules[0].TargetColor, 3);
    EXPECT_EQ(settings.ConversionMode, ConversionModeKind::Individual);
    EXPECT_EQ(settings.VersionRaise, VersionRaiseLevel::None);  // the SXF colour is not yet counted
}

// The mode is the page showing; the rules are stored either way.
TEST(DialogChecks, ModeIsThePageShowing) {
    for (int page : {0, 1}) {
        SCOPED_TRACE(page);
        ConversionSettings settings;
        ResetConversionSettings(settings);
        settings.ConversionMode = page == 1 ? ConversionModeKind::Individual : ConversionModeKind::Combined;
        DialogValues values = DialogValuesOf(settings);
        values.Page = page;
        values.Rules[9] = {false, 264, 48, "356", "62", "30000"};
        EXPECT_EQ(ConfirmDialog(values, settings), std::nullopt);
        EXPECT_EQ(settings.ConversionMode, page == 1 ? ConversionModeKind::Combined : ConversionModeKind::Individual);
        EXPECT_EQ(settings.Rules[9].SourceColorIndex, 264);
        EXPECT_EQ(settings.Rules[9].SourceLineTypeIndex, 48);
        EXPECT_EQ(settings.Rules[9].TargetWidth, 30000);
        EXPECT_EQ(EnabledRuleCount(settings), 0);
    }
}

// The range buttons: refused values change nothing; accepted ones fill exactly the rows given.
TEST(DialogChecks, RangeSetting) {
    struct Case {
        const char* name;
        RangeTarget target;
        const char* input;
        bool accepted;
        const char* shown;
    };
    const Case cases[] = {
        {"width 30001", RangeTarget::Width, "30001", false, "30001"},
        {"width -1", RangeTarget::Width, "-1", true, "-1"},
        {"width letters are the base width", RangeTarget::Width, "abc", true, "0"},
        {"colour 100", RangeTarget::Color, "100", false, "100"},
        {"colour 356", RangeTarget::Color, "356", true, "356"},
        {"colour empty is no change", RangeTarget::Color, "", true, "0"},
        {"line type 46", RangeTarget::LineType, "46", true, "46"},
        {"line type 10", RangeTarget::LineType, "10", false, "10"},
        {"line type 20", RangeTarget::LineType, "20", false, "20"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogValues values = DefaultValues();
        const DialogValues before = values;
        std::string input = c.input;
        EXPECT_EQ(SetRange(values, c.target, input, 3, 5), c.accepted);
        EXPECT_EQ(input, c.shown);
        const std::string* cells = c.target == RangeTarget::Color  ? values.ColorCells.data()
                                   : c.target == RangeTarget::Width ? values.WidthCells.data()
                                                                    : values.LineTypeCells.data();
        const std::string* old = c.target == RangeTarget::Color  ? before.ColorCells.data()
                                 : c.target == RangeTarget::Width ? before.WidthCells.data()
                                                                  : before.LineTypeCells.data();
        for (int row = 1; row <= 8; ++row) {
            const bool filled = c.accepted && row >= 3 && row <= 5;
            EXPECT_EQ(cells[row], filled ? std::string(c.shown) : old[row]) << "row " << row;
        }
    }
    // A selection reaching past the grid fills up to its last row.
    DialogValues values = DefaultValues();
    std::string input = "31";
    EXPECT_TRUE(SetRange(values, RangeTarget::LineType, input, 40, 300));
    EXPECT_EQ(values.LineTypeCells[49], "31");
    EXPECT_EQ(values.LineTypeCells[39], "0");
}

// The dialog reads a file as the main menu and the command line do (FL3=TRUE enables rule 3,
// C317=2 leaves an option off, CVNO=5 converts individually); it shows values out of range
// as they stand, for OK to point at, and list positions outside the list select nothing.
TEST(DialogFiles, LoadTakesOnlyWhatTheControlsCanShow) {
    TempFolder folder;
    const std::string file = Path(folder, "hand.set");
    WriteFile(file, std::string("[JWW]\r\nC5=abc\r\nC6=356\r\nC7=70000\r\nW5=\r\nW6=abc\r\nW7=25\r\nC266=46\r\n"
                                "C314=62\r\nC315=1\r\nC317=2\r\nC322=TRUE\r\nW0=9\r\n"
                                "[Set]\r\nCVNO=5\r\n"
                                "[JWW1]\r\nFL1=1\r\nFL3=TRUE\r\nCN1=264\r\nLN1=48\r\nCN2=265\r\nLN2=-1\r\n"
                                "CL1=101\r\nLT1=46\r\nWD1=0\r\nCL2=x\r\n"));
    DialogValues values = DefaultValues();
    values.Page = 1;
    values.ColorCells[1] = "9";
    values.Rules[3].TargetWidth = "50";
    ASSERT_TRUE(LoadSettingsIntoDialog(values, file));

    EXPECT_EQ(values.ColorCells[1], "0");  // reset before reading
    EXPECT_EQ(values.ColorCells[5], "0");
    EXPECT_EQ(values.ColorCells[6], "356");
    EXPECT_EQ(values.ColorCells[7], "70000");  // shown as read; OK refuses it
    EXPECT_EQ(values.WidthCells[4], "-1");
    EXPECT_EQ(values.WidthCells[5], "-1");  // empty counts as missing
    EXPECT_EQ(values.WidthCells[6], "0");
    EXPECT_EQ(values.WidthCells[7], "25");
    EXPECT_EQ(values.LineTypeCells[1], "46");
    EXPECT_EQ(values.LineTypeCells[49], "62");
    EXPECT_TRUE(values.Options[ChangeTextSettingColors]);
    EXPECT_FALSE(values.Options[ChangeSolidColors]);  // C317=2
    EXPECT_FALSE(values.Options[ChangeExistingWidths]);
    EXPECT_EQ(values.Page, 0);  // CVNO=5
    EXPECT_TRUE(values.Rules[0].Enabled);
    EXPECT_TRUE(values.Rules[2].Enabled);  // FL3=TRUE
    EXPECT_EQ(values.Rules[0].SourceColorIndex, 264);
    EXPECT_EQ(values.Rules[0].SourceLineTypeIndex, 48);
    EXPECT_EQ(values.Rules[1].SourceColorIndex, -1);
    EXPECT_EQ(values.Rules[1].SourceLineTypeIndex, -1);
    EXPECT_EQ(values.Rules[0].TargetColor, "101");
    EXPECT_EQ(values.Rules[0].TargetLineType, "46");
    EXPECT_EQ(values.Rules[0].TargetWidth, "0");
    EXPECT_EQ(values.Rules[1].TargetColor, "0");
    EXPECT_EQ(values.Rules[3].TargetWidth, "-1");  // every row is reset

    // Without CVNO the individual page shows; with 0 or 1 that page.
    for (const auto& [text, page] : std::vector<std::pair<std::string, int>>{{"", 0}, {"CVNO=1\r\n", 1}, {"CVNO=0\r\n", 0}}) {
        WriteFile(file, "[JWW]\r\nC1=0\r\n[Set]\r\n" + text);
        values.Page = 1 - page;
        ASSERT_TRUE(LoadSettingsIntoDialog(values, file));
        EXPECT_EQ(values.Page, page) << text;
    }
}

// The dialog and the command line read one hand-edited file to settings that convert alike.
TEST(DialogFiles, DialogAndCommandLineReadAFileAlike) {
    TempFolder folder;
    const std::string file = Path(folder, "hand.set");
    for (const std::string mode : {"1", "5"}) {
        WriteFile(file, "[JWW]\r\nC5=abc\r\nC6=356\r\nW7=25\r\nC266=46\r\nC315=1\r\nC317=2\r\nC322=3\r\n[Set]\r\nCVNO=" +
                            mode + "\r\n[JWW1]\r\nFL1=TRUE\r\nFL2=on\r\nFL3=2\r\nCN1=4\r\nLN1=7\r\nCL1=101\r\nWD1=0\r\n");
        ConversionSettings cli;
        ASSERT_TRUE(LoadConversionSettings(cli, file).empty());
        DialogValues values = DefaultValues();
        ASSERT_TRUE(LoadSettingsIntoDialog(values, file));
        ConversionSettings dialog = SettingsOfDialog(values);
        ComputeVersionRaise(dialog);
        EXPECT_EQ(dialog.ColorTable, cli.ColorTable);
        EXPECT_EQ(dialog.WidthTable, cli.WidthTable);
        EXPECT_EQ(dialog.LineTypeTable, cli.LineTypeTable);
        for (int i = 0; i < kOptionCount; ++i)
            EXPECT_EQ(IsOptionOn(dialog, ConversionOption(i)), IsOptionOn(cli, ConversionOption(i))) << "option " << i;
        EXPECT_EQ(dialog.ConversionMode == ConversionModeKind::Combined, cli.ConversionMode == ConversionModeKind::Combined) << mode;
        EXPECT_EQ(dialog.VersionRaise, cli.VersionRaise);
        for (int r = 0; r < kRuleCount; ++r) {
            const CombinationRule &a = dialog.Rules[r], &b = cli.Rules[r];
            EXPECT_EQ(std::tie(a.Enabled, a.SourceColorIndex, a.SourceLineTypeIndex, a.TargetColor, a.TargetLineType, a.TargetWidth),
                      std::tie(b.Enabled, b.SourceColorIndex, b.SourceLineTypeIndex, b.TargetColor, b.TargetLineType, b.TargetWidth))
                << "rule " << r + 1;
        }
        EXPECT_TRUE(cli.Rules[0].Enabled);
        EXPECT_TRUE(cli.Rules[1].Enabled);
        EXPECT_FALSE(cli.Rules[2].Enabled);
    }
}

// A file that cannot be read must not reset the controls as if it were empty.
TEST(DialogFiles, UnreadableFileChangesNothing) {
    TempFolder folder;
    DialogValues values = DefaultValues();
    values.ColorCells[3] = "5";
    SettingsFileError error;
    EXPECT_FALSE(LoadSettingsIntoDialog(values, Path(folder, "missing.set"), &error));
    EXPECT_EQ(error.Problem, SettingsFileProblem::Missing);
    EXPECT_FALSE(LoadSettingsIntoDialog(values, folder.Path(), &error));
    EXPECT_EQ(error.Problem, SettingsFileProblem::Folder);
    EXPECT_EQ(values.ColorCells[3], "5");
}

}  // namespace
}  // namespace tolvane
