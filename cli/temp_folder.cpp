#include "cli/temp_folder.h"

#include <random>
#include <string>
#include <system_error>

namespace tolvane {

ScopedTempFolder::ScopedTempFolder() {
    namespace fs = std::filesystem;
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("tolvane-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = candidate;
            return;
        }
    }
    throw fs::filesystem_error("cannot create a temporary folder", base, std::make_error_code(std::errc::file_exists));
}

ScopedTempFolder::~ScopedTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace tolvane
