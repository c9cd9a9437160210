#include "conversion/backups.h"

#include <system_error>

#include "formats/utf8_path.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

// The name without its extension (from the last full stop of the name).
fs::path::string_type StemOf(const fs::path& destination) {
    fs::path::string_type name = destination.filename().native();
    const auto dot = name.rfind(fs::path::value_type('.'));
    if (dot != fs::path::string_type::npos) name.erase(dot);
    return name;
}

fs::path::string_type KeyOf(const fs::path& path) {
    fs::path::string_type key = path.lexically_normal().native();
    for (auto& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<fs::path::value_type>(c - 'a' + 'A');
    return key;
}

bool Exists(const fs::path& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

// Keeps the file at destination under backup, replacing what is there only once the new
// backup is complete. A hard link leaves the file at destination too, for the output to be
// renamed over it.
bool KeepAs(const fs::path& destination, const fs::path& backup, bool link, std::string& problem) {
    std::error_code error;
    if (link) {
        const fs::path linked = TemporaryNameBeside(backup);
        fs::create_hard_link(destination, linked, error);
        if (!error) {
            fs::rename(linked, backup, error);
            if (!error) return true;
            std::error_code ignored;
            fs::remove(linked, ignored);
        }
    }
    // No hard links here: the file is moved.
    error.clear();
    fs::rename(destination, backup, error);
    if (!error) return true;
    problem = "the file already at the destination could not be renamed to " + Utf8FromPath(backup.filename()) + ": " +
              error.message();
    return false;
}

// Outputs of one run at the same destination: on Windows names differ in letter case alone
// on the same file; elsewhere such names are two files.
fs::path::string_type OutputKeyOf(const fs::path& path) {
#ifdef _WIN32
    return KeyOf(path);
#else
    return path.lexically_normal().native();
#endif
}

constexpr const char* kFolderInTheWay = "a folder of that name is at the destination";

fs::path Backup(const fs::path& destination, RunBackups* run, bool link, std::string& problem) {
    std::error_code ignored;
    const fs::file_status status = fs::symlink_status(destination, ignored);
    if (!fs::exists(status)) return {};
    if (fs::is_directory(status)) {
        problem = kFolderInTheWay;
        return {};
    }
    const fs::path backup = run ? run->Claim(destination) : BackupPathOf(destination);
    return KeepAs(destination, backup, link, problem) ? backup : fs::path();
}

}  // namespace

fs::path BackupPathOf(const fs::path& destination) {
    return destination.parent_path() / (StemOf(destination) + fs::path(".BAK").native());
}

fs::path NumberedBackupPathOf(const fs::path& destination, unsigned number) {
    return destination.parent_path() / (StemOf(destination) + fs::path("." + std::to_string(number) + ".BAK").native());
}

fs::path RunBackups::Claim(const fs::path& destination) {
    const std::lock_guard lock(mutex_);
    fs::path backup = BackupPathOf(destination);
    // NAME.BAK on disk is replaced; a numbered name on disk is another run's and is passed.
    for (unsigned number = 1; taken_.contains(KeyOf(backup)) || (number > 1 && Exists(backup)); ++number)
        backup = NumberedBackupPathOf(destination, number);
    taken_.insert(KeyOf(backup));
    return backup;
}

bool RunBackups::RecordOutput(const fs::path& destination) {
    const std::lock_guard lock(mutex_);
    return !outputs_.insert(OutputKeyOf(destination)).second;
}

fs::path BackupDestination(const fs::path& destination, RunBackups* run, std::string* problem) {
    std::string reason;
    fs::path backup = Backup(destination, run, false, reason);
    if (problem) *problem = reason;
    return backup;
}

ReplaceResult ReplaceKeepingBackup(AtomicFile& output, RunBackups* run) {
    ReplaceResult result;
    result.Backup = Backup(output.Destination(), run, true, result.Problem);
    if (!result.Problem.empty()) {
        result.InTheWay = true;
        return result;
    }
    try {
        output.Commit();
    } catch (const std::exception& e) {
        result.Problem = e.what();
    }
    return result;
}

ReplaceResult PlanReplacement(const fs::path& destination, RunBackups* run) {
    ReplaceResult result;
    std::error_code ignored;
    const fs::file_status status = fs::symlink_status(destination, ignored);
    if (fs::is_directory(status)) {
        result.Problem = kFolderInTheWay;
        result.InTheWay = true;
        return result;
    }
    const bool written = run && run->RecordOutput(destination);
    if (written || fs::exists(status)) result.Backup = run ? run->Claim(destination) : BackupPathOf(destination);
    return result;
}

}  // namespace tolvane
