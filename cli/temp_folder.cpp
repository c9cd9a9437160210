#include "cli/temp_folder.h"

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#include "formats/utf8_path.h"

namespace tolvane {

namespace {

namespace fs = std::filesystem;

fs::path FreshName(const fs::path& base) {
    std::random_device random;
    return base / ("tolvane-" + std::to_string(random()) + "-" + std::to_string(random()));
}

}  // namespace

ScopedTempFolder::ScopedTempFolder(Creation creation) {
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error) {
        const std::string reason = error.message();
        const char* named = std::getenv("TMPDIR");
        if (creation == Creation::Now || !named || !*named)
            throw std::runtime_error("cannot use the temporary folder" +
                                     (named && *named ? " " + std::string(named) : std::string()) + ": " + reason);
        // Where the first image would go, so that the reader's error names the folder.
        base = PathFromUtf8(named);
    }
    if (creation == Creation::WhenNeeded) {
        for (int attempt = 0; attempt < 100 && (path_.empty() || fs::exists(fs::symlink_status(path_, error))); ++attempt)
            path_ = FreshName(base);
        return;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = FreshName(base);
        error.clear();
        if (fs::create_directory(candidate, error)) {
            fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, error);
            path_ = candidate;
            return;
        }
        if (!error) error = std::make_error_code(std::errc::file_exists);
        if (error != std::errc::file_exists) break;
    }
    throw std::runtime_error("cannot create a temporary folder in " + Utf8FromPath(base) + ": " + error.message());
}

ScopedTempFolder::~ScopedTempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace tolvane
