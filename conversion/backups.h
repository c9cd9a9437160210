// The backups of files that an output replaces, and the replacement itself.
//
// The file at a destination is kept as NAME.BAK (the destination's name with its extension
// replaced by ".BAK"), as users and the CAD program expect. Within one run a backup never
// replaces one that the same run made: the later one takes the next free numbered name,
// NAME.1.BAK, NAME.2.BAK, ... A NAME.BAK left by an earlier run is replaced; a numbered one
// never is.
#pragma once

#include <filesystem>
#include <mutex>
#include <set>
#include <string>

#include "formats/atomic_file.h"

namespace tolvane {

// The destination path with its extension replaced by ".BAK" (appended when there is none).
std::filesystem::path BackupPathOf(const std::filesystem::path& destination);
// NAME.n.BAK for n >= 1: the destination's name without its extension, ".n.BAK".
std::filesystem::path NumberedBackupPathOf(const std::filesystem::path& destination, unsigned number);

// The backups one run has made; shared by the run's workers. Names are compared with ASCII
// letters folded, because a destination on a case-blind file system makes A.BAK and a.BAK
// one file.
class RunBackups {
public:
    // The path under which the file now at destination is to be kept, taken for this run:
    // NAME.BAK unless the run already made it, else the first numbered name that is neither
    // on disk nor taken.
    std::filesystem::path Claim(const std::filesystem::path& destination);
    // For a dry run, which writes nothing: records an output the run would have written at
    // destination, and answers whether it had already recorded one there.
    bool RecordOutput(const std::filesystem::path& destination);

private:
    std::mutex mutex_;
    std::set<std::filesystem::path::string_type> taken_;
    std::set<std::filesystem::path::string_type> outputs_;
};

// Moves the file at destination to its backup path (the run's next one when run is given),
// replacing an older file there, and answers that path. Answers an empty path when no file
// is there, or when it could not be moved (problem then says why); a folder of the
// destination's name is left alone.
std::filesystem::path BackupDestination(const std::filesystem::path& destination, RunBackups* run = nullptr,
                                        std::string* problem = nullptr);

struct ReplaceResult {
    // Where the file that was at the destination went; empty when there was none.
    std::filesystem::path Backup;
    // Why the output is not in place; empty when it is.
    std::string Problem;
    // The file or folder at the destination could not be kept, so nothing was replaced.
    bool InTheWay = false;
};

// Puts a complete output in place of the file at its destination, which is kept as a backup
// first: by a hard link where the file system has them, so that the destination name holds
// the old file until the new one is renamed over it; else (FAT, some network shares) by a
// rename. A folder of the destination's name is never replaced.
ReplaceResult ReplaceKeepingBackup(AtomicFile& output, RunBackups* run = nullptr);

// What ReplaceKeepingBackup would do for an output at destination, touching nothing on disk:
// the backup it would make, or why nothing could be replaced. An output that the run would
// already have written there counts as a file there; this output is recorded as written.
ReplaceResult PlanReplacement(const std::filesystem::path& destination, RunBackups* run = nullptr);

}  // namespace tolvane
