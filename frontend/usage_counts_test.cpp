#include "frontend/usage_counts.h"

#include <gtest/gtest.h>

#include <future>

#include "formats/jww.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

// Every kind but block insertions counts for its colour's slot, lines, arcs and dimensions for
// their line type's slot, block members included; numbers without a slot count nowhere. Files
// are read on a worker and the counts handed over through post.
TEST(UsageCounts, CountsSlotsOnAWorkerAndShowsTheColumn) {
    DrawingInspection inspection;
    inspection.Pens = {{{PenEntity::Line, 101, 31, 0}, 2, 1}, {{PenEntity::Text, 101, 1, 0}, 4, 0},
                       {{PenEntity::Insert, 101, 1, 0}, 8, 0}, {{PenEntity::Arc, 10, 12, 0}, 16, 0},
                       {{PenEntity::Solid, 9, 3, 0}, 32, 0}};
    UsageCounts counts, expected;
    AddUsage(counts, inspection);
    expected.Colors[10] = 7;      // colour 101
    expected.Colors[9] = 32;      // colour 9
    expected.LineTypes[19] = 3;   // line type 31
    expected.LineTypes[11] = 16;  // line type 12
    EXPECT_EQ(std::tie(counts.Colors, counts.LineTypes, counts.Files), std::make_tuple(expected.Colors, expected.LineTypes, size_t{1}));
    EXPECT_EQ(ColorUsageCell(nullptr, 10).Text, "");
    EXPECT_EQ(ColorUsageCell(&counts, 10).Text, "7");
    EXPECT_FALSE(ColorUsageCell(&counts, 10).Dimmed);
    EXPECT_EQ(LineTypeUsageCell(&counts, 1).Text, "0");
    EXPECT_TRUE(LineTypeUsageCell(&counts, 1).Dimmed);

    testing::TempFolder folder;
    const std::vector<std::filesystem::path> files = {folder.Path() / "a.jww", folder.Path() / "b.jww"};
    const DrawingData plan = testing::MakeFloorPlan(420);
    ASSERT_TRUE(WriteJww(files[0], plan, 420, {}));
    testing::WriteFile(files[1], std::string("not a drawing"));
    std::promise<std::function<void()>> posted;
    UsageCountRun run([&](std::function<void()> task) { posted.set_value(std::move(task)); });
    run.Start(files, [&](const UsageCounts& c) { counts = c; });
    posted.get_future().get()();
    expected = {};
    AddUsage(expected, InspectDrawing(plan, DrawingFileKind::Jww));
    EXPECT_EQ(std::tie(counts.Colors, counts.LineTypes, counts.Unreadable), std::make_tuple(expected.Colors, expected.LineTypes, size_t{1}));
}

}  // namespace
}  // namespace tolvane
