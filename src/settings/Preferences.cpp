#include "Preferences.h"

#include <algorithm>
#include <cmath>

Preferences::Preferences(std::shared_ptr<PreferenceStore> store)
    : m_store(std::move(store)) {}

QString Preferences::value(const QString &key) const {
    return m_store->value(key);
}

QString Preferences::valueOrDefault(const QString &key) const {
    const QString stored = value(key);
    return stored.isNull() ? defaultValue(key) : stored;
}

void Preferences::setValue(const QString &key, const QString &value) {
    m_store->setValue(key, value);
}

void Preferences::flush() {
    m_store->sync();
}

QString Preferences::defaultValue(const QString &key) {
    if (key == displayUnitsKey)
        return dBm;
    if (key == rssiMethodKey)
        return accurate;
    if (key == sweepTypeKey)
        return radar;
    if (key == locateSoundKey || key == vendorLookupKey)
        return on;
    if (key == pollingIntervalKey)
        return QString::number(defaultPollingIntervalSeconds);
    if (key == locatePaceKey)
        return fixed;
    return {};
}

void Preferences::writeLaunchDefaults() {
    for (const QString &key :
         {displayUnitsKey, rssiMethodKey, sweepTypeKey, locateSoundKey, pollingIntervalKey})
        setValue(key, defaultValue(key));
    flush();
}

double Preferences::pollingIntervalSeconds() const {
    bool ok = false;
    const double seconds = value(pollingIntervalKey).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0.0)
        return defaultPollingIntervalSeconds;
    // A day at most: the timer counts milliseconds in an int.
    return std::min(seconds, maxPollingIntervalSeconds);
}
