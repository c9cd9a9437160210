// The one place that talks to the platform's code-page converter: glibc iconv here,
// MultiByteToWideChar / WideCharToMultiByte on Windows.
#include "settings/text_encoding.h"
#include "formats/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace tolvane {

namespace {

#ifdef _WIN32

constexpr UINT kShiftJis = 932;

std::wstring Widen(std::string_view in, UINT codePage, DWORD flags) {
    if (in.empty()) return {};
    const int length = MultiByteToWideChar(codePage, flags, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, in.data(), static_cast<int>(in.size()), wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view wide, UINT codePage, const char* fallback) {
    if (wide.empty()) return {};
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, fallback, nullptr);
    if (length <= 0) return {};
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length, fallback, nullptr);
    return out;
}

// The code page functions map an invalid Shift-JIS byte to a look-alike character; these
// texts show U+FFFD for it and go on with the next byte, as the Linux build does.
std::wstring ShiftJisToWide(std::string_view in) {
    std::wstring wide = Widen(in, kShiftJis, MB_ERR_INVALID_CHARS);
    if (!wide.empty() || in.empty()) return wide;
    for (size_t i = 0; i < in.size();) {
        const auto lead = static_cast<unsigned char>(in[i]);
        const bool doubleByte = IsCodePage932LeadByte(lead);
        const size_t length = doubleByte && i + 1 < in.size() ? 2 : 1;
        const std::wstring one = Widen(in.substr(i, length), kShiftJis, MB_ERR_INVALID_CHARS);
        if (one.empty() || (doubleByte && length == 1)) {
            wide += L'\xFFFD';
            i += 1;
        } else {
            wide += one;
            i += length;
        }
    }
    return wide;
}

#else

// Opening a converter costs far more than converting one short text, and a drawing holds many
// texts: each thread keeps the converters it has used open until it ends.
class Converter {
public:
    Converter(const char* from, const char* to) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (Valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return cd_; }

private:
    iconv_t cd_;
};

// Converts with iconv; a byte sequence that cannot be converted is replaced and skipped, one
// input byte at a time (one character for UTF-8 input).
std::string Convert(std::string_view in, const Converter& converter, std::string_view replacement,
                    bool skipWholeUtf8Character) {
    if (!converter.Valid()) return std::string(in);
    iconv_t cd = converter.Get();
    // A conversion cut short by an error leaves no state behind for the next text.
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
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
    return out;
}

#endif

}  // namespace

std::string ShiftJisToUtf8(std::string_view shiftJis) {
#ifdef _WIN32
    return Narrow(ShiftJisToWide(shiftJis), CP_UTF8, nullptr);
#else
    thread_local const Converter fromShiftJis("CP932", "UTF-8");
    return Convert(shiftJis, fromShiftJis, "\xEF\xBF\xBD", false);
#endif
}

std::string Utf8ToShiftJis(std::string_view utf8) {
#ifdef _WIN32
    // A character outside the basic plane is one "?", not one for each of its two halves.
    std::wstring wide = Widen(utf8, CP_UTF8, 0);
    std::wstring single;
    single.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        const bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                          wide[i + 1] <= 0xDFFF;
        single += pair ? L'?' : wide[i];
        if (pair) ++i;
    }
    return Narrow(single, kShiftJis, "?");
#else
    thread_local const Converter toShiftJis("UTF-8", "CP932");
    return Convert(utf8, toShiftJis, "?", true);
#endif
}

std::string ArchiveStringToUtf8(const ArchiveString& text) {
    return text.IsWide() ? WideToUtf8(text.Units()) : ShiftJisToUtf8(text.Stored());
}

}  // namespace tolvane
