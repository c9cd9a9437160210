#include "conversion/delivery_standard.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using R = DeliveryRule;

std::vector<DeliveryRule> RulesOf(const DeliveryCheck& check) {
    std::vector<DeliveryRule> rules;
    for (const Finding& f : check.Findings) rules.push_back(f.Rule);
    return rules;
}

// Each pen rule with pens that break it and pens that pass, at the edges of its ranges; the
// kinds a rule does not concern pass whatever their pens hold.
TEST(DeliveryStandard, SxfPenRules) {
    const struct {
        PenKey Pen;
        std::vector<DeliveryRule> Broken;
    } cases[] = {
        {{PenEntity::Line, 101, 31, 13}, {}},
        {{PenEntity::Line, 356, 45, 200}, {}},
        {{PenEntity::Dimension, 200, 62, 35}, {}},
        {{PenEntity::Line, 1, 31, 25}, {R::Color}},
        {{PenEntity::Line, 357, 31, 25}, {R::Color}},
        {{PenEntity::Text, 9, 1, 0}, {R::Color}},
        {{PenEntity::Solid, 10, 1, 0}, {R::Color}},
        {{PenEntity::Line, 101, 1, 25}, {R::LineType}},
        {{PenEntity::Line, 101, 46, 25}, {R::LineType}},
        {{PenEntity::Dimension, 101, 63, 25}, {R::LineType}},
        {{PenEntity::Line, 101, 31, 30}, {R::Width}},
        {{PenEntity::Line, 101, 31, 0}, {R::NoWidth}},
        {{PenEntity::Line, 5, 2, 0}, {R::Color, R::LineType, R::NoWidth}},
        {{PenEntity::Text, 101, 1, 0}, {}},
        {{PenEntity::Insert, 1, 1, 0}, {}},
    };
    for (const auto& c : cases) {
        DrawingInspection inspection;
        inspection.Pens = {{c.Pen, 3, 1}};
        const DeliveryCheck check = CheckDelivery(inspection, SxfDeliveryStandard());
        SCOPED_TRACE(std::string(PenEntityName(c.Pen.Entity)) + " " + std::to_string(c.Pen.Color) + " " +
                     std::to_string(c.Pen.LineType) + " " + std::to_string(c.Pen.Width));
        EXPECT_EQ(RulesOf(check), c.Broken);
        for (const Finding& f : check.Findings) {
            EXPECT_EQ(f.Grade, f.Rule == R::NoWidth ? FindingGrade::Warning : FindingGrade::Error);
            EXPECT_EQ(std::make_pair(f.Count, f.InBlocks), std::make_pair(uint64_t{4}, uint64_t{1}));
        }
    }
}

// The layer names of the CAD drawing standards for delivery: party, drawing object, and
// optionally a drawing element, the last part with one more character.
TEST(DeliveryStandard, SxfLayerNameForm) {
    const struct {
        ArchiveString Name;
        bool Matches;
    } cases[] = {
        {"S-BGD", true},       {"D-STR-HTXT", true},  {"C-A-B", true},         {"M-ABCD-EFGH1", true},
        {"D-STR1", true},      {ArchiveString::Wide(u"D-STR-HTXT"), true},    {"X-BGD", false},
        {"d-str", false},      {"D_STR", false},      {"D-", false},           {"D-STR-", false},
        {"D--STR", false},     {"D-ABCDEF", false},   {"D-STR-HTXT-A", false}, {"D", false},
        {"\x95\xc7", false},   {"D-STR ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesLayerNameForm(c.Name, SxfDeliveryStandard().LayerNames), c.Matches) << ::testing::PrintToString(c.Name);
}

// Layers holding entities are checked in drawings only; the findings come errors first, and
// the worst is the error with the most entities.
TEST(DeliveryStandard, LayersOrderAndWorst) {
    DrawingInspection inspection;
    inspection.Layers = {{0, 1, "", "D-STR", 5}, {0, 2, "", "\x95\xc7", 6}, {1, 0, "", "", 2}};
    inspection.Pens = {{{PenEntity::Line, 1, 31, 25}, 2, 0}, {{PenEntity::Arc, 2, 31, 25}, 3, 0},
                       {{PenEntity::Line, 101, 31, 0}, 9, 0}};
    const DeliveryCheck check = CheckDelivery(inspection, SxfDeliveryStandard());
    EXPECT_EQ(std::make_pair(check.Errors, check.Warnings), std::make_pair(size_t{2}, size_t{3}));
    EXPECT_EQ(RulesOf(check), (std::vector<R>{R::Color, R::Color, R::NoWidth, R::LayerName, R::UnnamedLayer}));
    EXPECT_EQ(std::make_pair(check.Findings[4].Group, check.Findings[4].Count), std::make_pair(uint16_t{1}, uint64_t{2}));
    EXPECT_EQ(WorstFinding(check)->Entity, PenEntity::Arc);
    EXPECT_EQ(WorstFinding(DeliveryCheck{}), nullptr);
    inspection.Kind = DrawingFileKind::Jws;
    EXPECT_EQ(RulesOf(CheckDelivery(inspection, SxfDeliveryStandard())), (std::vector<R>{R::Color, R::Color, R::NoWidth}));
    EXPECT_FALSE(DeliveryStandardNamed("dxf"));
}

}  // namespace
}  // namespace tolvane
