#include "QtSettingsStore.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdlib>

#include "QtText.h"

namespace loom {
namespace {

QString keyOf(std::string_view section, std::string_view name) {
    return section.empty() ? toQt(name) : toQt(section) + u'/' + toQt(name);
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
    if (value.typeId() == QMetaType::QStringList) return fromQt(value.toStringList().join(u','));
    if (!value.canConvert<QString>()) return std::string(fallback);
    return fromQt(value.toString());
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
    settings_->setValue(keyOf(section, name), toQt(value));
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
