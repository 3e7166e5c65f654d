#pragma once

#include <QString>
#include <QStringList>

// `airlume-cli channels`: runs polling ticks back to back like `scan`, then
// rates the channels from the list after the last one. Returns the process
// exit code.
int runChannelsCommand(const QStringList &arguments);

// The command's synopsis, as --help prints it.
QString channelsUsage();
