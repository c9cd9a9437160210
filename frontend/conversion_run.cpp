#include "frontend/conversion_run.h"

#include <exception>
#include <fstream>
#include <system_error>

#include "formats/utf8_path.h"
#include "frontend/path_text.h"
#include "frontend/texts.h"

namespace tolvane {

namespace fs = std::filesystem;

RunCheck CheckConversionRun(const ConversionSettings& settings, bool treeReady, bool listReady, const fs::path& destFolder,
                            const fs::path& sourceFolder) {
    const auto refuse = [](RunCheckNumber check, std::string_view text, bool statusToo) {
        return RunCheck{check, {MessageKind::Error, std::string(text), MessageButtons::Ok}, statusToo};
    };
    if (!treeReady) return refuse(RunCheckNumber::NoSearchFolder, main_text::kSpecifySearchFolder, true);
    if (!listReady || sourceFolder.empty()) return refuse(RunCheckNumber::NoFileList, main_text::kNoFileList, false);
    // The checks of the destination and the rules are those of the command line: the source
    // folder is compared with the destination once, on disk.
    const RunRefusal refusal = CheckRunInputs(settings, Utf8FromPath(destFolder), {sourceFolder});
    if (refusal.Check != RunCheckNumber::Passed) return refuse(refusal.Check, refusal.Message, false);
    return {};
}

std::vector<BatchFile> SelectionFiles(const fs::path& sourceFolder, const fs::path& destFolder,
                                      const std::vector<std::string>& names) {
    std::vector<BatchFile> files;
    files.reserve(names.size());
    for (const std::string& name : names)
        if (!name.empty()) files.push_back({sourceFolder / PathFromUtf8(name), destFolder / PathFromUtf8(name)});
    return files;
}

ResultKind KindOf(const ConversionResult& result) {
    switch (result.Outcome) {
        case ConversionOutcome::Converted: return ResultKind::Converted;
        case ConversionOutcome::SkippedNotADrawing:
            return result.Problem == ConversionProblem::NotADrawing ? ResultKind::Failed : ResultKind::Skipped;
        case ConversionOutcome::FailedRead:
        case ConversionOutcome::FailedWrite: return ResultKind::Failed;
        case ConversionOutcome::Stopped: return ResultKind::NotConverted;
    }
    return ResultKind::Failed;
}

std::string OutcomeText(ResultKind kind) {
    switch (kind) {
        case ResultKind::Converted: return std::string(results_text::kConverted);
        case ResultKind::Skipped: return std::string(results_text::kSkipped);
        case ResultKind::Failed: return std::string(results_text::kFailed);
        case ResultKind::NotConverted: return std::string(results_text::kNotConverted);
    }
    return std::string(results_text::kFailed);
}

namespace {

std::string_view ProblemText(ConversionProblem problem) {
    using namespace results_text;
    switch (problem) {
        case ConversionProblem::None: return {};
        case ConversionProblem::NotDrawingExtension: return kNotDrawingExtension;
        case ConversionProblem::Missing: return kMissing;
        case ConversionProblem::NotRegularFile: return kNotRegularFile;
        case ConversionProblem::NotADrawing: return kNotADrawing;
        case ConversionProblem::DestinationIsSource: return kDestinationIsSource;
        case ConversionProblem::ReadFailed: return kReadFailed;
        case ConversionProblem::DestinationInTheWay: return kDestinationInTheWay;
        case ConversionProblem::WriteFailed: return kWriteFailed;
        case ConversionProblem::Stopped: return kStopped;
        case ConversionProblem::Unexpected: return kUnexpected;
    }
    return kUnexpected;
}

// Kinds whose English reason only says the same again.
bool HasDetail(ConversionProblem problem) {
    switch (problem) {
        case ConversionProblem::NotADrawing:
        case ConversionProblem::ReadFailed:
        case ConversionProblem::DestinationInTheWay:
        case ConversionProblem::WriteFailed:
        case ConversionProblem::Unexpected: return true;
        default: return false;
    }
}

std::string Version(uint32_t version) {
    return std::to_string(version / 100) + "." + (version % 100 < 10 ? "0" : "") + std::to_string(version % 100);
}

}  // namespace

std::string ReasonText(const ConversionResult& result) {
    if (result.Outcome == ConversionOutcome::Converted) {
        std::string text = "変更：線色 " + std::to_string(result.ChangedColors) + "、線種 " +
                           std::to_string(result.ChangedLineTypes) + "、線幅 " + std::to_string(result.ChangedWidths);
        if (result.VersionWritten != result.VersionRead)
            text += "（データをVer." + Version(result.VersionRead) + "からVer." + Version(result.VersionWritten) + "に変換）";
        return text;
    }
    std::string text(ProblemText(result.Problem));
    if (text.empty()) return result.Reason;
    if (HasDetail(result.Problem) && !result.Reason.empty()) text += "（" + result.Reason + "）";
    return text;
}

std::string RunSummaryText(const RunCounts& counts) {
    std::string text(counts.NotConverted > 0 ? main_text::kConversionStopped : main_text::kConversionCompleted);
    text += "（変換：" + std::to_string(counts.Converted) + "件　スキップ：" + std::to_string(counts.Skipped) +
            "件　失敗：" + std::to_string(counts.Failed) + "件";
    if (counts.NotConverted > 0) text += "　未変換：" + std::to_string(counts.NotConverted) + "件";
    return text + "）";
}

RunResults MakeRunResults(const std::vector<BatchFile>& files, const std::vector<ConversionResult>& results,
                          const fs::path& destination) {
    RunResults run;
    run.Destination = destination;
    for (size_t i = 0; i < files.size() && i < results.size(); ++i) {
        const ResultKind kind = KindOf(results[i]);
        run.Rows.push_back({files[i].Source, kind, OutcomeText(kind), ReasonText(results[i])});
        switch (kind) {
            case ResultKind::Converted: ++run.Counts.Converted; break;
            case ResultKind::Skipped: ++run.Counts.Skipped; break;
            case ResultKind::Failed: ++run.Counts.Failed; break;
            case ResultKind::NotConverted: ++run.Counts.NotConverted; break;
        }
    }
    run.Summary = RunSummaryText(run.Counts);
    return run;
}

std::string ResultsText(const std::vector<ResultRow>& rows) {
    using results_text::kHeaders;
    std::string text = std::string(kHeaders[0]) + '\t' + std::string(kHeaders[1]) + '\t' + std::string(kHeaders[2]) + '\n';
    for (const ResultRow& row : rows) text += DisplayPath(row.File) + '\t' + row.Outcome + '\t' + row.Reason + '\n';
    return text;
}

namespace {

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

std::string ResultsCsv(const std::vector<ResultRow>& rows) {
    using results_text::kHeaders;
    std::string text = "\xEF\xBB\xBF" + std::string(kHeaders[0]) + ',' + std::string(kHeaders[1]) + ',' +
                       std::string(kHeaders[2]) + "\r\n";
    for (const ResultRow& row : rows)
        text += CsvField(DisplayPath(row.File)) + ',' + CsvField(row.Outcome) + ',' + CsvField(row.Reason) + "\r\n";
    return text;
}

bool SaveResultsCsv(const std::vector<ResultRow>& rows, const fs::path& file) {
    const std::string bytes = ResultsCsv(rows);
    fs::path temporary = file;
    temporary += ".tmp";
    std::error_code error;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, file, error);
    if (!error) return true;
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
}

FileChoice ResultsFileChoice(const fs::path& destination) {
    return {std::string(results_text::kSaveTitle), destination, PathFromUtf8(results_text::kSaveName),
            std::string(results_text::kCsvFilterName), "*.csv", "csv"};
}

std::string ProgressText(const fs::path& source) {
    return "ファイル「" + DisplayPath(source.filename()) + "」変換中です。";
}

std::string ProgressDetail(const fs::path& source, const fs::path& destination) {
    return "ファイル「" + DisplayPath(source) + "」→「" + DisplayPath(destination) + "」変換中です。";
}

RunWorker::RunWorker(Post post) : post_(std::move(post)) {}

RunWorker::~RunWorker() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void RunWorker::Start(const ConversionSettings& settings, std::vector<BatchFile> files, const fs::path& imageFolder,
                      Events events) {
    if (running_) return;
    if (worker_.joinable()) worker_.join();
    running_ = true;
    stop_ = false;
    settings_ = settings;
    files_ = std::move(files);
    events_ = std::move(events);

    BatchOptions options;
    options.Jobs = Jobs;
    options.ImageFolder = imageFolder;
    options.Stop = &stop_;
    const std::weak_ptr<int> alive = alive_;
    options.Started = [this, alive](size_t index, size_t finished) {
        post_([this, alive, index, finished] {
            if (!alive.expired() && running_ && events_.Started) events_.Started(index, finished);
        });
        if (WorkerStarted) WorkerStarted(index);
    };
    options.Reported = [this, alive](size_t, const ConversionResult&, size_t finished) {
        post_([this, alive, finished] {
            if (!alive.expired() && running_ && events_.Finished) events_.Finished(finished);
        });
    };
    const auto convert = [this, alive, options] {
        std::vector<ConversionResult> results;
        try {
            results = ConvertBatch(settings_, files_, options);
        } catch (const std::exception& e) {
            // Only a failure to set the run up lands here; every file counts as failed.
            ConversionResult failed;
            failed.Outcome = ConversionOutcome::FailedRead;
            failed.Problem = ConversionProblem::Unexpected;
            failed.Reason = e.what();
            results.assign(files_.size(), failed);
        }
        post_([this, alive, results = std::move(results)]() mutable {
            if (!alive.expired()) Ended(std::move(results));
        });
    };
    try {
        worker_ = std::thread(convert);
    } catch (const std::system_error&) {
        // No thread to be had: the run goes on this thread, and its end still comes posted.
        convert();
    }
}

void RunWorker::Ended(std::vector<ConversionResult> results) {
    if (worker_.joinable()) worker_.join();
    running_ = false;
    if (events_.Ended) events_.Ended(std::move(results));
}

}  // namespace tolvane
