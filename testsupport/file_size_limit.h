// Makes writing beyond a number of bytes fail for this process while the object lives, as a
// full disk would. Only where the system has file-size limits.
#pragma once

#include <cstdint>

namespace tolvane::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    static bool Supported();

private:
    uint64_t previous_ = 0;
    bool active_ = false;
};

}  // namespace tolvane::testing
