#include "conversion/delivery_standard.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

struct PenCase {
    PenKey Pen;
    std::vector<DeliveryRule> Expected;  // the rules it breaks
};

std::vector<DeliveryRule> RulesOf(const DeliveryCheck& check) {
    std::vector<DeliveryRule> rules;
    for (const Finding& f : check.Findings) rules.push_back(f.Rule);
    return rules;
}

// Each pen rule with pens that break it and pens that pass, at the edges of its ranges; the
// kinds a rule does not concern pass whatever their pens hold.
TEST(DeliveryStandard, SxfPenRules) {
    using R = DeliveryRule;
    const PenCase cases[] = {
        {{PenEntity::Line, 101, 31, 13}, {}},
        {{PenEntity::Line, 356, 45, 200}, {}},
        {{PenEntity::Arc, 117, 47, 100}, {}},
        {{PenEntity::Dimension, 200, 62, 35}, {}},
        {{PenEntity::Line, 1, 31, 25}, {R::Color}},
        {{PenEntity::Line, 100, 31, 25}, {R::Color}},
        {{PenEntity::Line, 357, 31, 25}, {R::Color}},
        {{PenEntity::Text, 9, 1, 0}, {R::Color}},
        {{PenEntity::Point, 2, 100, 0}, {R::Color}},
        {{PenEntity::Solid, 10, 1, 0}, {R::Color}},
        {{PenEntity::Line, 101, 1, 25}, {R::LineType}},
        {{PenEntity::Arc, 101, 30, 25}, {R::LineType}},
        {{PenEntity::Line, 101, 46, 25}, {R::LineType}},
        {{PenEntity::Dimension, 101, 63, 25}, {R::LineType}},
        {{PenEntity::Line, 101, 31, 30}, {R::Width}},
        {{PenEntity::Arc, 101, 31, 12}, {R::Width}},
        {{PenEntity::Line, 101, 31, 0}, {R::NoWidth}},
        {{PenEntity::Line, 5, 2, 0}, {R::Color, R::LineType, R::NoWidth}},
        {{PenEntity::Text, 101, 1, 0}, {}},
        {{PenEntity::Solid, 120, 1, 7}, {}},
        {{PenEntity::Insert, 1, 1, 0}, {}},
    };
    for (const PenCase& c : cases) {
        DrawingInspection inspection;
        inspection.Pens = {{c.Pen, 3, 1}};
        const DeliveryCheck check = CheckDelivery(inspection, SxfDeliveryStandard());
        SCOPED_TRACE(std::string(PenEntityName(c.Pen.Entity)) + " " + std::to_string(c.Pen.Color) + " " +
                     std::to_string(c.Pen.LineType) + " " + std::to_string(c.Pen.Width));
        std::vector<DeliveryRule> expected = c.Expected;
        EXPECT_EQ(RulesOf(check), expected);
        for (const Finding& f : check.Findings) {
            EXPECT_EQ(f.Grade, f.Rule == R::NoWidth ? FindingGrade::Warning : FindingGrade::Error);
            EXPECT_EQ(f.Count, 4u);
            EXPECT_EQ(f.InBlocks, 1u);
        }
    }
}

// The layer names of the CAD drawing standards for delivery: party, drawing object, and
// optionally a drawing element with one more character.
TEST(DeliveryStandard, SxfLayerNameForm) {
    const struct {
        ArchiveString Name;
        bool Matches;
    } cases[] = {
        {"S-BGD", true},         {"D-STR-HTXT", true}, {"C-A-B", true},           {"M-ABCD-EFGH1", true},
        {"D-STR1", true},        {"D-0", true},        {ArchiveString::Wide(u"D-STR-HTXT"), true},
        {"X-BGD", false},        {"d-str", false},     {"D_STR", false},          {"D-", false},
        {"D-STR-", false},       {"D--STR", false},    {"D-ABCDEF", false},       {"D-STR-HTXT-A", false},
        {"D-STR-ABCDEF", false}, {"D", false},         {"壁", false},             {"Ｄ－ＳＴＲ", false},
        {"D-STR ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesLayerNameForm(c.Name, SxfDeliveryStandard().LayerNames), c.Matches) << ::testing::PrintToString(c.Name);
}

// Layers holding entities are checked in drawings, not in figure files; the findings come
// errors first, and the worst is the error with the most entities.
TEST(DeliveryStandard, LayerFindingsOrderAndWorst) {
    DrawingInspection inspection;
    inspection.Layers = {{0, 1, "", "D-STR", 5}, {0, 2, "", "壁", 6}, {1, 0, "", "", 2}};
    inspection.Pens = {{{PenEntity::Line, 1, 31, 25}, 2, 0}, {{PenEntity::Arc, 2, 31, 25}, 3, 0},
                       {{PenEntity::Line, 101, 31, 0}, 9, 0}};
    const DeliveryCheck check = CheckDelivery(inspection, SxfDeliveryStandard());
    EXPECT_EQ(check.Errors, 2u);
    EXPECT_EQ(check.Warnings, 3u);
    using R = DeliveryRule;
    EXPECT_EQ(RulesOf(check), (std::vector<R>{R::Color, R::Color, R::NoWidth, R::LayerName, R::UnnamedLayer}));
    EXPECT_EQ(check.Findings[3].Name, ArchiveString("壁"));
    EXPECT_EQ(check.Findings[4].Group, 1);
    EXPECT_EQ(check.Findings[4].Count, 2u);
    ASSERT_NE(WorstFinding(check), nullptr);
    EXPECT_EQ(WorstFinding(check)->Entity, PenEntity::Arc);

    inspection.Kind = DrawingFileKind::Jws;
    EXPECT_EQ(CheckDelivery(inspection, SxfDeliveryStandard()).Warnings, 1u);
    EXPECT_EQ(WorstFinding(DeliveryCheck{}), nullptr);
}

// Another standard is data: its own ranges and grades take the place of SXF's.
TEST(DeliveryStandard, AnotherStandardIsData) {
    DeliveryStandard own = SxfDeliveryStandard();
    own.Colors = {{1, 9}};
    own.Grades[static_cast<size_t>(DeliveryRule::Color)] = FindingGrade::Warning;
    DrawingInspection inspection;
    inspection.Pens = {{{PenEntity::Line, 101, 31, 25}, 1, 0}, {{PenEntity::Line, 7, 31, 25}, 1, 0}};
    const DeliveryCheck check = CheckDelivery(inspection, own);
    ASSERT_EQ(check.Findings.size(), 1u);
    EXPECT_EQ(check.Findings[0].Value, 101);
    EXPECT_EQ(check.Findings[0].Grade, FindingGrade::Warning);
    EXPECT_TRUE(DeliveryStandardNamed("sxf").has_value());
    EXPECT_FALSE(DeliveryStandardNamed("dxf").has_value());
}

}  // namespace
}  // namespace tolvane
