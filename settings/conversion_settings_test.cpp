#include "settings/conversion_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace tolvane {
namespace {

// Colour numbers and their slots at every boundary of the two ranges, both ways.
TEST(ConversionSettings, ColorSlotsAtEveryBoundary) {
    struct Case {
        int color;
        std::optional<int> slot;
    };
    const Case cases[] = {{-1, std::nullopt}, {0, std::nullopt}, {1, 1},   {8, 8},     {9, 9},
                          {10, std::nullopt}, {100, std::nullopt}, {101, 10}, {102, 11}, {355, 264},
                          {356, 265},         {357, std::nullopt}, {65535, std::nullopt}};
    for (const Case& c : cases) {
        EXPECT_EQ(ColorSlotOf(c.color), c.slot) << "colour " << c.color;
        if (c.slot) {
            EXPECT_EQ(ColorOfSlot(*c.slot), c.color) << "slot " << *c.slot;
        }
    }
    for (int slot = 1; slot <= kColorSlots; ++slot) EXPECT_EQ(ColorSlotOf(ColorOfSlot(slot)), slot) << slot;
    int numbered = 0;
    for (int color = -5; color <= 400; ++color) {
        if (const auto slot = ColorSlotOf(color)) {
            EXPECT_EQ(ColorOfSlot(*slot), color);
            ++numbered;
        }
    }
    EXPECT_EQ(numbered, kColorSlots);
    EXPECT_EQ(ColorOfSlot(0), 0);
    EXPECT_EQ(ColorOfSlot(266), 0);
}

// Line types: four ranges with gaps at 10, 20..30 and 46.
TEST(ConversionSettings, LineTypeSlotsAtEveryBoundary) {
    struct Case {
        int lineType;
        std::optional<int> slot;
    };
    const Case cases[] = {{0, std::nullopt},  {1, 1},           {9, 9},   {10, std::nullopt}, {11, 10},
                          {15, 14},           {16, 15},         {19, 18}, {20, std::nullopt}, {30, std::nullopt},
                          {31, 19},           {45, 33},         {46, std::nullopt}, {47, 34}, {62, 49},
                          {63, std::nullopt}, {255, std::nullopt}};
    for (const Case& c : cases) {
        EXPECT_EQ(LineTypeSlotOf(c.lineType), c.slot) << "line type " << c.lineType;
        if (c.slot) {
            EXPECT_EQ(LineTypeOfSlot(*c.slot), c.lineType) << "slot " << *c.slot;
        }
    }
    int numbered = 0;
    for (int lineType = -5; lineType <= 300; ++lineType) {
        if (const auto slot = LineTypeSlotOf(lineType)) {
            EXPECT_EQ(LineTypeOfSlot(*slot), lineType);
            ++numbered;
        }
    }
    EXPECT_EQ(numbered, kLineTypeSlots);
    EXPECT_EQ(LineTypeOfSlot(0), 0);
    EXPECT_EQ(LineTypeOfSlot(50), 0);
}

// The dialog's ranges; 46 is a valid target although it has no slot.
TEST(ConversionSettings, PredicatesAcceptTheDialogRanges) {
    for (int n : {0, 1, 9, 101, 356}) EXPECT_TRUE(IsValidTargetColor(n)) << n;
    for (int n : {-1, 10, 100, 357, 70000}) EXPECT_FALSE(IsValidTargetColor(n)) << n;
    for (int n : {0, 9, 11, 19, 31, 46, 62}) EXPECT_TRUE(IsValidTargetLineType(n)) << n;
    for (int n : {-1, 10, 20, 30, 63, 256}) EXPECT_FALSE(IsValidTargetLineType(n)) << n;
    for (int n : {-1, 0, 30000}) EXPECT_TRUE(IsValidWidth(n)) << n;
    for (int n : {-2, 30001, 65536}) EXPECT_FALSE(IsValidWidth(n)) << n;
}

// The numbered sequence is the file format: C1..C265 colours, C266..C314 line types, then options.
TEST(ConversionSettings, SequenceNumbersAddressTablesAndOptions) {
    ConversionSettings s;
    ResetConversionSettings(s);
    s.SequenceValue(1) = 11;
    s.SequenceValue(265) = 12;
    s.SequenceValue(266) = 13;
    s.SequenceValue(314) = 14;
    s.SequenceValue(315) = 15;
    s.SequenceValue(322) = 16;
    EXPECT_EQ(s.ColorTable[1], 11);
    EXPECT_EQ(s.ColorTable[265], 12);
    EXPECT_EQ(s.LineTypeTable[1], 13);
    EXPECT_EQ(s.LineTypeTable[49], 14);
    EXPECT_EQ(s.ConversionOptions[ChangeTextSettingColors], 15);
    EXPECT_EQ(s.ConversionOptions[ChangeExistingWidths], 16);
    EXPECT_THROW(s.SequenceValue(0), std::out_of_range);
    EXPECT_THROW(s.SequenceValue(323), std::out_of_range);
}

TEST(ConversionSettings, ResetGivesTheDefaults) {
    ConversionSettings s;
    for (int n = 1; n <= kSequenceLength; ++n) s.SequenceValue(n) = n;
    s.WidthTable.fill(7);
    s.ConversionMode = ConversionModeKind::Combined;
    s.VersionRaise = VersionRaiseLevel::To420;
    s.LastSettingsFile = "x.set";
    s.Rules[4] = {true, 3, 4, 5, 6, 7, 8, 9};
    ResetConversionSettings(s);
    for (int n = 1; n <= kSequenceLength; ++n) EXPECT_EQ(s.SequenceValue(n), 0) << n;
    for (int n = 1; n <= kColorSlots; ++n) EXPECT_EQ(s.WidthTable[static_cast<size_t>(n)], -1) << n;
    EXPECT_EQ(s.ConversionMode, ConversionModeKind::Individual);
    EXPECT_EQ(s.VersionRaise, VersionRaiseLevel::None);
    EXPECT_TRUE(s.LastSettingsFile.empty());
    for (const CombinationRule& r : s.Rules) {
        EXPECT_FALSE(r.Enabled);
        EXPECT_EQ(r.SourceColorIndex, 0);
        EXPECT_EQ(r.SourceLineTypeIndex, 0);
        EXPECT_EQ(r.TargetColor, 0);
        EXPECT_EQ(r.TargetLineType, 0);
        EXPECT_EQ(r.TargetWidth, -1);
    }
    EXPECT_EQ(EnabledRuleCount(s), 0);
}

// Hand-edited files can hold other option values than 0 and 1: only 1 is on, except for
// ChangeExistingWidths, which is on for any non-zero value.
TEST(ConversionSettings, OptionValueTwoIsOffExceptForExistingWidths) {
    ConversionSettings s;
    ResetConversionSettings(s);
    for (int option = ChangeTextSettingColors; option <= ChangeExistingWidths; ++option) {
        const auto o = static_cast<ConversionOption>(option);
        const bool lenient = o == ChangeExistingWidths;
        for (int32_t value : {0, 1, 2, -1}) {
            s.ConversionOptions[static_cast<size_t>(option)] = value;
            const bool expected = value == 1 || (lenient && value != 0);
            EXPECT_EQ(IsOptionOn(s, o), expected) << "option " << 315 + option << " value " << value;
        }
    }
}

// Source list positions become colour and line-type numbers, for enabled and disabled rules;
// positions outside the lists mean no entry, like -1.
TEST(ConversionSettings, ResolveRuleSourcesAtTheIndexBoundaries) {
    struct Case {
        int32_t colorIndex, lineTypeIndex;
        int32_t color, lineType;
    };
    const Case cases[] = {{0, 0, 1, 1},       {8, 8, 9, 9},       {9, 9, 101, 11},   {10, 17, 102, 19},
                          {264, 18, 356, 31}, {263, 32, 355, 45}, {100, 33, 192, 47}, {1, 48, 2, 62},
                          {-1, -1, 0, 0},     {265, 49, 0, 0},    {-7, 1000, 0, 0}};
    ConversionSettings s;
    ResetConversionSettings(s);
    for (const Case& c : cases) {
        for (size_t r = 0; r < s.Rules.size(); ++r) {
            s.Rules[r].Enabled = r % 2 == 0;
            s.Rules[r].SourceColorIndex = c.colorIndex;
            s.Rules[r].SourceLineTypeIndex = c.lineTypeIndex;
            s.Rules[r].SourceColor = s.Rules[r].SourceLineType = -99;
        }
        ResolveRuleSources(s);
        for (const CombinationRule& rule : s.Rules) {
            EXPECT_EQ(rule.SourceColor, c.color) << "colour index " << c.colorIndex;
            EXPECT_EQ(rule.SourceLineType, c.lineType) << "line-type index " << c.lineTypeIndex;
        }
    }
}

// The raise follows from the tables and the enabled rules; base width 0 needs none.
TEST(ConversionSettings, ComputeVersionRaise) {
    struct Case {
        const char* what;
        std::function<void(ConversionSettings&)> set;
        int32_t raise;
    };
    const Case cases[] = {
        {"defaults", [](ConversionSettings&) {}, 0},
        {"widths 0 and -1 only", [](ConversionSettings& s) { s.WidthTable[1] = 0; s.WidthTable[265] = 0; }, 0},
        {"one width of 1", [](ConversionSettings& s) { s.WidthTable[265] = 1; }, 1},
        {"width 1 and colour 101", [](ConversionSettings& s) { s.WidthTable[1] = 1; s.ColorTable[5] = 101; }, 2},
        {"standard colours only", [](ConversionSettings& s) { s.ColorTable[5] = 9; s.ColorTable[265] = 99; }, 0},
        {"colour 100", [](ConversionSettings& s) { s.ColorTable[265] = 100; }, 2},
        {"line type 19", [](ConversionSettings& s) { s.LineTypeTable[49] = 19; }, 0},
        {"line type 31", [](ConversionSettings& s) { s.LineTypeTable[49] = 31; }, 2},
        {"enabled rule width 0", [](ConversionSettings& s) { s.Rules[0] = {true, 0, 0, 0, 0, 0}; }, 0},
        {"enabled rule width 5", [](ConversionSettings& s) { s.Rules[9] = {true, 0, 0, 0, 0, 5}; }, 1},
        {"disabled rule width 5", [](ConversionSettings& s) { s.Rules[9] = {false, 0, 0, 0, 0, 5}; }, 0},
        {"disabled rule colour 101", [](ConversionSettings& s) { s.Rules[3] = {false, 0, 0, 101, 0, -1}; }, 0},
        {"enabled rule colour 101", [](ConversionSettings& s) { s.Rules[3] = {true, 0, 0, 101, 0, -1}; }, 2},
        {"enabled rule line type 31", [](ConversionSettings& s) { s.Rules[3] = {true, 0, 0, 0, 31, -1}; }, 2},
        {"enabled rule line type 19", [](ConversionSettings& s) { s.Rules[3] = {true, 0, 0, 9, 19, -1}; }, 0},
        {"combined mode still counts the tables",
         [](ConversionSettings& s) { s.ConversionMode = ConversionModeKind::Combined; s.WidthTable[3] = 50; }, 1},
    };
    for (const Case& c : cases) {
        ConversionSettings s;
        ResetConversionSettings(s);
        s.VersionRaise = static_cast<VersionRaiseLevel>(7);
        c.set(s);
        ComputeVersionRaise(s);
        EXPECT_EQ(s.VersionRaise, static_cast<VersionRaiseLevel>(c.raise)) << c.what;
    }
}

// The names are Shift-JIS; the standard line types carry half-width digits after "線種",
// the random and double-length ones full-width digits.
TEST(ConversionSettings, NameListsHoldTheExactTexts) {
    const std::vector<std::string>& colors = ColorNames();
    ASSERT_EQ(colors.size(), 265u);
    EXPECT_EQ(colors[0], "\x90\xfc\x90\x46 1");                 // 線色 1
    EXPECT_EQ(colors[7], "\x90\xfc\x90\x46 8");                 // 線色 8
    EXPECT_EQ(colors[8], "\x95\xe2\x8f\x95\x90\xfc\x90\x46");   // 補助線色
    EXPECT_EQ(colors[9], "SXF 1:black");
    EXPECT_EQ(colors[17], "SXF 9:deeppink");
    EXPECT_EQ(colors[18], "SXF10:brown");
    EXPECT_EQ(colors[24], "SXF16:darkgray");
    EXPECT_EQ(colors[25], "SXF USER\x92\xe8\x8b\x60\x90\xfc\x90\x46 17");  // SXF USER定義線色 17
    EXPECT_EQ(colors[264], "SXF USER\x92\xe8\x8b\x60\x90\xfc\x90\x46 256");

    const std::vector<std::string>& lineTypes = LineTypeNames();
    ASSERT_EQ(lineTypes.size(), 49u);
    EXPECT_EQ(lineTypes[0], "\x90\xfc\x8e\xed" "1:\x8e\xc0\x90\xfc");            // 線種1:実線
    EXPECT_EQ(lineTypes[1], "\x90\xfc\x8e\xed" "2:\x93\x5f\x90\xfc\x82\x50");    // 線種2:点線１
    EXPECT_EQ(lineTypes[8], "\x95\xe2\x8f\x95\x90\xfc\x8e\xed");                 // 補助線種
    EXPECT_EQ(lineTypes[9], "\x83\x89\x83\x93\x83\x5f\x83\x80\x90\xfc\x82\x50");  // ランダム線１
    EXPECT_EQ(lineTypes[13], "\x83\x89\x83\x93\x83\x5f\x83\x80\x90\xfc\x82\x54");  // ランダム線５
    EXPECT_EQ(lineTypes[17], "\x94\x7b\x92\xb7\x90\xfc\x8e\xed\x82\x53");          // 倍長線種４
    EXPECT_EQ(lineTypes[18], "SXF 1:\x8e\xc0\x90\xfc");                            // SXF 1:実線
    EXPECT_EQ(lineTypes[27], "SXF10:\x88\xea\x93\x5f\x92\x5a\x8d\xbd\x90\xfc");    // SXF10:一点短鎖線
    EXPECT_EQ(lineTypes[32], "SXF15:\x8e\x4f\x93\x5f\x93\xf1\x92\x5a\x8d\xbd\x90\xfc");  // SXF15:三点二短鎖線
    EXPECT_EQ(lineTypes[33], "SXF USER\x92\xe8\x8b\x60\x90\xfc\x8e\xed 17");      // SXF USER定義線種 17
    EXPECT_EQ(lineTypes[48], "SXF USER\x92\xe8\x8b\x60\x90\xfc\x8e\xed 32");
    EXPECT_EQ(&ColorNames(), &colors);
}

}  // namespace
}  // namespace tolvane
