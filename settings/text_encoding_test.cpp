#include "settings/text_encoding.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(TextEncoding, ConvertsBothWaysAndReplacesWhatDoesNotConvert) {
    // 平面図, half-width katakana ｱ, and ASCII.
    EXPECT_EQ(ShiftJisToUtf8("\x95\xbd\x96\xca\x90\x7d A\xb1"), "平面図 Aｱ");
    EXPECT_EQ(Utf8ToShiftJis("平面図 Aｱ"), "\x95\xbd\x96\xca\x90\x7d A\xb1");
    // A lead byte at the very end and an invalid pair become U+FFFD; the rest survives.
    EXPECT_EQ(ShiftJisToUtf8("ab\x95"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(ShiftJisToUtf8(std::string("x\x85\x40y")), "x\xEF\xBF\xBD@y");
    // An emoji has no Shift-JIS form.
    EXPECT_EQ(Utf8ToShiftJis("a😀b"), "a?b");
    EXPECT_EQ(ShiftJisToUtf8(""), "");
}

}  // namespace
}  // namespace tolvane
