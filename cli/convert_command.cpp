#include "cli/convert_command.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <optional>

#include "cli/json_output.h"
#include "cli/platform.h"
#include "cli/settings_argument.h"
#include "cli/temp_folder.h"
#include "conversion/app_paths.h"
#include "conversion/batch.h"
#include "conversion/conversion.h"
#include "conversion/input_files.h"
#include "formats/utf8_path.h"
#include "settings/settings_file.h"

namespace tolvane::cli {

namespace {

namespace fs = std::filesystem;


struct Job {
    fs::path Source;
    fs::path Destination;
};

// Whether path lies in folder or below it, on disk (links and other spellings included).
bool IsInside(const fs::path& path, const fs::path& folder) {
    std::error_code error;
    for (fs::path p = fs::weakly_canonical(path, error); !error; p = p.parent_path()) {
        if (IsSameFolder(p, folder)) return true;
        if (p == p.parent_path()) break;
    }
    return false;
}

// The files a PATH stands for, each with its destination: the same name in the destination,
// or for a file found below a folder, the same relative folders there.
std::vector<Job> CollectJobs(const fs::path& path, const fs::path& destination, bool recursive, std::string& problem) {
    std::vector<Job> jobs;
    for (const InputFile& file : ExpandInputPath(path, recursive, destination, problem)) {
        const fs::path target = destination / file.Relative;
        jobs.push_back({file.Source, file.Relative.has_parent_path() ? target.lexically_normal() : target});
    }
    return jobs;
}

std::nullopt_t Refused(std::ostream& err, const std::string& message) {
    err << "tolvane-cli: " << message << '\n';
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<BatchFile>> CollectRunFiles(const ConvertOptions& options, const ConversionSettings& settings,
                                                     std::optional<ScopedTempFolder>& images, std::ostream& err) {
    // The checks of the conversion run, before anything is written.
    const fs::path destination = PathFromUtf8(options.Destination);
    std::vector<Job> jobs;
    for (const std::string& path : options.Paths) {
        std::string problem;
        std::vector<Job> found = CollectJobs(PathFromUtf8(path), destination, options.Recursive, problem);
        if (!problem.empty()) return Refused(err, problem);
        jobs.insert(jobs.end(), found.begin(), found.end());
    }
    std::vector<fs::path> sourceFolders;
    for (const Job& job : jobs) {
        const fs::path folder = job.Source.parent_path().empty() ? fs::path(".") : job.Source.parent_path();
        if (sourceFolders.empty() || sourceFolders.back() != folder) sourceFolders.push_back(folder);
    }
    const RunRefusal refusal = CheckRunInputs(settings, options.Destination, sourceFolders);
    if (refusal.Check != RunCheckNumber::Passed) {
        std::string detail;
        if (refusal.Check == RunCheckNumber::DestinationMissing) detail = " (" + options.Destination + ")";
        if (refusal.Check == RunCheckNumber::SameFolder) detail = " (the destination is a folder of the files to convert)";
        return Refused(err, refusal.Message + detail);
    }
    if (options.Recursive) {
        for (const std::string& path : options.Paths) {
            std::error_code error;
            if (fs::is_directory(PathFromUtf8(path), error) && IsInside(destination, PathFromUtf8(path)))
                return Refused(err, std::string(kSameFolderMessage) + " (the destination lies inside " + path + ")");
        }
    }
    for (size_t i = 0; i < jobs.size(); ++i) {
        const Job& job = jobs[i];
        // The files of one folder share the answer; asking the file system once per folder
        // keeps large folders quick.
        if (i > 0 && job.Source.parent_path() == jobs[i - 1].Source.parent_path() &&
            job.Destination.parent_path() == jobs[i - 1].Destination.parent_path())
            continue;
        if (IsSameFolder(job.Destination.parent_path(), job.Source.parent_path()))
            return Refused(err, std::string(kSameFolderMessage) + " (" + Utf8FromPath(job.Source) + ")");
    }

    // The image folder before anything is written: a run that cannot have one does not start.
    // A dry run extracts no images.
    if (!options.DryRun) {
        try {
            images.emplace();
        } catch (const std::exception& e) {
            return Refused(err, e.what());
        }
    }

    std::vector<BatchFile> files;
    files.reserve(jobs.size());
    for (const Job& job : jobs) {
        std::error_code error;
        if (!options.DryRun && job.Destination.parent_path() != destination)
            fs::create_directories(job.Destination.parent_path(), error);
        files.push_back({job.Source, job.Destination});
    }
    return files;
}

void ShowProgress(BatchOptions& batch, const std::vector<BatchFile>& files, bool progress, std::mutex& output,
                  std::ostream& err) {
    if (!progress) return;
    batch.Started = [&files, &output, &err](size_t index, size_t finished) {
        const std::lock_guard lock(output);
        err << "\r\033[K[" << finished + 1 << "/" << files.size() << "] " << Utf8FromPath(files[index].Source) << std::flush;
    };
}

int FinishRun(const BatchCounts& counts, bool stopped, bool json, const char* doneKey, const char* doneWords,
              std::ostream& out) {
    if (json) {
        Json summary{{doneKey, counts.Converted}, {"skipped", counts.Skipped}, {"failed", counts.Failed}};
        if (stopped) summary["stopped"] = counts.Stopped;
        out << Dump(summary) << '\n';
    } else {
        out << counts.Converted << ' ' << doneWords << ", " << counts.Skipped << " skipped, " << counts.Failed << " failed";
        if (stopped) out << ", " << counts.Stopped << " not started (stopped)";
        out << '\n';
    }
    if (stopped) return kStoppedExitStatus;
    return counts.Failed > 0 ? 1 : 0;
}

int RunConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    ConversionSettings settings;
    ResetConversionSettings(settings);
    if (options.SettingsFile) {
        std::optional<ConversionSettings> opened = OpenSettingsArgument(*options.SettingsFile, err);
        if (!opened) return 2;
        settings = std::move(*opened);
    } else {
        std::error_code error;
        if (const fs::path state = WindowStateFilePath(); fs::is_regular_file(state, error))
            LoadConversionSettings(settings, Utf8FromPath(state));
    }

    std::optional<ScopedTempFolder> images;
    const std::optional<std::vector<BatchFile>> collected = CollectRunFiles(options, settings, images, err);
    if (!collected) return 2;
    const std::vector<BatchFile>& files = *collected;

    ResolveRuleSources(settings);
    BatchOptions batch;
    batch.Jobs = options.Jobs;
    if (images) batch.ImageFolder = images->Path();
    batch.Stop = options.Stop;
    batch.DryRun = options.DryRun;
    std::mutex output;
    ShowProgress(batch, files, options.Progress, output, err);
    batch.Reported = [&](size_t index, const ConversionResult& result, size_t) {
        const std::lock_guard lock(output);
        const BatchFile& job = files[index];
        if (options.Progress) err << "\r\033[K" << std::flush;
        if (options.Json) {
            Json line;
            SetName(line, "source", Utf8FromPath(job.Source));
            SetName(line, "destination", Utf8FromPath(job.Destination));
            line["result"] = OutcomeName(result);
            line["reason"] = result.Outcome == ConversionOutcome::Converted ? "" : DescribeResult(result);
            if (!result.Backup.empty()) SetName(line, "backup", Utf8FromPath(result.Backup));
            if (result.Outcome == ConversionOutcome::Converted) {
                line["changedColors"] = result.ChangedColors;
                line["changedLineTypes"] = result.ChangedLineTypes;
                line["changedWidths"] = result.ChangedWidths;
                line["versionRead"] = result.VersionRead;
                line["versionWritten"] = result.VersionWritten;
            }
            out << Dump(line) << '\n';
        } else {
            out << OutcomeName(result) << ": " << Utf8FromPath(job.Source);
            if (result.Outcome == ConversionOutcome::Converted) out << " -> " << Utf8FromPath(job.Destination);
            out << " (" << DescribeResult(result) << ")\n";
        }
    };
    const BatchCounts counts = CountOutcomes(ConvertBatch(settings, files, batch));
    return FinishRun(counts, options.Stop && options.Stop->load(), options.Json,
                     options.DryRun ? "wouldConvert" : "converted", options.DryRun ? "would convert" : "converted", out);
}

}  // namespace tolvane::cli
