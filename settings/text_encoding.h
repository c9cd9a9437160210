// Shift-JIS (code page 932) to and from UTF-8, at the boundary where drawing texts meet the
// screen, the terminal or JSON. Everything else in the program keeps the strings as stored.
#pragma once

#include <string>
#include <string_view>

#include "formats/text.h"

namespace tolvane {

// Bytes that are not valid Shift-JIS become U+FFFD.
std::string ShiftJisToUtf8(std::string_view shiftJis);
// Characters that have no Shift-JIS form become "?".
std::string Utf8ToShiftJis(std::string_view utf8);
// A string of a drawing in UTF-8, whatever its form: a wide string never passes through
// Shift-JIS, so that characters Shift-JIS lacks show as they are.
std::string ArchiveStringToUtf8(const ArchiveString& text);

}  // namespace tolvane
