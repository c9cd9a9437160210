// The one platform file for creating a file that must be new.
#include "formats/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include "formats/utf8_path.h"

namespace tolvane {

namespace {

namespace fs = std::filesystem;

std::string Reason(int error) { return std::generic_category().message(error); }

// Creates an empty file where none is; the error number otherwise. The permissions are those
// of any new file (the umask applies).
int CreateNewFile(const fs::path& path) {
#ifdef _WIN32
    const int fd = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return errno;
    _close(fd);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    ::close(fd);
#endif
    return 0;
}

}  // namespace

fs::path TemporaryNameBeside(const fs::path& path) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    char name[40];
    std::snprintf(name, sizeof name, ".tolvane-%016llx.tmp", static_cast<unsigned long long>(random()));
    return path.parent_path() / name;
}

AtomicFile::AtomicFile(fs::path destination) : destination_(std::move(destination)) {
    int error = EEXIST;
    for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
        temporary_ = TemporaryNameBeside(destination_);
        error = CreateNewFile(temporary_);
    }
    if (error != 0) {
        temporary_.clear();
        const fs::path folder = destination_.parent_path().empty() ? fs::path(".") : destination_.parent_path();
        throw ArchiveError("cannot create a file in " + Utf8FromPath(folder) + ": " + Reason(error));
    }
}

AtomicFile::~AtomicFile() {
    if (committed_ || temporary_.empty()) return;
    std::error_code ignored;
    fs::remove(temporary_, ignored);
}

void AtomicFile::Commit() {
    std::error_code error;
    fs::rename(temporary_, destination_, error);
    if (error) throw ArchiveError("cannot put the file in place of " + Utf8FromPath(destination_.filename()) + ": " + error.message());
    committed_ = true;
}

bool WriteFileAtomically(const fs::path& path, const std::function<void(ByteSink&)>& write, std::string* error) {
    try {
        AtomicFile output(path);
        {
            FileSink sink(output.TemporaryPath());
            write(sink);
            sink.Close();
        }
        output.Commit();
        return true;
    } catch (const std::exception& e) {
        if (error) *error = e.what();
    }
    return false;
}

bool WriteStreamAtomically(const fs::path& path, const std::function<void(std::ostream&)>& write, std::string* error) {
    try {
        AtomicFile output(path);
        {
            errno = 0;
            std::ofstream out(output.TemporaryPath(), std::ios::binary | std::ios::trunc);
            if (out) write(out);
            if (out) out.close();
            if (!out) {
                const int reason = errno;
                throw ArchiveError("cannot write the file" + (reason != 0 ? ": " + Reason(reason) : std::string()));
            }
        }
        output.Commit();
        return true;
    } catch (const std::exception& e) {
        if (error) *error = e.what();
    }
    return false;
}

}  // namespace tolvane
