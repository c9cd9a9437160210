// Where the frontend's plain types meet Qt's: UTF-8 text and paths to QString and back, and
// the fonts of the windows.
#pragma once

#include <filesystem>
#include <string_view>

#include <QFont>
#include <QString>

namespace tolvane {

QString ToQString(std::string_view utf8);
// A path as the windows show it (a name that is not UTF-8 read as Shift-JIS).
QString PathToQString(const std::filesystem::path& path);
// The path as Qt's file functions take it, for a dialog to open or an application to start on.
QString FileSystemQString(const std::filesystem::path& path);
// The path of what a dialog chose, as the file system spells it.
std::filesystem::path ToPath(const QString& text);

// The fonts of the original program first, then the IPA fonts of the same metrics, which
// Linux has: "ＭＳ ゴシック" (fixed pitch) or "ＭＳ Ｐゴシック" (proportional).
QFont GothicFont(int pixels, bool proportional);

}  // namespace tolvane
