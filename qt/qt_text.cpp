#include "qt/qt_text.h"

#include <QFile>

#include "frontend/path_text.h"

namespace tolvane {

QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString PathToQString(const std::filesystem::path& path) {
    return ToQString(DisplayPath(path));
}

QString FileSystemQString(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

std::filesystem::path ToPath(const QString& text) {
#ifdef _WIN32
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

QFont GothicFont(int pixels, bool proportional) {
    QFont font;
    font.setFamilies(proportional ? QStringList{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")}
                                  : QStringList{QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")});
    font.setPixelSize(pixels);
    return font;
}

}  // namespace tolvane
