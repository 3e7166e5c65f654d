#pragma once

#include <QStringList>
#include <optional>

// `airlume-cli record`: runs polling ticks and writes each tick's scan to a
// scenario file (JSON Lines) that `--source scenario:FILE` plays back.
// Returns the process exit code.
int runRecordCommand(const QStringList &arguments);

// The command's synopsis, as --help prints it.
QString recordUsage();

// "90", "90s", "10m", "2h" as milliseconds; nothing for anything else or
// for more than a week.
std::optional<qint64> parseDurationMs(const QString &text);
