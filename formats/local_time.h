// The one thing about file times that the standard library cannot give portably: the local
// calendar time of an instant.
#pragma once

#include <ctime>
#include <filesystem>

namespace tolvane {

// The local broken-down time of a file time, to the second (fractions dropped toward the
// past). False when the time is outside what the system can convert.
bool LocalTimeOf(std::filesystem::file_time_type time, std::tm& local);

}  // namespace tolvane
