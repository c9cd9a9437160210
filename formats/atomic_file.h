// Outputs that are written whole or not at all. The bytes go into a temporary file in the
// destination's own folder, which is renamed over the destination only once it is complete:
// at every moment the destination name holds either the file that was there or the complete
// new one, also when the process is killed. A temporary file that is never committed is
// removed (one left by a killed process keeps its hidden temporary name).
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "formats/archive.h"

namespace tolvane {

// A file name that nothing else uses, beside path (in its folder): hidden, and short whatever
// the length of path's own name.
std::filesystem::path TemporaryNameBeside(const std::filesystem::path& path);

class AtomicFile {
public:
    // Creates the empty temporary file (new, never an existing one). Throws ArchiveError with
    // the system's reason when the folder cannot take it.
    explicit AtomicFile(std::filesystem::path destination);
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::filesystem::path& Destination() const { return destination_; }
    // Where the bytes are written; the caller closes it before Commit.
    const std::filesystem::path& TemporaryPath() const { return temporary_; }
    // Renames the complete temporary file over the destination. Throws ArchiveError with the
    // reason; the destination is then as it was.
    void Commit();

private:
    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    bool committed_ = false;
};

// The whole output of write, through a temporary file, committed when write returns and every
// byte reached the file; false with the reason otherwise, the destination left as it was.
bool WriteFileAtomically(const std::filesystem::path& path, const std::function<void(ByteSink&)>& write,
                         std::string* error);
bool WriteStreamAtomically(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write,
                           std::string* error);

}  // namespace tolvane
