// JSON lines of the command line. File names on Linux are bytes and need not be UTF-8, so
// anything that is not valid UTF-8 is shown replaced rather than failing the output.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace tolvane::cli {

using Json = nlohmann::ordered_json;

inline std::string Dump(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace tolvane::cli
