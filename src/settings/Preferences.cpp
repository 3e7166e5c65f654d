#include "Preferences.h"

#include <algorithm>
#include <cmath>

Preferences::Preferences(std::shared_ptr<PreferenceStore> store)
    : m_store(std::move(store)) {}

QString Preferences::value(const QString &key) const {
    return m_store->value(key);
}

void Preferences::setValue(const QString &key, const QString &value) {
    m_store->setValue(key, value);
}

void Preferences::flush() {
    m_store->sync();
}

void Preferences::writeLaunchDefaults() {
    setValue(displayUnitsKey, dBm);
    setValue(rssiMethodKey, accurate);
    setValue(sweepTypeKey, radar);
    setValue(locateSoundKey, on);
    setValue(pollingIntervalKey, QStringLiteral("5"));
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
