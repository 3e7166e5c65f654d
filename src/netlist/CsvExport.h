#pragma once

#include "scan/NetworkModel.h"

#include <QString>

class Preferences;

// The network list as a CSV text: a fixed header, one line per record in
// display order. Each field is the record's text as the table shows it, except
// that text which would break the columns or be run as a spreadsheet formula is
// made safe (SSIDs come from anyone's radio).
namespace CsvExport {

QString header();

// One record's line; `connected` marks the joined network.
QString line(const NetworkModel &record, bool connected, const Preferences &prefs);

// The whole file. Commas in each record's vendor become blanks, and the
// record keeps that form afterwards.
QString document(const NetworkList &records, const NetworkModelPtr &connected,
                 const Preferences &prefs);

// A text field made safe for one CSV cell (see above).
QString field(const QString &text, bool guardFormula);

} // namespace CsvExport
