#include "frontend/path_text.h"

#include <cstdint>

#include "formats/utf8_path.h"
#include "settings/text_encoding.h"

namespace tolvane {

namespace fs = std::filesystem;

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        size_t length = 0;
        uint32_t codePoint = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07u;
        } else {
            return false;
        }
        if (i + length > bytes.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF.
        if ((length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000) || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string DisplayText(std::string_view bytes) {
    return IsValidUtf8(bytes) ? std::string(bytes) : ShiftJisToUtf8(bytes);
}

std::string DisplayPath(const fs::path& path) {
    return DisplayText(Utf8FromPath(path));
}

fs::path AsFolder(const fs::path& folder) {
    if (folder.empty()) return folder;
    fs::path::string_type text = folder.native();
    const auto separator = [](fs::path::value_type c) { return c == '/' || c == fs::path::preferred_separator; };
    while (text.size() > 1 && separator(text.back()) && separator(text[text.size() - 2])) text.pop_back();
    if (!separator(text.back())) text += fs::path::preferred_separator;
    return fs::path(text);
}

std::string FolderText(const fs::path& folder) {
    return DisplayPath(AsFolder(folder));
}

}  // namespace tolvane
