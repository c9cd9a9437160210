// The one place that talks to the platform's code-page converter: glibc iconv here,
// MultiByteToWideChar / WideCharToMultiByte on Windows.
#include "settings/text_encoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace tolvane {

namespace {

#ifdef _WIN32

std::string Convert(std::string_view in, UINT from, UINT to, const char* fallback) {
    if (in.empty()) return {};
    const int wideLength = MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), wide.data(), wideLength);
    const int outLength = WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(outLength), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLength, out.data(), outLength, to == CP_UTF8 ? nullptr : fallback, nullptr);
    return out;
}

#else

// Converts with iconv; a byte sequence that cannot be converted is replaced and skipped, one
// input byte at a time (one character for UTF-8 input).
std::string Convert(std::string_view in, const char* from, const char* to, std::string_view replacement,
                    bool skipWholeUtf8Character) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    out.reserve(in.size() * 3 / 2 + 8);
    std::string input(in);
    char* inPtr = input.data();
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (result != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (a sequence cut short at the end): replace and move on.
        out += replacement;
        size_t skip = 1;
        if (skipWholeUtf8Character) {
            const auto lead = static_cast<unsigned char>(*inPtr);
            skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            if (skip > inLeft) skip = inLeft;
        }
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

#endif

}  // namespace

std::string ShiftJisToUtf8(std::string_view shiftJis) {
#ifdef _WIN32
    return Convert(shiftJis, 932, CP_UTF8, nullptr);
#else
    return Convert(shiftJis, "CP932", "UTF-8", "\xEF\xBF\xBD", false);
#endif
}

std::string Utf8ToShiftJis(std::string_view utf8) {
#ifdef _WIN32
    return Convert(utf8, CP_UTF8, 932, "?");
#else
    return Convert(utf8, "UTF-8", "CP932", "?", true);
#endif
}

std::string ArchiveStringToUtf8(const ArchiveString& text) {
    return text.IsWide() ? WideToUtf8(text.Units()) : ShiftJisToUtf8(text.Stored());
}

}  // namespace tolvane
