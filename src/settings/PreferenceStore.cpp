#include "PreferenceStore.h"

#include <QSettings>

SettingsPreferenceStore::SettingsPreferenceStore()
    : m_settings(
          std::make_unique<QSettings>(QStringLiteral("Airlume"), QStringLiteral("Airlume"))) {}

SettingsPreferenceStore::SettingsPreferenceStore(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

SettingsPreferenceStore::~SettingsPreferenceStore() = default;

QString SettingsPreferenceStore::value(const QString &key) const {
    const QVariant v = m_settings->value(key);
    return v.isValid() ? v.toString() : QString();
}

void SettingsPreferenceStore::setValue(const QString &key, const QString &value) {
    m_settings->setValue(key, value);
}

void SettingsPreferenceStore::sync() {
    m_settings->sync();
}
