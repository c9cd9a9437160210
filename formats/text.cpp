#include "formats/text.h"

#include <algorithm>
#include <ostream>

namespace tolvane {

std::string AsciiUpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = AsciiUpper(c);
    return upper;
}

std::string ShiftJisAsciiUpperCase(std::string_view shiftJis, LeadBytes leadBytes) {
    std::string upper(shiftJis);
    for (size_t i = 0; i < upper.size(); ++i) {
        const auto b = static_cast<uint8_t>(upper[i]);
        if (leadBytes == LeadBytes::Program ? IsShiftJisLeadByte(b) : IsCodePage932LeadByte(b)) ++i;
        else upper[i] = AsciiUpper(upper[i]);
    }
    return upper;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

std::string StripShiftJisControlChars(std::string_view shiftJis) {
    std::string out;
    out.reserve(shiftJis.size());
    for (size_t i = 0; i < shiftJis.size(); ++i) {
        const auto b = static_cast<uint8_t>(shiftJis[i]);
        if (IsShiftJisLeadByte(b)) {
            out += shiftJis[i];
            if (i + 1 < shiftJis.size()) out += shiftJis[++i];
        } else if (b >= 0x20) {
            out += shiftJis[i];
        }
    }
    return out;
}

ArchiveString ArchiveString::Wide(std::u16string_view units) {
    ArchiveString s = Empty(StringForm::Wide);
    s.stored_.reserve(units.size() * 2);
    for (char16_t unit : units) s.Append(unit);
    return s;
}

ArchiveString ArchiveString::FromStored(StringForm form, std::string stored) {
    ArchiveString s(std::move(stored));
    s.form_ = form;
    s.ownForm_ = true;
    if (form == StringForm::Wide && s.stored_.size() % 2 != 0) s.stored_.pop_back();
    return s;
}

ArchiveString ArchiveString::Empty(StringForm form) {
    ArchiveString s;
    s.form_ = form;
    s.ownForm_ = true;
    return s;
}

std::u16string ArchiveString::Units() const {
    std::u16string units(Length(), u'\0');
    for (size_t i = 0; i < units.size(); ++i) units[i] = UnitAt(i);
    return units;
}

void ArchiveString::Append(char16_t unit) {
    stored_.push_back(static_cast<char>(unit & 0xFF));
    if (IsWide()) stored_.push_back(static_cast<char>(unit >> 8));
}

bool ArchiveString::StartsWith(std::string_view ascii) const {
    if (Length() < ascii.size()) return false;
    for (size_t i = 0; i < ascii.size(); ++i)
        if (UnitAt(i) != static_cast<uint8_t>(ascii[i])) return false;
    return true;
}

ArchiveString ArchiveString::Substring(size_t from, size_t count) const {
    const size_t length = Length();
    if (from >= length) return Empty(form_);
    count = std::min(count, length - from);
    const size_t unitBytes = IsWide() ? 2 : 1;
    return FromStored(form_, stored_.substr(from * unitBytes, count * unitBytes));
}

size_t ArchiveString::Find(char ascii, size_t from) const {
    for (size_t i = from; i < Length(); ++i)
        if (UnitAt(i) == static_cast<uint8_t>(ascii)) return i;
    return std::string::npos;
}

void PrintTo(const ArchiveString& text, std::ostream* out) {
    *out << (text.IsWide() ? "wide \"" + WideToUtf8(text.Units()) : "bytes \"" + text.Stored()) << '"';
}

bool StartsWithIgnoringAsciiCase(const ArchiveString& text, const ArchiveString& prefix) {
    if (text.Length() < prefix.Length()) return false;
    auto upper = [](char16_t unit) { return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit; };
    for (size_t i = 0; i < prefix.Length(); ++i)
        if (upper(text.UnitAt(i)) != upper(prefix.UnitAt(i))) return false;
    return true;
}

ArchiveString StripControlChars(const ArchiveString& text) {
    if (!text.IsWide()) return ArchiveString(StripShiftJisControlChars(text.Stored()));
    ArchiveString out = ArchiveString::Empty(StringForm::Wide);
    for (size_t i = 0; i < text.Length(); ++i)
        if (text.UnitAt(i) >= 0x20) out.Append(text.UnitAt(i));
    return out;
}

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::string WideToUtf8(std::u16string_view units) {
    std::string out;
    out.reserve(units.size() * 3);
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (IsHighSurrogate(c) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u);
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToWide(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        size_t extra = 0;
        char32_t c = lead;
        char32_t smallest = 0;
        if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, c = lead & 0x07, smallest = 0x10000;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, c = lead & 0x0F, smallest = 0x800;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, c = lead & 0x1F, smallest = 0x80;
        } else if (lead >= 0x80) {
            c = kReplacement;
        }
        size_t taken = 1;
        for (; taken <= extra; ++taken) {
            if (i + taken >= utf8.size()) break;
            const auto next = static_cast<uint8_t>(utf8[i + taken]);
            if ((next & 0xC0) != 0x80) break;
            c = c << 6 | (next & 0x3F);
        }
        if (taken <= extra || c < smallest || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) c = kReplacement;
        i += taken;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

}  // namespace tolvane
