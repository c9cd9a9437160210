// A private folder under the system's temporary folder, removed with everything in it when
// the object goes out of scope. Each command-line run extracts embedded images into one of
// its own, so that it never meets the desktop program's or another run's images. Only its
// owner can enter it.
#pragma once

#include <filesystem>

namespace tolvane {

class ScopedTempFolder {
public:
    enum class Creation {
        Now,        // created by the constructor, which throws std::runtime_error with the reason
        WhenNeeded  // a fresh name only; the drawing reader creates the folder for the first image
    };
    explicit ScopedTempFolder(Creation creation = Creation::Now);
    ~ScopedTempFolder();
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace tolvane
