// The conversion run of the main window without the window: the checks before a run, the
// files of a selection, the worker that converts them while the window stays live, and the
// results as the desktop program shows, copies and saves them.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "conversion/batch.h"
#include "conversion/conversion.h"
#include "frontend/platform.h"
#include "settings/conversion_settings.h"

namespace tolvane {

// The first check that refuses a run: its number (1 to 6), its message, and whether the
// status bar shows the message too. Passed lets the run go on to its question.
struct RunCheck {
    RunCheckNumber Check = RunCheckNumber::Passed;
    Message Refusal;
    bool StatusToo = false;
};
RunCheck CheckConversionRun(const ConversionSettings& settings, bool treeReady, bool listReady,
                            const std::filesystem::path& destFolder, const std::filesystem::path& sourceFolder);

// The files of the selected names (UTF-8 on Windows, the file system's bytes elsewhere): the
// source folder's file and the destination folder's file of the same name, in the order given.
std::vector<BatchFile> SelectionFiles(const std::filesystem::path& sourceFolder, const std::filesystem::path& destFolder,
                                      const std::vector<std::string>& names);

// How the desktop program counts a file. A file with a drawing's extension that is not a
// drawing is a failure there, not a skip: the user asked for a drawing.
enum class ResultKind { Converted, Skipped, Failed, NotConverted };
ResultKind KindOf(const ConversionResult& result);

struct RunCounts {
    size_t Converted = 0;
    size_t Skipped = 0;
    size_t Failed = 0;
    size_t NotConverted = 0;
};

struct ResultRow {
    std::filesystem::path File;
    ResultKind Kind = ResultKind::Converted;
    std::string Outcome;  // 変換, スキップ, 失敗, 未変換（中止）
    std::string Reason;   // in Japanese, the technical detail after it
};

struct RunResults {
    std::vector<ResultRow> Rows;  // every file of the selection, in its order
    RunCounts Counts;
    std::string Summary;  // the status text at the end of the run
    std::filesystem::path Destination;
    // Whether the results window opens by itself: something was not converted.
    bool ShowWindow() const { return Counts.Skipped + Counts.Failed + Counts.NotConverted > 0; }
};

std::string OutcomeText(ResultKind kind);
// What a file's result says in Japanese: what changed, or why it was not converted, with the
// technical detail after it.
std::string ReasonText(const ConversionResult& result);
std::string RunSummaryText(const RunCounts& counts);
RunResults MakeRunResults(const std::vector<BatchFile>& files, const std::vector<ConversionResult>& results,
                          const std::filesystem::path& destination);

// Tab-separated lines with a header line, for the clipboard.
std::string ResultsText(const std::vector<ResultRow>& rows);
// The bytes of the CSV file: UTF-8 with a byte order mark, so that a spreadsheet on Windows
// reads the Japanese text right; CRLF line ends; fields quoted where they must be.
std::string ResultsCsv(const std::vector<ResultRow>& rows);
// Writes the CSV beside the file and renames it into place: a failed save leaves no half file
// and keeps a file that was there. False when it could not be written.
bool SaveResultsCsv(const std::vector<ResultRow>& rows, const std::filesystem::path& file);
// The choice of the CSV file, in the destination folder.
FileChoice ResultsFileChoice(const std::filesystem::path& destination);

// The status text while one file is converted, and its longer form with both paths.
std::string ProgressText(const std::filesystem::path& source);
std::string ProgressDetail(const std::filesystem::path& source, const std::filesystem::path& destination);

// Converts a selection on a worker thread. Progress and the end come back through post on
// the window's thread; a worker never touches the window.
class RunWorker {
public:
    struct Events {
        std::function<void(size_t index, size_t finished)> Started;  // a file begins
        std::function<void(size_t finished)> Finished;               // files done so far
        std::function<void(std::vector<ConversionResult>)> Ended;    // one result per file
    };

    explicit RunWorker(Post post);
    // Stops a run that still goes and waits for the files being converted.
    ~RunWorker();
    RunWorker(const RunWorker&) = delete;
    RunWorker& operator=(const RunWorker&) = delete;

    // Workers of a run; 0 takes one per core.
    unsigned Jobs = 0;
    // Called on the worker as each file starts, before its event is posted (a place for
    // tests to hold a run).
    std::function<void(size_t index)> WorkerStarted;

    bool Running() const { return running_; }
    bool Stopping() const { return running_ && stop_; }
    // Converts the files with a copy of the settings, whose rule sources the caller resolved.
    void Start(const ConversionSettings& settings, std::vector<BatchFile> files, const std::filesystem::path& imageFolder,
               Events events);
    // No further file starts; the files being converted finish.
    void Stop() { stop_ = true; }

private:
    void Ended(std::vector<ConversionResult> results);

    Post post_;
    // Posted calls that arrive after this worker is gone find it expired and do nothing.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::thread worker_;
    std::atomic<bool> stop_ = false;
    bool running_ = false;
    ConversionSettings settings_;
    std::vector<BatchFile> files_;
    Events events_;
};

}  // namespace tolvane
