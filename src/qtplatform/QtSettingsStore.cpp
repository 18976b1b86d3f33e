#include "QtSettingsStore.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdlib>

#include "common/Cp1252.h"

namespace loom {
namespace {

QString fromCore(std::string_view text) {
    const std::string utf8 = cp1252ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toCore(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return utf8ToCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString keyOf(std::string_view section, std::string_view name) {
    return section.empty() ? fromCore(name) : fromCore(section) + u'/' + fromCore(name);
}

bool flush(QSettings& settings) {
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Harvik"),
                                            QStringLiteral("Loomcraft"))) {}

QtSettingsStore::QtSettingsStore(const std::string& iniFile)
    : settings_(
          std::make_unique<QSettings>(QString::fromStdString(iniFile), QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::readString(std::string_view section, std::string_view name,
                                        std::string_view fallback) {
    const QVariant value = settings_->value(keyOf(section, name));
    if (!value.isValid()) return std::string(fallback);
    // An INI file edited by hand may hold a text with commas unquoted, which reads back as
    // a list; it was meant as one text.
    if (value.typeId() == QMetaType::QStringList) return toCore(value.toStringList().join(u','));
    if (!value.canConvert<QString>()) return std::string(fallback);
    return toCore(value.toString());
}

int QtSettingsStore::readInt(std::string_view section, std::string_view name, int fallback) {
    const QVariant value = settings_->value(keyOf(section, name));
    if (!value.isValid()) return fallback;
    // INI files keep no types: an integer comes back as its decimal text.
    bool ok = false;
    const int number = value.typeId() == QMetaType::QString ? value.toString().trimmed().toInt(&ok)
                                                            : value.toInt(&ok);
    return ok ? number : fallback;
}

bool QtSettingsStore::writeString(std::string_view section, std::string_view name,
                                  std::string_view value) {
    settings_->setValue(keyOf(section, name), fromCore(value));
    return flush(*settings_);
}

bool QtSettingsStore::writeInt(std::string_view section, std::string_view name, int value) {
    settings_->setValue(keyOf(section, name), value);
    return flush(*settings_);
}

std::unique_ptr<SettingsStore> openProgramSettings() {
    if (const char* file = std::getenv("LOOMCRAFT_SETTINGS"); file && *file)
        return std::make_unique<QtSettingsStore>(std::string(file));
    return std::make_unique<QtSettingsStore>();
}

}  // namespace loom
