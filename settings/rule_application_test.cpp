#include "settings/rule_application.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "formats/archive.h"
#include "formats/jww.h"
#include "testsupport/drawing_generator.h"

namespace tolvane {
namespace {

ConversionSettings Defaults() {
    ConversionSettings s;
    ResetConversionSettings(s);
    return s;
}

EntityBase Pen(int color, int style, int width) {
    EntityBase b;
    b.PenColor = static_cast<uint16_t>(color);
    b.PenStyle = static_cast<uint8_t>(style);
    b.PenWidth = static_cast<uint16_t>(width);
    return b;
}

CombinationRule Rule(bool enabled, int32_t sourceColor, int32_t sourceLineType, int32_t color, int32_t lineType,
                     int32_t width) {
    CombinationRule r;
    r.Enabled = enabled;
    r.SourceColor = sourceColor;
    r.SourceLineType = sourceLineType;
    r.TargetColor = color;
    r.TargetLineType = lineType;
    r.TargetWidth = width;
    return r;
}

// A version is raised to what the settings demand and never lowered.
TEST(RuleApplication, RaiseVersion) {
    struct Case {
        int32_t raise;
        uint32_t version, expected;
    };
    const Case cases[] = {{0, 300, 300}, {1, 300, 351}, {1, 350, 351}, {1, 351, 351}, {1, 420, 420},
                          {2, 300, 420}, {2, 351, 420}, {2, 419, 420}, {2, 420, 420}, {2, 700, 700}};
    ConversionSettings s = Defaults();
    for (const Case& c : cases) {
        s.VersionRaise = static_cast<VersionRaiseLevel>(c.raise);
        EXPECT_EQ(RaiseVersion(s, c.version), c.expected) << "raise " << c.raise << " version " << c.version;
    }
}

// Colours with a slot go through the table (0 keeps); colours without a slot become 1.
TEST(RuleApplication, MapColor) {
    ConversionSettings s = Defaults();
    s.ColorTable[3] = 5;
    s.ColorTable[9] = 101;
    s.ColorTable[10] = 356;  // colour 101
    const std::pair<int32_t, int32_t> cases[] = {{3, 5},   {4, 4},   {9, 101}, {101, 356}, {356, 356}, {0, 1},
                                                 {10, 1},  {100, 1}, {357, 1}, {65535, 1}, {-1, 1}};
    for (const auto& [color, expected] : cases) EXPECT_EQ(MapColor(s, color), expected) << color;
}

// Line types with a slot go through the table; 0, 10, 20..30, 46 and above 62 become 1.
TEST(RuleApplication, MapLineType) {
    ConversionSettings s = Defaults();
    s.LineTypeTable[10] = 31;  // line type 11
    s.LineTypeTable[49] = 46;  // line type 62
    const std::pair<int32_t, int32_t> cases[] = {{2, 2},  {11, 31}, {62, 46}, {45, 45}, {46, 1}, {0, 1},
                                                 {10, 1}, {20, 1},  {30, 1},  {63, 1},  {255, 1}};
    for (const auto& [lineType, expected] : cases) EXPECT_EQ(MapLineType(s, lineType), expected) << lineType;
}

// Widths come from the colour as read; existing widths stay unless ChangeExistingWidths;
// -1 keeps, 0 resets to the base width; out-of-range widths become 0.
TEST(RuleApplication, MapWidth) {
    struct Case {
        int32_t existingWidths;
        int32_t color, width, expected;
    };
    const Case cases[] = {
        {0, 3, 0, 50},     {0, 3, 25, 25},     {1, 3, 25, 50},     {2, 3, 25, 50},  // any non-zero value is on
        {0, 4, 0, 0},      {1, 4, 25, 25},                                          // -1 keeps
        {0, 6, 0, 0},      {1, 6, 25, 0},                                           // 0 resets to the base width
        {0, 0, 0, 0},      {0, 0, 25, 25},     {1, 0, 40000, 0},                    // no slot: range only
        {0, 3, 40000, 0},  {1, 3, 40000, 50},  {0, 101, 0, 70},    {1, 356, 30000, 0},
    };
    ConversionSettings s = Defaults();
    s.WidthTable[3] = 50;
    s.WidthTable[4] = -1;
    s.WidthTable[6] = 0;
    s.WidthTable[10] = 70;   // colour 101
    s.WidthTable[265] = 0;   // colour 356
    for (const Case& c : cases) {
        s.ConversionOptions[ChangeExistingWidths] = c.existingWidths;
        EXPECT_EQ(MapWidth(s, c.color, c.width), c.expected)
            << "option " << c.existingWidths << " colour " << c.color << " width " << c.width;
    }
}

// Full update of top-level lines and arcs, even with all-zero tables: the width is taken from
// the colour as read, pens without a slot are repaired.
TEST(RuleApplication, ApplyTablesFullUpdateOfLinesAndArcs) {
    struct Case {
        const char* what;
        EntityBase in;
        int32_t existingWidths;
        EntityBase out;
    };
    const Case cases[] = {
        {"colour 3 to 5, width from colour 3", Pen(3, 2, 0), 0, Pen(5, 2, 50)},
        {"existing width kept", Pen(3, 2, 25), 0, Pen(5, 2, 25)},
        {"existing width replaced", Pen(3, 2, 25), 1, Pen(5, 2, 50)},
        {"colour and line type without slot", Pen(0, 10, 0), 0, Pen(1, 1, 0)},
        {"width out of range", Pen(0, 46, 40000), 0, Pen(1, 1, 0)},
        {"line type 20", Pen(7, 20, 0), 0, Pen(7, 1, 0)},
        {"line type 30", Pen(8, 30, 0), 0, Pen(8, 1, 0)},
        {"line type 11 mapped", Pen(7, 11, 0), 0, Pen(7, 31, 0)},
        {"SXF pen kept", Pen(356, 62, 30000), 0, Pen(356, 62, 30000)},
    };
    ConversionSettings s = Defaults();
    s.ColorTable[3] = 5;
    s.WidthTable[3] = 50;
    s.WidthTable[5] = 70;
    s.LineTypeTable[10] = 31;
    for (const Case& c : cases) {
        s.ConversionOptions[ChangeExistingWidths] = c.existingWidths;
        DrawingData d;
        static_cast<EntityBase&>(d.Lines.emplace_back()) = c.in;
        static_cast<EntityBase&>(d.Arcs.emplace_back()) = c.in;
        ApplyTables(s, d, true);
        for (const EntityBase* e : {static_cast<const EntityBase*>(&d.Lines[0]), static_cast<const EntityBase*>(&d.Arcs[0])}) {
            EXPECT_EQ(e->PenColor, c.out.PenColor) << c.what;
            EXPECT_EQ(e->PenStyle, c.out.PenStyle) << c.what;
            EXPECT_EQ(e->PenWidth, c.out.PenWidth) << c.what;
        }
    }
}

// A drawing with one record of every kind at the top level and inside a block definition,
// every pen colour 2, line type 3, width 0. The settings map colour 2 to 7, give colour 2 the
// width 40 and map line type 3 to 31, so each field shows whether its update ran.
DrawingData EveryHolder(uint32_t version) {
    DrawingData d;
    d.Header.FileVersion = version;
    const EntityBase pen = Pen(2, 3, 0);
    auto fill = [&](EntityLists& l) {
        static_cast<EntityBase&>(l.Lines.emplace_back()) = pen;
        static_cast<EntityBase&>(l.Arcs.emplace_back()) = pen;
        static_cast<EntityBase&>(l.Points.emplace_back()) = pen;
        static_cast<EntityBase&>(l.Texts.emplace_back()) = pen;
        DimensionRecord& dim = l.Dimensions.emplace_back();
        for (EntityBase* e : {static_cast<EntityBase*>(&dim), static_cast<EntityBase*>(&dim.DimensionLine),
                              static_cast<EntityBase*>(&dim.DimensionText), static_cast<EntityBase*>(&dim.AuxLine1),
                              static_cast<EntityBase*>(&dim.AuxLine2), static_cast<EntityBase*>(&dim.Point1),
                              static_cast<EntityBase*>(&dim.Point2), static_cast<EntityBase*>(&dim.AuxPoint1),
                              static_cast<EntityBase*>(&dim.AuxPoint2)})
            *e = pen;
        static_cast<EntityBase&>(l.Solids.emplace_back()) = pen;
        static_cast<EntityBase&>(l.BlockInserts.emplace_back()) = pen;
    };
    fill(d);
    BlockDefinition& block = d.BlockDefinitions.emplace_back();
    static_cast<EntityBase&>(block) = pen;
    fill(block.Members());
    return d;
}

std::map<std::string, const EntityBase*> Holders(const DrawingData& d) {
    std::map<std::string, const EntityBase*> holders;
    auto add = [&](const std::string& prefix, const EntityLists& l) {
        holders[prefix + "line"] = &l.Lines[0];
        holders[prefix + "arc"] = &l.Arcs[0];
        holders[prefix + "point"] = &l.Points[0];
        holders[prefix + "text"] = &l.Texts[0];
        const DimensionRecord& dim = l.Dimensions[0];
        holders[prefix + "dimension"] = &dim;
        holders[prefix + "dimension line"] = &dim.DimensionLine;
        holders[prefix + "dimension text"] = &dim.DimensionText;
        holders[prefix + "aux line 1"] = &dim.AuxLine1;
        holders[prefix + "aux line 2"] = &dim.AuxLine2;
        holders[prefix + "point 1"] = &dim.Point1;
        holders[prefix + "point 2"] = &dim.Point2;
        holders[prefix + "aux point 1"] = &dim.AuxPoint1;
        holders[prefix + "aux point 2"] = &dim.AuxPoint2;
        holders[prefix + "solid"] = &l.Solids[0];
        holders[prefix + "insert"] = &l.BlockInserts[0];
    };
    add("", d);
    add("member ", d.BlockDefinitions[0].Members());
    holders["block"] = &d.BlockDefinitions[0];
    return holders;
}

// Which updates ApplyTables runs on which holder, under each set of options and before and
// after version 420. "C" colour, "W" width, "L" line type; holders not listed stay unchanged,
// except the top-level lines and arcs (always "CWL") and points and texts (always "C").
TEST(RuleApplication, ApplyTablesStepsPerOption) {
    auto dimensionColors = [&](const std::string& prefix, bool v420) {
        std::map<std::string, std::string> e{{prefix + "dimension line", "CW"}, {prefix + "dimension text", "C"}};
        if (v420) {
            for (const char* p : {"aux line 1", "aux line 2"}) e[prefix + p] = "CW";
            for (const char* p : {"point 1", "point 2", "aux point 1", "aux point 2"}) e[prefix + p] = "C";
        }
        return e;
    };
    auto dimensionLineTypes = [&](const std::string& prefix, bool v420) {
        std::map<std::string, std::string> e{{prefix + "dimension line", "L"}};
        if (v420) e[prefix + "aux line 1"] = e[prefix + "aux line 2"] = "L";
        return e;
    };
    auto merge = [](std::map<std::string, std::string> a, const std::map<std::string, std::string>& b) {
        for (const auto& [k, v] : b) a[k] += v;
        return a;
    };
    const std::map<std::string, std::string> membersColors{
        {"member line", "CW"}, {"member arc", "CW"}, {"member point", "C"}, {"member text", "C"}};
    const std::map<std::string, std::string> membersLineTypes{{"member line", "L"}, {"member arc", "L"}};

    struct Case {
        const char* what;
        std::map<int, int32_t> options;  // option number 315..322 -> value
        uint32_t version;
        std::map<std::string, std::string> expected;
    };
    const Case cases[] = {
        {"no options", {}, 420, {}},
        {"dimension colours before 420", {{318, 1}}, 351, dimensionColors("", false)},
        {"dimension colours from 420", {{318, 1}}, 420, dimensionColors("", true)},
        {"dimension line types before 420", {{320, 1}}, 300, dimensionLineTypes("", false)},
        {"dimension line types from 420", {{320, 1}}, 700, dimensionLineTypes("", true)},
        {"solids", {{317, 1}}, 420, {{"solid", "C"}}},
        {"solids, option value 2", {{317, 2}}, 420, {}},
        {"block colours", {{319, 1}}, 420, membersColors},
        {"block colours, option value 2", {{319, 2}}, 420, {}},
        {"block line types", {{321, 1}}, 420, membersLineTypes},
        {"block colours and solids", {{319, 1}, {317, 1}}, 420, merge(membersColors, {{"solid", "C"}, {"member solid", "C"}})},
        {"block colours and dimension colours", {{319, 1}, {318, 1}}, 420,
         merge(merge(membersColors, dimensionColors("", true)), dimensionColors("member ", true))},
        {"block colours and dimension line types", {{319, 1}, {320, 1}}, 420,
         merge(membersColors, dimensionLineTypes("", true))},
        {"block line types and dimension line types", {{321, 1}, {320, 1}}, 420,
         merge(merge(membersLineTypes, dimensionLineTypes("", true)), dimensionLineTypes("member ", true))},
        {"block line types and dimension colours", {{321, 1}, {318, 1}}, 351,
         merge(membersLineTypes, dimensionColors("", false))},
        {"all options", {{315, 1}, {316, 1}, {317, 1}, {318, 1}, {319, 1}, {320, 1}, {321, 1}, {322, 1}}, 420,
         merge(merge(merge(merge(merge(merge(membersColors, membersLineTypes), dimensionColors("", true)),
                                 dimensionLineTypes("", true)),
                           dimensionColors("member ", true)),
                     dimensionLineTypes("member ", true)),
               {{"solid", "C"}, {"member solid", "C"}})},
    };
    for (const Case& c : cases) {
        ConversionSettings s = Defaults();
        s.ColorTable[2] = 7;
        s.WidthTable[2] = 40;
        s.LineTypeTable[3] = 31;
        for (const auto& [number, value] : c.options) s.SequenceValue(number) = value;
        DrawingData d = EveryHolder(c.version);
        ApplyTables(s, d, true);
        std::map<std::string, std::string> expected = c.expected;
        expected["line"] = expected["arc"] = "CWL";
        expected["point"] = expected["text"] = "C";
        for (const auto& [name, holder] : Holders(d)) {
            const std::string want = expected.count(name) ? expected.at(name) : "";
            const bool color = want.find('C') != std::string::npos;
            const bool width = want.find('W') != std::string::npos;
            const bool lineType = want.find('L') != std::string::npos;
            EXPECT_EQ(holder->PenColor, color ? 7 : 2) << c.what << ": " << name;
            EXPECT_EQ(holder->PenWidth, width ? 40 : 0) << c.what << ": " << name;
            EXPECT_EQ(holder->PenStyle, lineType ? 31 : 3) << c.what << ": " << name;
        }
    }
}

// A solid in its own RGB colour (10) keeps it and its RGB value under ChangeSolidColors, at the
// top level and in a block, even with no colour rule at all.
TEST(RuleApplication, ApplyTablesSolidOfOwnColorKeepsIt) {
    ConversionSettings s = Defaults();
    s.ConversionOptions[ChangeSolidColors] = 1;
    s.ConversionOptions[ChangeBlockColorsAndWidths] = 1;
    DrawingData d;
    SolidRecord solid;
    solid.PenColor = 10;
    solid.Rgb = 0x123456;
    d.Solids.push_back(solid);
    d.BlockDefinitions.emplace_back().Members().Solids.push_back(solid);
    ApplyTables(s, d, true);
    for (const SolidRecord& kept : {d.Solids[0], d.BlockDefinitions[0].Members().Solids[0]}) {
        EXPECT_EQ(kept.PenColor, 10);
        EXPECT_EQ(kept.Rgb, 0x123456u);
    }
}

// Text kinds take standard results only; JWS figures (no header settings) keep theirs.
TEST(RuleApplication, ApplyTablesTextKinds) {
    ConversionSettings s = Defaults();
    s.ColorTable[4] = 101;
    s.ColorTable[3] = 7;
    const std::array<uint32_t, 10> before = {4, 3, 0, 5, 10, 101, 9, 357, 0xFFFFFFFFu, 2};
    const std::array<uint32_t, 10> mapped = {4, 7, 1, 5, 1, 101, 9, 1, 1, 2};
    struct Case {
        int32_t option;
        bool withHeaderSettings;
        const std::array<uint32_t, 10>& expected;
    };
    const Case cases[] = {{1, true, mapped}, {0, true, before}, {2, true, before}, {1, false, before}};
    for (const Case& c : cases) {
        s.ConversionOptions[ChangeTextSettingColors] = c.option;
        DrawingData d;
        for (size_t i = 0; i < before.size(); ++i) d.Header.TextKinds[i].Color = before[i];
        ApplyTables(s, d, c.withHeaderSettings);
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(d.Header.TextKinds[i].Color, c.expected[i])
                << "kind " << i << " option " << c.option << " header " << c.withHeaderSettings;
    }
}

// The units, tens and hundreds digits of the first dimension-setting word are colours mapped
// to standard colours only; the thousands and up stay.
TEST(RuleApplication, ApplyTablesDimensionSettingDigits) {
    struct Case {
        bool table;  // ColorTable[1] = 4, [3] = 105, [5] = 9, [9] = 101; otherwise all entries 0
        uint32_t word, expected;
    };
    const Case cases[] = {{true, 123, 423},   {true, 1123, 1423}, {false, 5, 115},     {false, 0, 111},
                          {false, 123, 123},  {true, 999, 999},   {true, 3, 113},      {true, 70131, 70434},
                          // The word is signed: near the top of its range a larger digit would
                          // leave it, and the word stays; just below, the digit is mapped.
                          {true, 2147483641u, 2147483644u}, {true, 2147483645u, 2147483645u},
                          // -5: the negative digits map as colours outside the tables do.
                          {true, 4294967291u, 111u}};
    for (const Case& c : cases) {
        ConversionSettings s = Defaults();
        s.ConversionOptions[ChangeDimensionSettingColors] = 1;
        if (c.table) {
            s.ColorTable[1] = 4;
            s.ColorTable[3] = 105;
            s.ColorTable[5] = 9;
            s.ColorTable[9] = 101;
        }
        DrawingData d;
        d.Header.DimensionSettings = {c.word, 11, 12, 13, 14};
        ApplyTables(s, d, true);
        EXPECT_EQ(d.Header.DimensionSettings[0], c.expected) << c.word;
        EXPECT_EQ(d.Header.DimensionSettings[1], 11u);

        DrawingData figure;
        figure.Header.DimensionSettings[0] = c.word;
        ApplyTables(s, figure, false);
        EXPECT_EQ(figure.Header.DimensionSettings[0], c.word) << "figure " << c.word;
    }
}

// An old drawing raised to 4.20: the auxiliary lines and points that the reader filled from
// the dimension's own pen are mapped too; without the raise they stay.
TEST(RuleApplication, RaisedOldDrawingMapsDimensionSubEntities) {
    for (const bool raise : {true, false}) {
        ConversionSettings s = Defaults();
        s.ColorTable[6] = 2;
        s.WidthTable[6] = 18;
        if (raise) s.LineTypeTable[49] = 31;  // an SXF target demands 4.20
        s.ConversionOptions[ChangeDimensionColorsAndWidths] = 1;
        ComputeVersionRaise(s);
        DrawingData d = testing::MakeFloorPlan(300);
        d.Header.FileVersion = RaiseVersion(s, d.Header.FileVersion);
        EXPECT_EQ(d.Header.FileVersion, raise ? 420u : 351u);  // the width alone demands 3.51
        ApplyTables(s, d, true);
        ASSERT_FALSE(d.Dimensions.empty());
        for (const DimensionRecord& dim : d.Dimensions) {
            EXPECT_EQ(dim.PenColor, 6);  // the dimension's own pen is never changed
            EXPECT_EQ(dim.DimensionLine.PenColor, 2);
            EXPECT_EQ(dim.DimensionLine.PenWidth, 18);
            EXPECT_EQ(dim.DimensionText.PenColor, 2);
            for (const LineRecord* aux : {&dim.AuxLine1, &dim.AuxLine2}) {
                EXPECT_EQ(aux->PenColor, raise ? 2 : 6);
                EXPECT_EQ(aux->PenWidth, raise ? 18 : 0);
            }
            for (const PointRecord* p : {&dim.Point1, &dim.Point2, &dim.AuxPoint1, &dim.AuxPoint2}) {
                EXPECT_EQ(p->PenColor, raise ? 2 : 6);
                EXPECT_EQ(p->PenStyle, 0);
                EXPECT_EQ(p->PenWidth, 0);
            }
        }
    }
}

std::vector<uint8_t> Written(DrawingData& d) {
    MemorySink sink;
    WriteJwwTo(sink, d, d.Header.FileVersion, {});
    return sink.bytes;
}

// Default settings leave a whole realistic drawing exactly as it was: every pen in it has a
// slot, and nothing outside the pen fields is touched.
TEST(RuleApplication, DefaultTablesLeaveAFloorPlanUnchanged) {
    for (uint32_t version : {300u, 351u, 420u, 600u}) {
        DrawingData original = testing::MakeFloorPlan(version);
        DrawingData converted = testing::MakeFloorPlan(version);
        ApplyTables(Defaults(), converted, true);
        EXPECT_EQ(Written(converted), Written(original)) << version;
        ApplyRules(Defaults(), converted);
        EXPECT_EQ(Written(converted), Written(original)) << version;
    }
}

// Every enabled rule with the source pair as read is applied in order; fields that a rule
// keeps stay as earlier matches left them; range repair happens only after a match.
TEST(RuleApplication, LookupRules) {
    struct Case {
        const char* what;
        std::vector<CombinationRule> rules;
        PenValues in, out;
    };
    const Case cases[] = {
        {"two rules on one pair", {Rule(true, 2, 1, 5, 0, -1), Rule(true, 2, 1, 0, 3, 20)}, {2, 1, 0}, {5, 3, 20}},
        {"later rule overrides", {Rule(true, 2, 1, 5, 4, 10), Rule(true, 2, 1, 6, 0, -1)}, {2, 1, 0}, {6, 4, 10}},
        {"matches compare the pen as read",
         {Rule(true, 2, 1, 3, 0, -1), Rule(true, 3, 1, 9, 9, 9)}, {2, 1, 0}, {3, 1, 0}},
        {"disabled rule", {Rule(false, 2, 1, 5, 3, 20)}, {2, 1, 0}, {2, 1, 0}},
        {"line type must match too", {Rule(true, 2, 1, 5, 3, 20)}, {2, 2, 0}, {2, 2, 0}},
        {"kept width repaired after a match", {Rule(true, 2, 1, 0, 0, -1)}, {2, 1, 40000}, {2, 1, 0}},
        {"no match keeps an odd width", {Rule(true, 2, 1, 0, 0, -1)}, {3, 1, 40000}, {3, 1, 40000}},
        {"target line type 46 has no slot", {Rule(true, 2, 2, 0, 46, -1)}, {2, 2, 5}, {2, 1, 5}},
        {"source colour 0 repaired", {Rule(true, 0, 1, 0, 0, -1)}, {0, 1, 0}, {1, 1, 0}},
        {"source line type 46 repaired", {Rule(true, 2, 46, 0, 0, 7)}, {2, 46, 0}, {2, 1, 7}},
        {"width 0 set, 30000 kept", {Rule(true, 101, 62, 356, 47, 30000)}, {101, 62, 0}, {356, 47, 30000}},
    };
    for (const Case& c : cases) {
        ConversionSettings s = Defaults();
        for (size_t i = 0; i < c.rules.size(); ++i) s.Rules[i] = c.rules[i];
        const PenValues out = LookupRules(s, c.in.Color, c.in.LineType, c.in.Width);
        EXPECT_EQ(out.Color, c.out.Color) << c.what;
        EXPECT_EQ(out.LineType, c.out.LineType) << c.what;
        EXPECT_EQ(out.Width, c.out.Width) << c.what;
    }
}

// Combined mode touches top-level lines and arcs, and block members only under the block
// options; nothing else, whatever the other options say.
TEST(RuleApplication, ApplyRulesTouchesLinesArcsAndChosenBlockMembers) {
    struct Case {
        const char* what;
        int32_t blockColors, blockLineTypes;
        std::map<std::string, std::string> expected;
    };
    const Case cases[] = {
        {"no block options", 0, 0, {}},
        {"block colours", 1, 0, {{"member line", "CW"}, {"member arc", "CW"}}},
        {"block line types", 0, 1, {{"member line", "L"}, {"member arc", "L"}}},
        {"both", 1, 1, {{"member line", "CWL"}, {"member arc", "CWL"}}},
        {"option value 2 is off", 2, 2, {}},
    };
    for (const Case& c : cases) {
        ConversionSettings s = Defaults();
        s.Rules[4].Enabled = true;
        s.Rules[4].SourceColorIndex = 1;     // colour 2
        s.Rules[4].SourceLineTypeIndex = 2;  // line type 3
        s.Rules[4].TargetColor = 7;
        s.Rules[4].TargetLineType = 31;
        s.Rules[4].TargetWidth = 40;
        ResolveRuleSources(s);
        // Everything that individual mode could change is switched on, to show that it is ignored.
        for (int n = 315; n <= 322; ++n) s.SequenceValue(n) = 1;
        s.ConversionOptions[ChangeBlockColorsAndWidths] = c.blockColors;
        s.ConversionOptions[ChangeBlockLineTypes] = c.blockLineTypes;
        s.ColorTable[2] = 9;
        DrawingData d = EveryHolder(420);
        d.Header.TextKinds[0].Color = 2;
        d.Header.DimensionSettings[0] = 222;
        ApplyRules(s, d);
        std::map<std::string, std::string> expected = c.expected;
        expected["line"] = expected["arc"] = "CWL";
        for (const auto& [name, holder] : Holders(d)) {
            const std::string want = expected.count(name) ? expected.at(name) : "";
            EXPECT_EQ(holder->PenColor, want.find('C') != std::string::npos ? 7 : 2) << c.what << ": " << name;
            EXPECT_EQ(holder->PenWidth, want.find('W') != std::string::npos ? 40 : 0) << c.what << ": " << name;
            EXPECT_EQ(holder->PenStyle, want.find('L') != std::string::npos ? 31 : 3) << c.what << ": " << name;
        }
        EXPECT_EQ(d.Header.TextKinds[0].Color, 2u);
        EXPECT_EQ(d.Header.DimensionSettings[0], 222u);
    }
}

// An existing width is replaced by a rule's width whatever ChangeExistingWidths says, and
// kept when the rule keeps it.
TEST(RuleApplication, ApplyRulesIgnoresChangeExistingWidths) {
    for (int32_t option : {0, 1}) {
        ConversionSettings s = Defaults();
        s.ConversionOptions[ChangeExistingWidths] = option;
        s.Rules[0] = Rule(true, 2, 1, 0, 0, 30);
        s.Rules[1] = Rule(true, 3, 1, 0, 0, -1);
        DrawingData d;
        static_cast<EntityBase&>(d.Lines.emplace_back()) = Pen(2, 1, 25);
        static_cast<EntityBase&>(d.Lines.emplace_back()) = Pen(3, 1, 25);
        ApplyRules(s, d);
        EXPECT_EQ(d.Lines[0].PenWidth, 30);
        EXPECT_EQ(d.Lines[1].PenWidth, 25);
    }
}

}  // namespace
}  // namespace tolvane
