#include "cli/convert_command.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "cli/json_output.h"
#include "cli/temp_folder.h"
#include "conversion/app_paths.h"
#include "conversion/batch.h"
#include "conversion/conversion.h"
#include "formats/file_attributes.h"
#include "formats/file_probes.h"
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

// The files a PATH stands for, each with its destination: a file itself; the files directly
// in a folder; with recursion every file below it, under the same relative folders. Hidden
// files and folders are left out, as the file list leaves them out.
std::vector<Job> CollectJobs(const fs::path& path, const fs::path& destination, bool recursive, std::string& problem) {
    std::vector<Job> jobs;
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        jobs.push_back({path, destination / path.filename()});
        return jobs;
    }
    if (!fs::is_directory(path, error)) {
        problem = "no such file or folder: " + Utf8FromPath(path);
        return jobs;
    }
    if (!recursive) {
        for (const auto& entry : fs::directory_iterator(path, fs::directory_options::skip_permission_denied, error)) {
            if (IsListedFile(entry)) jobs.push_back({entry.path(), destination / entry.path().filename()});
        }
    } else {
        fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, error), end;
        for (; it != end; it.increment(error)) {
            if (error) break;
            const fs::directory_entry& entry = *it;
            if (entry.is_directory(error)) {
                if (IsHiddenEntry(entry.path()) || IsSameFolder(entry.path(), destination))
                    it.disable_recursion_pending();
                continue;
            }
            if (!IsListedFile(entry)) continue;
            const fs::path relative = entry.path().parent_path().lexically_relative(path);
            jobs.push_back({entry.path(), (destination / relative / entry.path().filename()).lexically_normal()});
        }
    }
    if (error) problem = "cannot list " + Utf8FromPath(path) + ": " + error.message();
    std::sort(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) { return a.Source < b.Source; });
    return jobs;
}

std::nullopt_t Refused(std::ostream& err, const std::string& message) {
    err << "tolvane-cli: " << message << '\n';
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<BatchFile>> CollectRunFiles(const ConvertOptions& options, const ConversionSettings& settings,
                                                     std::ostream& err) {
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

    std::vector<BatchFile> files;
    files.reserve(jobs.size());
    for (const Job& job : jobs) {
        std::error_code error;
        if (job.Destination.parent_path() != destination) fs::create_directories(job.Destination.parent_path(), error);
        files.push_back({job.Source, job.Destination});
    }
    return files;
}

bool LoadSettingsFile(const std::string& file, ConversionSettings& settings, std::ostream& err) {
    std::error_code error;
    if (!fs::is_regular_file(PathFromUtf8(file), error)) {
        Refused(err, "the settings file does not exist: " + file);
        return false;
    }
    for (const std::string& key : LoadConversionSettings(settings, file))
        err << "tolvane-cli: warning: the value of " << key << " in " << file << " is out of range and was not used\n";
    return true;
}

int RunConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    ConversionSettings settings;
    ResetConversionSettings(settings);
    if (options.SettingsFile) {
        if (!LoadSettingsFile(*options.SettingsFile, settings, err)) return 2;
    } else {
        std::error_code error;
        if (const fs::path state = WindowStateFilePath(); fs::is_regular_file(state, error))
            LoadConversionSettings(settings, Utf8FromPath(state));
    }

    const std::optional<std::vector<BatchFile>> planned = CollectRunFiles(options, settings, err);
    if (!planned) return 2;
    const std::vector<BatchFile>& files = *planned;

    ScopedTempFolder images;
    ResolveRuleSources(settings);
    BatchOptions batch;
    batch.Jobs = options.Jobs;
    batch.ImageFolder = images.Path();
    if (options.Progress) {
        batch.Started = [&](size_t index, size_t finished) {
            err << "\r\033[K[" << finished + 1 << "/" << files.size() << "] " << Utf8FromPath(files[index].Source) << std::flush;
        };
    }
    batch.Reported = [&](size_t index, const ConversionResult& result, size_t) {
        const BatchFile& job = files[index];
        if (options.Progress) err << "\r\033[K" << std::flush;
        if (options.Json) {
            Json line{{"source", Utf8FromPath(job.Source)},
                      {"destination", Utf8FromPath(job.Destination)},
                      {"result", OutcomeName(result.Outcome)},
                      {"reason", result.Outcome == ConversionOutcome::Converted ? "" : DescribeResult(result)}};
            if (result.Outcome == ConversionOutcome::Converted) {
                line["changedColors"] = result.ChangedColors;
                line["changedLineTypes"] = result.ChangedLineTypes;
                line["changedWidths"] = result.ChangedWidths;
                line["versionRead"] = result.VersionRead;
                line["versionWritten"] = result.VersionWritten;
            }
            out << Dump(line) << '\n';
        } else {
            out << OutcomeName(result.Outcome) << ": " << Utf8FromPath(job.Source);
            if (result.Outcome == ConversionOutcome::Converted) out << " -> " << Utf8FromPath(job.Destination);
            out << " (" << DescribeResult(result) << ")\n";
        }
    };
    const BatchCounts counts = CountOutcomes(ConvertBatch(settings, files, batch));
    const size_t converted = counts.Converted, skipped = counts.Skipped, failed = counts.Failed;
    if (options.Json)
        out << Dump(Json{{"converted", converted}, {"skipped", skipped}, {"failed", failed}}) << '\n';
    else
        out << converted << " converted, " << skipped << " skipped, " << failed << " failed\n";
    return failed > 0 ? 1 : 0;
}

}  // namespace tolvane::cli
