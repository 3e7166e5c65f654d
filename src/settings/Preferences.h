#pragma once

#include "PreferenceStore.h"

#include <QString>
#include <memory>

// The user's choices, stored as texts under fixed keys and read afresh at
// every use, so a change made in the settings dialog holds from the next read.
class Preferences {
public:
    // Keys.
    static inline const QString displayUnitsKey = QStringLiteral("displayUnitsValue");
    static inline const QString rssiMethodKey = QStringLiteral("rssiMethodValue");
    static inline const QString sweepTypeKey = QStringLiteral("sweepTypeValue");
    static inline const QString locateSoundKey = QStringLiteral("locateSoundValue");
    static inline const QString pollingIntervalKey = QStringLiteral("pollingIntervalValue");
    static inline const QString adapterKey = QStringLiteral("adapterValue");
    static inline const QString vendorLookupKey = QStringLiteral("vendorLookupValue");
    static inline const QString locatePaceKey = QStringLiteral("locatePaceValue");

    // Choice words; every comparison is exact and case-sensitive.
    static inline const QString dBm = QStringLiteral("dBm");
    static inline const QString percent = QStringLiteral("Percent");
    static inline const QString radar = QStringLiteral("Radar");
    static inline const QString sonar = QStringLiteral("Sonar");
    static inline const QString on = QStringLiteral("On");
    static inline const QString off = QStringLiteral("Off");
    static inline const QString accurate = QStringLiteral("Accurate");
    static inline const QString fixed = QStringLiteral("Fixed");
    static inline const QString followSignal = QStringLiteral("Follow signal");

    static constexpr double defaultPollingIntervalSeconds = 5.0;
    static constexpr double maxPollingIntervalSeconds = 86400.0;

    explicit Preferences(std::shared_ptr<PreferenceStore> store);

    QString value(const QString &key) const;
    bool has(const QString &key) const { return !value(key).isNull(); }
    // The stored value, or the key's default while none is stored.
    QString valueOrDefault(const QString &key) const;
    void setValue(const QString &key, const QString &value);
    void flush();

    // The value a key holds until the user chooses another; null for the
    // adapter, which has none. Every default is written here and nowhere else.
    static QString defaultValue(const QString &key);

    // Writes the defaults of the display unit, RSSI method, sweep, locate
    // sound and polling interval at every launch, overwriting what an earlier
    // run stored, then flushes.
    void writeLaunchDefaults();

    bool isPercent() const { return value(displayUnitsKey) == percent; }
    // The polling interval in seconds. An absent, non-numeric or non-positive
    // value counts as the default: a zero interval would fire the timer
    // continuously.
    double pollingIntervalSeconds() const;

private:
    std::shared_ptr<PreferenceStore> m_store;
};
