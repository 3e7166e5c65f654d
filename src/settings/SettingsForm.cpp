#include "SettingsForm.h"

#include "Preferences.h"

namespace SettingsForm {

namespace {

const QString second = QStringLiteral(" Second");
const QString seconds = QStringLiteral(" Seconds");

// The stored value as the box's item text.
QString itemFor(Box box, const QString &value) {
    return box == Box::PollingInterval ? intervalItemText(value) : value;
}

} // namespace

QList<Box> boxes() {
    return {Box::Adapter,     Box::DisplayUnit, Box::RssiMethod,      Box::Sweep,
            Box::LocateSound, Box::LocatePace,  Box::PollingInterval, Box::VendorLookup};
}

QString key(Box box) {
    switch (box) {
    case Box::Adapter:
        return Preferences::adapterKey;
    case Box::DisplayUnit:
        return Preferences::displayUnitsKey;
    case Box::RssiMethod:
        return Preferences::rssiMethodKey;
    case Box::Sweep:
        return Preferences::sweepTypeKey;
    case Box::LocateSound:
        return Preferences::locateSoundKey;
    case Box::LocatePace:
        return Preferences::locatePaceKey;
    case Box::PollingInterval:
        return Preferences::pollingIntervalKey;
    case Box::VendorLookup:
        return Preferences::vendorLookupKey;
    }
    return {};
}

QString label(Box box) {
    switch (box) {
    case Box::Adapter:
        return QStringLiteral("Wi-Fi adapter");
    case Box::DisplayUnit:
        return QStringLiteral("Display unit");
    case Box::RssiMethod:
        return QStringLiteral("RSSI method");
    case Box::Sweep:
        return QStringLiteral("Radar sweep");
    case Box::LocateSound:
        return QStringLiteral("Locate sound");
    case Box::LocatePace:
        return QStringLiteral("Locate pace");
    case Box::PollingInterval:
        return QStringLiteral("Polling interval");
    case Box::VendorLookup:
        return QStringLiteral("Online vendor lookup");
    }
    return {};
}

QStringList items(Box box, const QStringList &adapters) {
    switch (box) {
    case Box::Adapter:
        return adapters;
    case Box::DisplayUnit:
        return {Preferences::dBm, Preferences::percent};
    case Box::RssiMethod:
        return {Preferences::accurate};
    case Box::Sweep:
        return {Preferences::radar, Preferences::sonar};
    case Box::LocateSound:
    case Box::VendorLookup:
        return {Preferences::on, Preferences::off};
    case Box::LocatePace:
        return {Preferences::fixed, Preferences::followSignal};
    case Box::PollingInterval: {
        QStringList texts;
        for (const QString &n : pollingSeconds)
            texts << intervalItemText(n);
        return texts;
    }
    }
    return {};
}

QString intervalItemText(const QString &value) {
    return value + (value == QLatin1String("1") ? second : seconds);
}

QString intervalValue(const QString &itemText) {
    QString value = itemText;
    value.remove(seconds);
    value.remove(second);
    return value;
}

QHash<Box, QString> shownItems(Preferences &prefs, const QString &adapterInUse) {
    QHash<Box, QString> shown;
    for (Box box : boxes()) {
        if (box == Box::Adapter) {
            shown.insert(box, adapterInUse);
            continue;
        }
        if (!prefs.has(key(box)))
            prefs.setValue(key(box), Preferences::defaultValue(key(box)));
        const QString item = itemFor(box, prefs.value(key(box)));
        shown.insert(box, items(box, {}).contains(item) ? item : QString());
    }
    prefs.flush();
    return shown;
}

void store(Preferences &prefs, const QHash<Box, QString> &chosen) {
    for (Box box : boxes()) {
        const QString item = chosen.value(box);
        if (item.isNull())
            continue;
        prefs.setValue(key(box), box == Box::PollingInterval ? intervalValue(item) : item);
    }
    prefs.flush();
}

} // namespace SettingsForm
