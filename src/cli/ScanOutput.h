#pragma once

#include "scan/NetworkModel.h"

#include <QList>
#include <QString>
#include <QStringList>

class Preferences;

// Renderings of the display list for standard output.
namespace ScanOutput {

// Aligned columns for people; the joined network is marked with '*'.
QString table(const NetworkList &records, const NetworkModelPtr &connected,
              const Preferences &prefs);

// A JSON array, one object per record keyed by the record's property names
// (ssid is null for a hidden network), plus "connected".
QString json(const NetworkList &records, const NetworkModelPtr &connected);

// Rows as columns padded to their widest cell, two spaces apart, without
// trailing blanks.
QString columns(const QList<QStringList> &rows);

// Control characters written as \xNN, so no SSID can drive the terminal.
QString printable(const QString &text);

} // namespace ScanOutput
