// JSON lines of the command line. File names on Linux are bytes and need not be UTF-8, so
// anything that is not valid UTF-8 is shown replaced rather than failing the output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace tolvane::cli {

using Json = nlohmann::ordered_json;

inline std::string Dump(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or code points
// above U+10FFFF.
inline bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<uint8_t>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        // The sequence length, the smallest code point it may carry, and the lead byte's bits.
        const size_t length = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0) return false;
        const uint32_t lowest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        uint32_t point = c & (0x7Fu >> length);
        if (i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            point = point << 6 | (next & 0x3Fu);
        }
        if (point < lowest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// A file name under key. A name that is not valid UTF-8 (a Shift-JIS name from an archive
// made on Windows) shows there with U+FFFD for its bad bytes, and key + "Hex" carries its
// bytes in hexadecimal, so that a script can still find the file.
inline void SetName(Json& j, const std::string& key, std::string_view name) {
    j[key] = std::string(name);
    if (IsValidUtf8(name)) return;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : name) {
        hex += kDigits[static_cast<uint8_t>(c) >> 4];
        hex += kDigits[static_cast<uint8_t>(c) & 0xF];
    }
    j[key + "Hex"] = hex;
}

}  // namespace tolvane::cli
