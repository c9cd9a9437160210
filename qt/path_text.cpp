#include "qt/path_text.h"

#include <QFile>

#include "settings/text_encoding.h"

namespace tolvane {

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

QString DisplayText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return ShiftJisText(bytes);
}

QString ShiftJisText(std::string_view shiftJis) {
    const std::string utf8 = ShiftJisToUtf8(shiftJis);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string PathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty()) return folder;
    while (folder.size() > 1 && folder.back() == '/' && folder[folder.size() - 2] == '/') folder.pop_back();
    if (folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace tolvane
