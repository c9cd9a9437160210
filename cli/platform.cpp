// The platform calls of the command line.
#include "cli/platform.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace tolvane::cli {

namespace {

[[maybe_unused]] constexpr unsigned kUtf8CodePage = 65001;

std::atomic<bool> stopRequested = false;
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler may only touch a lock-free atomic");

void RequestStop(int) { stopRequested = true; }

}  // namespace

const std::atomic<bool>& CatchStopSignals() {
#ifdef SIGBREAK
    const int signals[] = {SIGINT, SIGTERM, SIGBREAK};
#else
    const int signals[] = {SIGINT, SIGTERM};
#endif
    // A signal that whoever started the program ignores (the shell, for a background job) stays
    // ignored.
    for (const int s : signals)
        if (std::signal(s, RequestStop) == SIG_IGN) std::signal(s, SIG_IGN);
    return stopRequested;
}

bool StandardErrorIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

void IgnoreFileSizeSignal() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

#ifdef _WIN32

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        const int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(length > 0 ? static_cast<size_t>(length) : 1u, '\0');
        if (length > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), length, nullptr, nullptr);
        text.pop_back();  // the terminating zero
        arguments.push_back(std::move(text));
    }
    LocalFree(wide);
    return arguments;
}

void UseUtf8Console() {
    SetConsoleOutputCP(kUtf8CodePage);
    SetConsoleCP(kUtf8CodePage);
}

unsigned ConsoleOutputCodePage() { return GetConsoleOutputCP(); }

#else

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void UseUtf8Console() {}

unsigned ConsoleOutputCodePage() { return kUtf8CodePage; }

#endif

}  // namespace tolvane::cli
