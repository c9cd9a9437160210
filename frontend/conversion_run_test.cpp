#include "frontend/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/utf8_path.h"
#include "frontend/scripted_platform.h"
#include "frontend/texts.h"
#include "testsupport/drawing_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// The six checks of a run in their order: each case fails every later check too, so the
// message proves that the earlier ones passed. Every refusal is an error box with OK.
TEST(RunChecks, InTheirOrder) {
    TempFolder temp;
    const fs::path source = temp.Path() / "src", dest = temp.Path() / "dst";
    fs::create_directories(source);
    fs::create_directories(dest);
    ConversionSettings combined;
    ResetConversionSettings(combined);
    combined.ConversionMode = ConversionModeKind::Combined;
    struct Case {
        bool tree, list;
        fs::path destination;
        RunCheckNumber check;
        std::string text;
    };
    const Case cases[] = {
        {false, false, {}, RunCheckNumber::NoSearchFolder, std::string(main_text::kSpecifySearchFolder)},
        {true, false, {}, RunCheckNumber::NoFileList, std::string(main_text::kNoFileList)},
        {true, true, {}, RunCheckNumber::NoDestination, kNoDestinationMessage},
        {true, true, temp.Path() / "missing", RunCheckNumber::DestinationMissing, kDestinationMissingMessage},
        {true, true, source / ".." / "src", RunCheckNumber::SameFolder, kSameFolderMessage},
        {true, true, dest, RunCheckNumber::NoRule, kNoRuleMessage},
    };
    for (const Case& c : cases) {
        const RunCheck check = CheckConversionRun(combined, c.tree, c.list, c.destination, source);
        EXPECT_EQ(check.Check, c.check);
        EXPECT_EQ(check.Refusal, (Message{MessageKind::Error, c.text, MessageButtons::Ok}));
        EXPECT_EQ(check.StatusToo, c.check == RunCheckNumber::NoSearchFolder);
    }
    combined.Rules[0].Enabled = true;
    EXPECT_EQ(CheckConversionRun(combined, true, true, dest, source).Check, RunCheckNumber::Passed);
}

ConversionResult Result(ConversionOutcome outcome, ConversionProblem problem, std::string reason) {
    ConversionResult result;
    result.Outcome = outcome;
    result.Problem = problem;
    result.Reason = std::move(reason);
    return result;
}

// How each outcome is counted and worded: the kind in Japanese, the technical detail after it
// where it says more.
TEST(RunResults, KindsAndReasons) {
    ConversionResult converted = Result(ConversionOutcome::Converted, ConversionProblem::None, "");
    converted.ChangedColors = 3;
    converted.ChangedWidths = 12;
    converted.VersionRead = 351;
    converted.VersionWritten = 420;
    const std::vector<std::tuple<ConversionResult, ResultKind, std::string>> cases = {
        {converted, ResultKind::Converted, "変更：線色 3、線種 0、線幅 12（データをVer.3.51からVer.4.20に変換）"},
        {Result(ConversionOutcome::SkippedNotADrawing, ConversionProblem::NotDrawingExtension, "not a .JWW or .JWS file"),
         ResultKind::Skipped, std::string(results_text::kNotDrawingExtension)},
        {Result(ConversionOutcome::SkippedNotADrawing, ConversionProblem::NotADrawing, "not a JWW drawing"),
         ResultKind::Failed, std::string(results_text::kNotADrawing) + "（not a JWW drawing）"},
        {Result(ConversionOutcome::FailedRead, ConversionProblem::ReadFailed, "unexpected end"), ResultKind::Failed,
         std::string(results_text::kReadFailed) + "（unexpected end）"},
        {Result(ConversionOutcome::FailedWrite, ConversionProblem::WriteFailed, "disk full"), ResultKind::Failed,
         std::string(results_text::kWriteFailed) + "（disk full）"},
        {Result(ConversionOutcome::Stopped, ConversionProblem::Stopped, "not converted: the run was stopped"),
         ResultKind::NotConverted, std::string(results_text::kStopped)},
    };
    std::vector<BatchFile> files;
    std::vector<ConversionResult> results;
    for (const auto& [result, kind, reason] : cases) {
        EXPECT_EQ(KindOf(result), kind);
        EXPECT_EQ(ReasonText(result), reason);
        files.push_back({"/in/f" + std::to_string(files.size()) + ".jww", "/out/x.jww"});
        results.push_back(result);
    }
    const RunResults run = MakeRunResults(files, results, "/out/");
    EXPECT_EQ(run.Summary, "変換作業を中止しました。（変換：1件　スキップ：1件　失敗：3件　未変換：1件）");
    EXPECT_TRUE(run.ShowWindow());
    EXPECT_EQ(run.Rows[2].Outcome, "失敗");
    EXPECT_EQ(RunSummaryText({4, 0, 0, 0}), "変換作業を完了しました。（変換：4件　スキップ：0件　失敗：0件）");
    EXPECT_FALSE(MakeRunResults({files[0]}, {results[0]}, "/out/").ShowWindow());
}

// The list as text and as CSV; the CSV replaces a file only once it is whole.
TEST(RunResults, TextAndCsv) {
    const std::vector<ResultRow> rows = {{"/in/a.jww", ResultKind::Converted, "変換", "変更：線色 1、線種 0、線幅 0"},
                                         {"/in/b, \"c\".jws", ResultKind::Failed, "失敗", "理由\n二行"}};
    EXPECT_EQ(ResultsText(rows), "ファイル\t結果\t理由\n/in/a.jww\t変換\t変更：線色 1、線種 0、線幅 0\n/in/b, \"c\".jws\t失敗\t理由\n二行\n");
    EXPECT_EQ(ResultsCsv(rows), "\xEF\xBB\xBF" "ファイル,結果,理由\r\n/in/a.jww,変換,変更：線色 1、線種 0、線幅 0\r\n"
                                "\"/in/b, \"\"c\"\".jws\",失敗,\"理由\n二行\"\r\n");
    TempFolder temp;
    const fs::path file = temp.Path() / PathFromUtf8("結果.csv");
    WriteFile(file, std::string("old"));
    ASSERT_TRUE(SaveResultsCsv(rows, file));
    EXPECT_EQ(ReadFile(file), ResultsCsv(rows));
    EXPECT_FALSE(SaveResultsCsv(rows, temp.Path() / "missing" / "x.csv"));
    fs::create_directories(temp.Path() / "taken.csv");
    EXPECT_FALSE(SaveResultsCsv(rows, temp.Path() / "taken.csv"));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(temp.Path())) left.push_back(Utf8FromPath(entry.path().filename()));
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"taken.csv", "結果.csv"}));
}

// The worker converts in the background and reports through post, in order; the window's
// thread sees it running until the end arrives.
TEST(RunWorker, ReportsThroughPost) {
    TempFolder temp;
    testing::WriteDrawing(temp.Path() / "a.jww", 420);
    testing::WriteDrawing(temp.Path() / "b.jww", 420);
    fs::create_directories(temp.Path() / "out");
    ConversionSettings settings;
    ResetConversionSettings(settings);
    testing::PostQueue posts;
    RunWorker worker(posts.Poster());
    worker.Jobs = 1;
    std::vector<std::string> events;
    std::vector<ConversionResult> ended;
    RunWorker::Events handlers;
    handlers.Started = [&](size_t index, size_t) { events.push_back("started " + std::to_string(index)); };
    handlers.Finished = [&](size_t finished) { events.push_back("finished " + std::to_string(finished)); };
    handlers.Ended = [&](std::vector<ConversionResult> results) { ended = std::move(results); };
    const std::vector<BatchFile> files = {{temp.Path() / "a.jww", temp.Path() / "out" / "a.jww"},
                                          {temp.Path() / "b.jww", temp.Path() / "out" / "b.jww"}};
    worker.Start(settings, files, temp.Path() / "images", std::move(handlers));
    EXPECT_TRUE(worker.Running());
    ASSERT_TRUE(posts.RunUntil([&] { return !worker.Running(); }));
    EXPECT_EQ(events, (std::vector<std::string>{"started 0", "finished 1", "started 1", "finished 2"}));
    ASSERT_EQ(ended.size(), 2u);
    EXPECT_EQ(ended[1].Outcome, ConversionOutcome::Converted);
}

}  // namespace
}  // namespace tolvane
