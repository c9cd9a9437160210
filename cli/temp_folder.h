// A private folder under the system's temporary folder, removed with everything in it when
// the object goes out of scope. Each command-line run extracts embedded images into one of
// its own, so that it never meets the desktop program's or another run's images.
#pragma once

#include <filesystem>

namespace tolvane {

class ScopedTempFolder {
public:
    ScopedTempFolder();
    ~ScopedTempFolder();
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace tolvane
