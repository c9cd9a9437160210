#include "frontend/inspect_window.h"

#include <gtest/gtest.h>

#include <deque>
#include <future>

#include "formats/jww.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// Findings in words, with the names the settings dialog gives colours and line types.
TEST(InspectWindow, FindingsInWords) {
    const DeliveryStandard& sxf = SxfDeliveryStandard();
    Finding f;
    f.Rule = DeliveryRule::Color;
    f.Value = 1;
    f.Count = 120;
    f.InBlocks = 4;
    EXPECT_EQ(FindingText(f, sxf), "エラー：SXFにない線色「線色 1」：線 120件（うちブロック内 4件）");
    f.Rule = DeliveryRule::LineType;
    f.Entity = PenEntity::Arc;
    f.Value = 46;
    f.InBlocks = 0;
    EXPECT_EQ(FindingText(f, sxf), "エラー：SXFにない線種「線種番号 46」：円弧 120件");
    f.Grade = FindingGrade::Warning;
    f.Rule = DeliveryRule::LayerName;
    f.Group = 10;
    f.Layer = 3;
    f.Name = "\x95\xc7";  // 壁 in Shift-JIS
    EXPECT_EQ(FindingText(f, sxf), "警告：SXFの形式でないレイヤ名「A-3 壁」：120件");
    EXPECT_EQ(ColorText(102), "SXF 2:red");
    EXPECT_EQ(LineTypeText(12), "ランダム線２");
}

// One row per file: the counts and the worst finding; a file that cannot be read says why. The
// clipboard text and the CSV hold the same columns.
TEST(InspectWindow, RowsListTextAndCsv) {
    FileInspection read;
    read.File = "/d/plan,1.jww";
    read.Ok = true;
    read.Drawing.Pens = {{{PenEntity::Line, 101, 31, 0}, 9, 0}, {{PenEntity::Text, 3, 1, 0}, 2, 0}};
    const InspectRow row = InspectRowOf(read, SxfDeliveryStandard());
    EXPECT_EQ(row.Errors, 1u);
    EXPECT_EQ(row.Warnings, 1u);
    EXPECT_TRUE(row.WorstIsError);
    EXPECT_EQ(row.Worst, "エラー：SXFにない線色「線色 3」：文字 2件");

    FileInspection unreadable;
    unreadable.File = "/d/cut.jww";
    unreadable.Error = "the file ends early";
    const InspectRow bad = InspectRowOf(unreadable, SxfDeliveryStandard());
    EXPECT_FALSE(bad.Ok);
    EXPECT_EQ(bad.Worst, "読み込めません：the file ends early");

    EXPECT_EQ(InspectListText({row, bad}), "ファイル\tエラー\t警告\t最も重い指摘\n"
                                           "plan,1.jww\t1\t1\tエラー：SXFにない線色「線色 3」：文字 2件\n"
                                           "cut.jww\t\t\t読み込めません：the file ends early\n");
    EXPECT_EQ(InspectListCsv({row, bad}), "\xEF\xBB\xBF" "ファイル,エラー,警告,最も重い指摘\r\n"
                                          "\"plan,1.jww\",1,1,エラー：SXFにない線色「線色 3」：文字 2件\r\n"
                                          "cut.jww,,,読み込めません：the file ends early\r\n");
}

// The run hands every file and its end to the window thread through post, in order; a stop
// ends it early with the files done so far.
TEST(InspectWindow, RunPostsRowsAndEnd) {
    TempFolder folder;
    std::vector<fs::path> files;
    for (int i = 0; i < 4; ++i) {
        files.push_back(folder.Path() / ("p" + std::to_string(i) + ".jww"));
        ASSERT_TRUE(WriteJww(files.back(), testing::MakeFloorPlan(600), 600, {}));
    }
    std::mutex mutex;
    std::deque<std::function<void()>> tasks;
    std::promise<void> ended;
    bool stopAtFirst = false;
    InspectRun* running = nullptr;
    InspectRun run([&](std::function<void()> task) {
        const std::lock_guard lock(mutex);
        tasks.push_back(std::move(task));
        if (stopAtFirst && tasks.size() == 1) running->Stop();
        if (tasks.size() == 1 + (stopAtFirst ? 1 : files.size())) ended.set_value();
    });
    running = &run;
    std::vector<size_t> done;
    InspectRunResult result;
    const InspectRun::Callbacks callbacks{[&](size_t index, const InspectRow& row, size_t n) {
                                              EXPECT_EQ(row.File, files[index]);
                                              done.push_back(n);
                                          },
                                          [&](const InspectRunResult& r) { result = r; }};
    const auto runTasks = [&] {
        ended.get_future().wait();
        EXPECT_TRUE(run.Running());
        for (auto& task : tasks) task();
        tasks.clear();
        EXPECT_FALSE(run.Running());
    };

    ASSERT_TRUE(run.Start(files, SxfDeliveryStandard(), callbacks, 2));
    EXPECT_FALSE(run.Start(files, SxfDeliveryStandard(), callbacks));
    runTasks();
    EXPECT_EQ(done, (std::vector<size_t>{1, 2, 3, 4}));
    EXPECT_EQ(result.Rows.size(), 4u);
    EXPECT_FALSE(result.Stopped);
    ASSERT_FALSE(result.Pens.empty());
    EXPECT_EQ(result.Pens[0].Files, 4u);

    ended = {};
    stopAtFirst = true;
    done.clear();
    ASSERT_TRUE(run.Start(files, SxfDeliveryStandard(), callbacks, 1));
    runTasks();
    EXPECT_EQ(done, (std::vector<size_t>{1}));
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(result.Selected, 4u);
}

}  // namespace
}  // namespace tolvane
