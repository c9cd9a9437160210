// The one platform file of the test support: POSIX resource limits.
#include "testsupport/file_size_limit.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace tolvane::testing {

#ifdef _WIN32

FileSizeLimit::FileSizeLimit(uint64_t) {}
FileSizeLimit::~FileSizeLimit() = default;
bool FileSizeLimit::Supported() { return false; }

#else

FileSizeLimit::FileSizeLimit(uint64_t bytes) {
    // Past the limit a write fails with EFBIG instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
    previous_ = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    if (!active_) return;
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(previous_);
    setrlimit(RLIMIT_FSIZE, &limit);
}

bool FileSizeLimit::Supported() { return true; }

#endif

}  // namespace tolvane::testing
