#include "formats/text.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// UTF-8 and UTF-16 meet at the display boundary; characters outside the Basic Multilingual
// Plane travel as surrogate pairs, and what is not text becomes U+FFFD instead of vanishing.
TEST(Text, Utf16AndUtf8) {
    const std::u16string units = u"a\u00E9\u5199\U00020BB7\U0001F600";
    const std::string utf8 = "a\xC3\xA9\xE5\x86\x99\xF0\xA0\xAE\xB7\xF0\x9F\x98\x80";
    EXPECT_EQ(WideToUtf8(units), utf8);
    EXPECT_EQ(Utf8ToWide(utf8), units);
    EXPECT_EQ(WideToUtf8(u"x\xD800y\xDC00"), "x\xEF\xBF\xBDy\xEF\xBF\xBD");  // lone surrogates
    EXPECT_EQ(Utf8ToWide("\xC0\xAF" "b\xE5\x86"), u"\uFFFD\uFFFD" "b\uFFFD");  // overlong, cut short
}

// Units of either form: a byte string walks bytes, a wide string UTF-16 units.
TEST(Text, ArchiveStringUnits) {
    const ArchiveString bytes("^@BM%temp%a.bmp,1");
    EXPECT_TRUE(bytes.StartsWith(kImageTextPrefix));
    EXPECT_EQ(bytes.Find(','), 15u);
    EXPECT_EQ(bytes.Substring(10, 5), "a.bmp");

    const ArchiveString wide = ArchiveString::Wide(u"^@BM%temp%\U00020BB7,1");
    EXPECT_EQ(wide.Length(), 14u);
    EXPECT_TRUE(wide.StartsWith(kImageTextPrefix));
    EXPECT_EQ(wide.Find(','), 12u);
    EXPECT_EQ(wide.Substring(10, 2), ArchiveString::Wide(u"\U00020BB7"));
    EXPECT_EQ(wide.Substring(20), ArchiveString::Empty(StringForm::Wide));
    // The same characters in two forms are two different strings.
    EXPECT_NE(ArchiveString("a"), ArchiveString::Wide(u"a"));
    EXPECT_TRUE(StartsWithIgnoringAsciiCase(ArchiveString::Wide(u"Photo.BMP"), ArchiveString::Wide(u"photo.b")));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase(ArchiveString::Wide(u"\u00C9"), ArchiveString::Wide(u"\u00E9")));
}

// Control characters go, double-byte characters stay whole even when their second byte lies
// in the control range, and everything of 0x20 and above stays.
TEST(Text, StripControlChars) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"plan 1F", "plan 1F"},
        {"a\r\nb\tc", "abc"},
        {std::string("\0\0\0", 3), ""},
        {"\x81\x1f", "\x81\x1f"},                   // lead byte 0x81, second byte 0x1F
        {"\xe0\x0a" "a", "\xe0\x0a" "a"},           // lead byte 0xE0, second byte LF
        {"\x82\xa0\x0d\x82\xa2", "\x82\xa0\x82\xa2"},  // あ CR い
        {"a\x81", "a\x81"},                         // a lead byte in the last position
        {"\xb1\xb2 \x81\x40\xfe\xff\x7f", "\xb1\xb2 \x81\x40\xfe\xff\x7f"},  // katakana, spaces, FE, FF, DEL
        {"\x1f" "a\x1b[0m", "a[0m"},
        {"\x80\x0a\xfd\x0b", "\x80\x0a\xfd\x0b"},   // 0x80 and 0xFD lead too
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(StripShiftJisControlChars(in), out) << in;
    // Wide strings lose units below 0x20 only.
    EXPECT_EQ(StripControlChars(ArchiveString::Wide(u"a\r\n\u010Ab")), ArchiveString::Wide(u"a\u010Ab"));
    // "ピ" (0x83 0x73) keeps its second byte in Shift-JIS text; UTF-8 has no such bytes.
    EXPECT_EQ(ShiftJisAsciiUpperCase("a.jw\x83\x73s"), "A.JW\x83\x73S");
    EXPECT_EQ(AsciiUpperCase("a.jw\xE3\x83\x94s"), "A.JW\xE3\x83\x94S");
}

}  // namespace
}  // namespace tolvane
