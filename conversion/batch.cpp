#include "conversion/batch.h"

#include <algorithm>
#include <exception>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "formats/utf8_path.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

// Files that must be converted one after the other, in selection order.
using Chain = std::vector<size_t>;

// Chains of the files sharing a backup path. Letter case is folded (ASCII) because a
// destination on a case-blind file system turns A.JWW and a.jws into one backup.
std::vector<Chain> ChainsOf(const std::vector<BatchFile>& files) {
    std::vector<Chain> chains;
    std::map<fs::path::string_type, size_t> chainOfKey;
    for (size_t i = 0; i < files.size(); ++i) {
        fs::path::string_type key = BackupPathOf(files[i].Destination.lexically_normal()).native();
        for (auto& c : key)
            if (c >= 'a' && c <= 'z') c = static_cast<fs::path::value_type>(c - 'a' + 'A');
        const auto [at, added] = chainOfKey.emplace(std::move(key), chains.size());
        if (added) chains.emplace_back();
        chains[at->second].push_back(i);
    }
    return chains;
}

class Walk {
public:
    Walk(const std::vector<BatchFile>& files, const BatchOptions& options)
        : files_(files), options_(options), results_(files.size()), done_(files.size(), false) {}

    std::vector<ConversionResult> Run(const ConversionSettings& settings, unsigned jobs) {
        chains_ = ChainsOf(files_);
        jobs = std::max(1u, std::min<unsigned>(jobs, static_cast<unsigned>(chains_.size())));
        std::vector<fs::path> folders;
        if (jobs == 1) {
            // One worker takes the files as they were selected, as a serial run always did.
            chains_.assign(1, Chain(files_.size()));
            for (size_t i = 0; i < files_.size(); ++i) chains_[0][i] = i;
            folders.push_back(options_.ImageFolder);
        } else {
            for (unsigned n = 1; n <= jobs; ++n) folders.push_back(options_.ImageFolder / ("worker-" + std::to_string(n)));
        }
        // A dry run reads without extracting images: it makes and uses no folder.
        if (options_.DryRun) folders.assign(folders.size(), fs::path());
        std::error_code ignored;
        for (const fs::path& folder : folders)
            if (!folder.empty()) fs::create_directories(folder, ignored);

        if (jobs == 1) {
            Work(settings, folders[0]);
        } else {
            std::vector<std::thread> workers;
            workers.reserve(jobs);
            try {
                for (const fs::path& folder : folders) workers.emplace_back([&, folder] { Work(settings, folder); });
            } catch (const std::system_error&) {
                // No more threads to be had: the workers already started share the files.
                if (workers.empty()) Work(settings, folders[0]);
            }
            for (std::thread& worker : workers) worker.join();
            for (const fs::path& folder : folders)
                if (!folder.empty() && fs::is_empty(folder, ignored)) fs::remove(folder, ignored);
        }
        return std::move(results_);
    }

private:
    void Work(const ConversionSettings& settings, const fs::path& imageFolder) {
        ConversionContext context{settings, imageFolder, {}, &backups_, {}, options_.DryRun};
        for (;;) {
            size_t chain;
            {
                const std::lock_guard lock(mutex_);
                if (nextChain_ == chains_.size()) return;
                chain = nextChain_++;
            }
            for (const size_t index : chains_[chain]) Convert(context, index);
        }
    }

    void Convert(ConversionContext& context, size_t index) {
        ConversionResult result;
        if (options_.Stop && options_.Stop->load()) {
            result.Outcome = ConversionOutcome::Stopped;
            result.Problem = ConversionProblem::Stopped;
            result.Reason = "not converted: the run was stopped before this file";
        } else {
            // Told when the file is read, so that files skipped by their probe are not shown.
            context.Progress = [this, index](const fs::path&, const fs::path&) {
                if (!options_.Started) return;
                size_t finished;
                {
                    const std::lock_guard lock(mutex_);
                    finished = finished_;
                }
                options_.Started(index, finished);
            };
            const BatchFile& file = files_[index];
            try {
                result = options_.Operation ? options_.Operation(context, file.Source, file.Destination)
                                            : ConvertSelectedFile(context, file.Source, file.Destination);
            } catch (const std::exception& e) {
                // Nothing of this file is kept in the worker; the next file starts clean.
                context.Drawing.Release();
                result = {};
                result.Outcome = ConversionOutcome::FailedRead;
                result.Problem = ConversionProblem::Unexpected;
                result.Reason = e.what();
            }
        }
        const std::lock_guard lock(mutex_);
        results_[index] = std::move(result);
        done_[index] = true;
        ++finished_;
        for (; nextReport_ < files_.size() && done_[nextReport_]; ++nextReport_)
            if (options_.Reported) options_.Reported(nextReport_, results_[nextReport_], finished_);
    }

    const std::vector<BatchFile>& files_;
    const BatchOptions& options_;
    std::vector<Chain> chains_;
    RunBackups backups_;
    std::vector<ConversionResult> results_;
    std::vector<bool> done_;
    std::mutex mutex_;
    size_t nextChain_ = 0;
    size_t nextReport_ = 0;
    size_t finished_ = 0;
};

}  // namespace

unsigned DefaultJobs() {
    return std::max(1u, std::thread::hardware_concurrency());
}

std::vector<ConversionResult> ConvertBatch(const ConversionSettings& settings, const std::vector<BatchFile>& files,
                                           const BatchOptions& options) {
    if (files.empty()) return {};
    Walk walk(files, options);
    return walk.Run(settings, options.Jobs == 0 ? DefaultJobs() : options.Jobs);
}

BatchCounts CountOutcomes(const std::vector<ConversionResult>& results) {
    BatchCounts counts;
    for (const ConversionResult& r : results) {
        switch (r.Outcome) {
            case ConversionOutcome::Converted: ++counts.Converted; break;
            case ConversionOutcome::SkippedNotADrawing: ++counts.Skipped; break;
            case ConversionOutcome::FailedRead:
            case ConversionOutcome::FailedWrite: ++counts.Failed; break;
            case ConversionOutcome::Stopped: ++counts.Stopped; break;
        }
    }
    return counts;
}

const char* OutcomeName(const ConversionResult& result) {
    if (result.DryRun && result.Outcome == ConversionOutcome::Converted) return "would convert";
    if (result.DryRun && result.Outcome == ConversionOutcome::FailedWrite) return "would fail";
    return OutcomeName(result.Outcome);
}

const char* OutcomeName(ConversionOutcome outcome) {
    switch (outcome) {
        case ConversionOutcome::Converted: return "converted";
        case ConversionOutcome::SkippedNotADrawing: return "skipped";
        case ConversionOutcome::FailedRead:
        case ConversionOutcome::FailedWrite: return "failed";
        case ConversionOutcome::Stopped: return "stopped";
    }
    return "failed";
}

namespace {

std::string KeptAs(const ConversionResult& r) {
    if (r.Backup.empty()) return {};
    return (r.DryRun ? "; the file there would be kept as " : "; the file that was there kept as ") +
           Utf8FromPath(r.Backup.filename());
}

}  // namespace

std::string DescribeResult(const ConversionResult& r) {
    switch (r.Outcome) {
        case ConversionOutcome::Converted: {
            std::string text = std::to_string(r.ChangedColors) + " colours, " + std::to_string(r.ChangedLineTypes) +
                               " line types, " + std::to_string(r.ChangedWidths) + " widths" +
                               (r.DryRun ? " would change" : " changed");
            if (r.VersionWritten != r.VersionRead)
                text += "; version " + std::to_string(r.VersionRead) + (r.DryRun ? " would be raised to " : " raised to ") +
                        std::to_string(r.VersionWritten);
            return text + KeptAs(r);
        }
        case ConversionOutcome::SkippedNotADrawing:
        case ConversionOutcome::Stopped: return r.Reason;
        case ConversionOutcome::FailedRead: return "could not be read: " + r.Reason;
        case ConversionOutcome::FailedWrite: return "could not be written: " + r.Reason + KeptAs(r);
    }
    return r.Reason;
}

}  // namespace tolvane
