#include "frontend/inspect_window.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>

#include "formats/jww.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

// Findings in words, with the names the settings dialog gives colours and line types; one row
// per file with the worst of them, or why it cannot be read; the clipboard text and the CSV.
TEST(InspectWindow, RowsInWordsListTextAndCsv) {
    const DeliveryStandard& sxf = SxfDeliveryStandard();
    Finding f;
    f.Value = 1;
    f.Count = 120;
    f.InBlocks = 4;
    EXPECT_EQ(FindingText(f, sxf), "エラー：SXFにない線色「線色 1」：線 120件（うちブロック内 4件）");
    f = {FindingGrade::Warning, DeliveryRule::LayerName, PenEntity::Line, 0, 10, 3, "\x95\xc7", 120, 0};
    EXPECT_EQ(FindingText(f, sxf), "警告：SXFの形式でないレイヤ名「A-3 壁」：120件");

    FileInspection read;
    read.File = "/d/plan,1.jww";
    read.Ok = true;
    read.Drawing.Pens = {{{PenEntity::Line, 101, 31, 0}, 9, 0}, {{PenEntity::Text, 102, 1, 0}, 2, 0},
                         {{PenEntity::Text, 3, 1, 0}, 2, 0}};
    const InspectRow row = InspectRowOf(read, sxf);
    EXPECT_EQ(std::make_tuple(row.Errors, row.Warnings, row.WorstIsError), std::make_tuple(1u, 1u, true));
    FileInspection unreadable;
    unreadable.File = "/d/cut.jww";
    unreadable.Error = "the file ends early";
    const InspectRow bad = InspectRowOf(unreadable, sxf);
    EXPECT_EQ(InspectListText({row, bad}), "ファイル\tエラー\t警告\t最も重い指摘\n"
                                           "plan,1.jww\t1\t1\tエラー：SXFにない線色「線色 3」：文字 2件\n"
                                           "cut.jww\t\t\t読み込めません：the file ends early\n");
    EXPECT_EQ(InspectListCsv({row, bad}), "\xEF\xBB\xBF" "ファイル,エラー,警告,最も重い指摘\r\n"
                                          "\"plan,1.jww\",1,1,エラー：SXFにない線色「線色 3」：文字 2件\r\n"
                                          "cut.jww,,,読み込めません：the file ends early\r\n");
    EXPECT_EQ(PenSummaryRows({{{PenEntity::Arc, 102, 46, 25}, 5, 1, 2}})[0].LineType, "線種番号 46");

    // Saved whole or not at all: a folder in the way leaves no file beside it.
    testing::TempFolder folder;
    ASSERT_TRUE(SaveInspectListCsv({row, bad}, folder.Path() / "list.csv"));
    EXPECT_EQ(testing::ReadFile(folder.Path() / "list.csv"), InspectListCsv({row, bad}));
    fs::create_directories(folder.Path() / "taken.csv");
    EXPECT_FALSE(SaveInspectListCsv({row}, folder.Path() / "taken.csv"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 2);
}

// The run hands every file and its end to the window thread through post, in order; a stop
// ends it early with the files done so far.
TEST(InspectWindow, RunPostsRowsAndEnd) {
    testing::TempFolder folder;
    std::vector<fs::path> files(4);
    for (size_t i = 0; i < files.size(); ++i) {
        files[i] = folder.Path() / ("p" + std::to_string(i) + ".jww");
        ASSERT_TRUE(WriteJww(files[i], testing::MakeFloorPlan(600), 600, {}));
    }
    std::mutex mutex;
    std::vector<std::function<void()>> tasks;
    std::promise<void> ended;
    size_t expectedTasks = files.size() + 1;
    InspectRun* self = nullptr;
    InspectRun run([&](std::function<void()> task) {
        const std::lock_guard lock(mutex);
        tasks.push_back(std::move(task));
        if (expectedTasks == 2) self->Stop();  // the stop comes as the first file is handed over
        if (tasks.size() == expectedTasks) ended.set_value();
    });
    self = &run;
    std::vector<size_t> done;
    InspectRunResult result;
    const InspectRun::Callbacks callbacks{[&](size_t index, const InspectRow& row, size_t n) {
                                              EXPECT_EQ(row.File, files[index]);
                                              done.push_back(n);
                                          },
                                          [&](const InspectRunResult& r) { result = r; }};
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop);
        ended = {};
        expectedTasks = stop ? 2 : files.size() + 1;
        done.clear();
        ASSERT_TRUE(run.Start(files, SxfDeliveryStandard(), callbacks, stop ? 1 : 2));
        EXPECT_FALSE(run.Start(files, SxfDeliveryStandard(), callbacks));
        ended.get_future().wait();
        EXPECT_TRUE(run.Running());
        for (auto& task : std::exchange(tasks, {})) task();
        EXPECT_FALSE(run.Running());
        EXPECT_EQ(done.size(), stop ? 1u : 4u);
        EXPECT_EQ(done.back(), done.size());
        EXPECT_EQ(result.Rows.size(), done.size());
        EXPECT_EQ(result.Stopped, stop);
        EXPECT_EQ(result.Pens.at(0).Files, done.size());
        EXPECT_EQ(result.Standard, "SXF");
    }
}

}  // namespace
}  // namespace tolvane
