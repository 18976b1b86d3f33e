#include "QtText.h"

#include <QFile>

#include "common/Cp1252.h"

namespace loom {

QString toQt(std::string_view cp1252) {
    const std::string utf8 = cp1252ToUtf8(cp1252);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string fromQt(const QString& text, bool* lossy) {
    const QByteArray utf8 = text.toUtf8();
    return utf8ToCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())),
                        lossy);
}

QString pathToQt(const std::filesystem::path& path) {
    // The platform's own file-name encoding, so that any name on disk survives.
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path pathFromQt(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace loom
