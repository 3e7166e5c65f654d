#pragma once

#include "netlist/VendorIndex.h"
#include "scan/NetworkModel.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

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

// The display list in one of the list formats: "table", "csv" or "json".
QString list(const QString &format, const NetworkList &records, const NetworkModelPtr &connected,
             const Preferences &prefs);

// Names each record's vendor from the bundled table only (the CLI asks no web
// service). The table is read once, on the first list that is not empty.
class VendorNames {
public:
    void apply(const NetworkList &records);

private:
    std::optional<VendorIndex> m_index;
};

} // namespace ScanOutput
