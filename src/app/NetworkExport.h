#pragma once

#include "scan/NetworkModel.h"

#include <QString>

class Preferences;

// Saving the network list as a CSV file.
namespace NetworkExport {

// The chosen path, with ".csv" appended when it does not end in it.
QString withCsvSuffix(const QString &path);

// Writes the list's CSV text (logged first) to the path, replacing the file
// only once the whole text is written. Commas in each record's vendor become
// blanks and stay so. False with *error naming the path and the reason.
bool writeNetworkList(const QString &path, const NetworkList &records,
                      const NetworkModelPtr &connected, const Preferences &prefs, QString *error);

} // namespace NetworkExport
