#include "formats/local_time.h"

#include <chrono>

namespace tolvane {

bool LocalTimeOf(std::filesystem::file_time_type time, std::tm& local) {
    const auto system = std::chrono::file_clock::to_sys(time);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(system));
#ifdef _WIN32
    return localtime_s(&local, &seconds) == 0;
#else
    return localtime_r(&seconds, &local) != nullptr;
#endif
}

}  // namespace tolvane
