#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class Preferences;

// What the settings dialog offers, shows and stores; the dialog only draws it.
namespace SettingsForm {

// The dialog's choice boxes, in the order OK stores them.
enum class Box {
    Adapter,
    DisplayUnit,
    RssiMethod,
    Sweep,
    LocateSound,
    LocatePace,
    PollingInterval,
    VendorLookup
};

QList<Box> boxes();
QString key(Box box);
QString label(Box box);
// The items a box offers; the adapter box offers `adapters`.
QStringList items(Box box, const QStringList &adapters);

inline const QStringList pollingSeconds = {
    QStringLiteral("1"),  QStringLiteral("2"),  QStringLiteral("3"),  QStringLiteral("5"),
    QStringLiteral("10"), QStringLiteral("15"), QStringLiteral("30"), QStringLiteral("60")};

// "1" -> "1 Second", any other number n -> "n Seconds".
QString intervalItemText(const QString &seconds);
// "10 Seconds" -> "10", "1 Second" -> "1".
QString intervalValue(const QString &itemText);

// The item text each box shows when the dialog opens. Keys without a value
// get their default written first; the adapter box shows the adapter in use.
// A stored text the box does not offer shows no item (null).
QHash<Box, QString> shownItems(Preferences &prefs, const QString &adapterInUse);

// OK: writes the chosen item of every box that has one (a null text means no
// item chosen: that key stays as it was), then flushes.
void store(Preferences &prefs, const QHash<Box, QString> &chosen);

} // namespace SettingsForm
