#include "PreferenceStore.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcPreferences, "airlume.preferences", QtInfoMsg)

namespace {

// QSettings reads its file as it is made, and a FIFO or a device in the file's
// place would block that read for good. Only a plain file (or none yet) is
// used; anything else leaves the settings in memory, at their defaults.
bool usableSettingsFile(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return true;
    qCWarning(lcPreferences).noquote()
        << path
        << "is not a regular file: the settings start from their defaults and are not saved";
    return false;
}

// Where QSettings keeps the user's "Airlume" settings on Linux.
QString userSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Airlume/Airlume.conf");
}

} // namespace

SettingsPreferenceStore::SettingsPreferenceStore() {
    if (usableSettingsFile(userSettingsFile()))
        m_settings =
            std::make_unique<QSettings>(QStringLiteral("Airlume"), QStringLiteral("Airlume"));
}

SettingsPreferenceStore::SettingsPreferenceStore(const QString &iniPath) {
    if (usableSettingsFile(iniPath))
        m_settings = std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
}

SettingsPreferenceStore::~SettingsPreferenceStore() = default;

QString SettingsPreferenceStore::value(const QString &key) const {
    if (!m_settings)
        return m_memory.value(key);
    const QVariant v = m_settings->value(key);
    return v.isValid() ? v.toString() : QString();
}

void SettingsPreferenceStore::setValue(const QString &key, const QString &value) {
    if (m_settings)
        m_settings->setValue(key, value);
    else
        m_memory.setValue(key, value);
}

void SettingsPreferenceStore::sync() {
    if (m_settings)
        m_settings->sync();
}
