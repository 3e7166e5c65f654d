#pragma once

#include <QStringList>

// `airlume-cli scan`: runs polling ticks back to back and prints the display
// list of the last one. Returns the process exit code.
int runScanCommand(const QStringList &arguments);

// The command's synopsis, as --help prints it.
QString scanUsage();
