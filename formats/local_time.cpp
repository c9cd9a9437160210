// The one platform file for calendar times.
#include "formats/local_time.h"

#include <chrono>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvane {

#ifdef _WIN32

// The C library of Windows converts no time before 1970, while the file system keeps times
// from 1601 on; the time-zone functions convert the whole range, with the zone's rules of the
// day.
bool LocalTimeOf(std::filesystem::file_time_type time, std::tm& local) {
    using namespace std::chrono;
    constexpr int64_t kTicksFrom1601To1970 = 116444736000000000;  // in 100 ns
    const auto system = floor<seconds>(file_clock::to_sys(time));
    const int64_t ticks = duration_cast<duration<int64_t, std::ratio<1, 10000000>>>(system.time_since_epoch()).count() +
                          kTicksFrom1601To1970;
    if (ticks < 0) return false;
    FILETIME fileTime{static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu),
                      static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32)};
    SYSTEMTIME utc{}, zoned{};
    if (!FileTimeToSystemTime(&fileTime, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &zoned)) return false;
    local = {};
    local.tm_year = zoned.wYear - 1900;
    local.tm_mon = zoned.wMonth - 1;
    local.tm_mday = zoned.wDay;
    local.tm_hour = zoned.wHour;
    local.tm_min = zoned.wMinute;
    local.tm_sec = zoned.wSecond;
    local.tm_wday = zoned.wDayOfWeek;
    local.tm_isdst = -1;
    return true;
}

#else

bool LocalTimeOf(std::filesystem::file_time_type time, std::tm& local) {
    const auto system = std::chrono::file_clock::to_sys(time);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(system));
    return localtime_r(&seconds, &local) != nullptr;
}

#endif

}  // namespace tolvane
