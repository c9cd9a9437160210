// Text as the drawing files and the program's own files hold it: Shift-JIS byte strings, the
// wide (UTF-16) strings that current versions of the CAD program write, and the few character
// rules that the program applies to them. Every such rule lives here once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace tolvane {

// The first byte of a Shift-JIS double-byte character as the CAD program walks its texts:
// 0x80..0x9F and 0xE0..0xFD. Code page 932 assigns only 0x81..0x9F and 0xE0..0xFC; the wider
// range differs on bytes that no valid text holds, and it is the one the program's own
// clean-ups use, so texts that hold such bytes are cleaned as it would clean them.
constexpr bool IsShiftJisLeadByte(uint8_t b) { return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD); }
// The lead bytes of code page 932 itself, for the rules the program takes from Windows
// functions (names in profile files, the sort keys of the file list, code-page conversion):
// those functions know only the assigned range.
constexpr bool IsCodePage932LeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
enum class LeadBytes { Program, CodePage932 };

// Upper-casing of ASCII letters only, as the program compares extensions, keys and names.
// Two variants, because a byte means different things in the two encodings: in UTF-8 (file
// names on Linux) no byte of a longer character is an ASCII letter, so every letter is
// upper-cased; in Shift-JIS the second byte of a double-byte character can be one ("ピ" is
// 0x83 0x73, "s"), so the Shift-JIS variant leaves double-byte characters whole.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
std::string AsciiUpperCase(std::string_view text);
std::string ShiftJisAsciiUpperCase(std::string_view shiftJis, LeadBytes leadBytes = LeadBytes::Program);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Drops single-byte control characters (below 0x20), keeping double-byte characters whole
// even when their second byte is below 0x20; a lead byte in the last position stays.
std::string StripShiftJisControlChars(std::string_view shiftJis);

// A text of a drawing that begins with this refers to an embedded image: "^@BM%temp%name,...".
inline constexpr std::string_view kImageTextPrefix = "^@BM%temp%";
// Figure files store the same reference without "%temp%": "^@BMname,...".
inline constexpr std::string_view kImageTextMarker = "^@BM";

// How an archive stores a string: Shift-JIS bytes, or UTF-16 code units (the wide form).
enum class StringForm : uint8_t { Bytes, Wide };

// A string of a drawing in the form its file stores it. Byte strings hold Shift-JIS bytes;
// wide strings hold UTF-16 code units, kept as stored (little-endian pairs), so that every
// string, even one with a lone surrogate, is written back exactly as it was read. Rules that
// look at characters walk code units: a byte, or a UTF-16 unit.
//
// An empty string made without a form (a name the program adds to a drawing, such as the SXF
// names of a raised version) has no form of its own and is written in the drawing's form; an
// empty string read from a file, or made with a form, keeps its own.
class ArchiveString {
public:
    ArchiveString() = default;
    // A byte string (Shift-JIS); an empty one has no form of its own.
    ArchiveString(std::string bytes) : stored_(std::move(bytes)), ownForm_(!stored_.empty()) {}
    ArchiveString(const char* bytes) : ArchiveString(std::string(bytes)) {}
    // A wide string of these code units.
    static ArchiveString Wide(std::u16string_view units);
    // A string of the given form from its stored bytes (for wide strings, an even number of
    // bytes: the code units little-endian).
    static ArchiveString FromStored(StringForm form, std::string stored);
    // An empty string of the given form.
    static ArchiveString Empty(StringForm form);

    StringForm Form() const { return form_; }
    bool HasOwnForm() const { return ownForm_ || !stored_.empty(); }
    bool IsWide() const { return form_ == StringForm::Wide; }
    bool empty() const { return stored_.empty(); }
    // The number of code units: bytes, or UTF-16 units.
    size_t Length() const { return IsWide() ? stored_.size() / 2 : stored_.size(); }
    char16_t UnitAt(size_t i) const {
        if (!IsWide()) return static_cast<uint8_t>(stored_[i]);
        return static_cast<char16_t>(static_cast<uint8_t>(stored_[2 * i]) |
                                     static_cast<uint8_t>(stored_[2 * i + 1]) << 8);
    }
    // The bytes as the file stores them after the length.
    const std::string& Stored() const { return stored_; }
    // The code units of a wide string; for a byte string, each byte as a unit.
    std::u16string Units() const;

    // Appends one code unit; a byte string takes its low byte.
    void Append(char16_t unit);
    // True when the string begins with these ASCII characters, compared unit by unit.
    bool StartsWith(std::string_view ascii) const;
    // Units [from, from + count) in the same form; count is clipped to the end.
    ArchiveString Substring(size_t from, size_t count = std::string::npos) const;
    // The first unit at or after from that equals the ASCII character, or npos.
    size_t Find(char ascii, size_t from = 0) const;

    // Strings are equal by their form and units, whether or not the form was their own.
    friend bool operator==(const ArchiveString& a, const ArchiveString& b) {
        return a.form_ == b.form_ && a.stored_ == b.stored_;
    }

private:
    std::string stored_;
    StringForm form_ = StringForm::Bytes;
    bool ownForm_ = false;
};

// For test failures: the form and the text, wide strings in UTF-8, bytes as they are.
void PrintTo(const ArchiveString& text, std::ostream* out);

// True when text begins with prefix, ASCII letters compared without case, unit by unit.
bool StartsWithIgnoringAsciiCase(const ArchiveString& text, const ArchiveString& prefix);

// Drops control characters: for byte strings as StripShiftJisControlChars, for wide strings every
// unit below 0x20.
ArchiveString StripControlChars(const ArchiveString& text);

// UTF-16 to UTF-8 and back, for wide strings at the display boundary and in tests. A lone
// surrogate or an invalid UTF-8 sequence becomes U+FFFD.
std::string WideToUtf8(std::u16string_view units);
std::u16string Utf8ToWide(std::string_view utf8);

}  // namespace tolvane
