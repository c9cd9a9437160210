#include "frontend/usage_counts.h"

#include <gtest/gtest.h>

#include <future>

#include "formats/jws.h"
#include "formats/jww.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// The counts taken straight from the model: every entity that carries a colour by its
// colour's slot, lines, arcs and dimension lines by their line type's slot.
void CountModel(const EntityLists& lists, UsageCounts& counts) {
    const auto color = [&](const EntityBase& e) {
        if (const auto slot = ColorSlotOf(e.PenColor)) ++counts.Colors[static_cast<size_t>(*slot)];
    };
    const auto lineType = [&](const EntityBase& e) {
        color(e);
        if (const auto slot = LineTypeSlotOf(e.PenStyle)) ++counts.LineTypes[static_cast<size_t>(*slot)];
    };
    for (const auto& r : lists.Lines) lineType(r);
    for (const auto& r : lists.Arcs) lineType(r);
    for (const auto& r : lists.Dimensions) lineType(r.DimensionLine);
    for (const auto& r : lists.Points) color(r);
    for (const auto& r : lists.Texts) color(r);
    for (const auto& r : lists.Solids) color(r);
}

TEST(UsageCounts, CountsEachSlotOverTheFiles) {
    TempFolder folder;
    const std::vector<fs::path> files = {folder.Path() / "a.jww", folder.Path() / "b.jws", folder.Path() / "c.jww"};
    const DrawingData plan = testing::MakeFloorPlan(420);
    const DrawingData figure = testing::MakeFigure(351);
    ASSERT_TRUE(WriteJww(files[0], plan, 420, {}));
    ASSERT_TRUE(WriteJws(files[1], figure, 351));
    testing::WriteFile(files[2], std::string("not a drawing"));

    UsageCounts expected;
    for (const DrawingData* d : {&plan, &figure}) {
        CountModel(*d, expected);
        for (const BlockDefinition& b : d->BlockDefinitions) CountModel(b, expected);
    }
    const UsageCounts counts = CountUsage(files);
    EXPECT_EQ(counts.Colors, expected.Colors);
    EXPECT_EQ(counts.LineTypes, expected.LineTypes);
    EXPECT_EQ(counts.Files, 2u);
    EXPECT_EQ(counts.Unreadable, 1u);

    // The column: empty without a selection, dimmed where nothing uses the slot.
    EXPECT_EQ(ColorUsageCell(nullptr, 1).Text, "");
    EXPECT_FALSE(ColorUsageCell(nullptr, 1).Dimmed);
    EXPECT_EQ(ColorUsageCell(&counts, 1).Text, std::to_string(expected.Colors[1]));
    EXPECT_FALSE(ColorUsageCell(&counts, 1).Dimmed);
    EXPECT_EQ(LineTypeUsageCell(&counts, 49).Text, "0");
    EXPECT_TRUE(LineTypeUsageCell(&counts, 49).Dimmed);

    // On a worker, handed over through post.
    std::promise<std::function<void()>> posted;
    UsageCountRun run([&](std::function<void()> task) { posted.set_value(std::move(task)); });
    UsageCounts delivered;
    run.Start(files, [&](const UsageCounts& c) { delivered = c; });
    posted.get_future().get()();
    EXPECT_EQ(delivered.Colors, expected.Colors);
}

}  // namespace
}  // namespace tolvane
