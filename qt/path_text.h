// Folder and file names as the program keeps them (the bytes the file system gives, normally
// UTF-8 on Linux) and as the windows show them. Drawings copied from Windows machines often
// carry Shift-JIS names; those bytes are kept for the paths and converted only for display.
#pragma once

#include <string>
#include <string_view>

#include <QString>

namespace tolvane {

bool IsValidUtf8(std::string_view bytes);

// The text to show for file-system bytes: UTF-8 as it is, anything else read as Shift-JIS.
QString DisplayText(std::string_view bytes);
// The text to show for Shift-JIS bytes from a drawing (memos).
QString ShiftJisText(std::string_view shiftJis);

// The file-system bytes of a path that a dialog gave.
std::string PathBytes(const QString& path);
// The folder with exactly one "/" at its end ("" stays "").
std::string WithTrailingSlash(std::string folder);

}  // namespace tolvane
