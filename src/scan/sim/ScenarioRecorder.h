#pragma once

#include "scan/ScanTick.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// Writes a session's scans as a scenario in JSON Lines, which the scenario
// reader plays back: a header line, then one line per scan holding what the
// interface answered (raw networks as received, the joined network and the
// interface's own view of it, the time).
//
// Each line goes to the file in one write and is pushed to the disk before
// append() returns, so a crash or a power cut loses at most the line being
// written, which the reader then leaves out with a warning.
class ScenarioRecorder {
public:
    ScenarioRecorder() = default;
    ScenarioRecorder(const ScenarioRecorder &) = delete;
    ScenarioRecorder &operator=(const ScenarioRecorder &) = delete;

    // Creates or replaces the file and writes the header line. False with
    // *error naming the path and the reason.
    bool open(const QString &path, const QString &interfaceName, QString *error);
    // One scan, as one line. False with *error when the line cannot be
    // written (the file is then closed: a later line would follow a broken
    // one) or when the recording is as large as a scenario may be.
    bool append(const HeardScan &heard, QString *error);
    void close() { m_file.close(); }
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    qsizetype scansWritten() const { return m_scans; }

    // The lines as written, newline included.
    static QByteArray headerLine(const QString &interfaceName, qint64 startMs);
    static QByteArray scanLine(const HeardScan &heard);

    // Writes and syncs one line to an open file; false with the reason.
    static bool writeLine(QFile &file, const QByteArray &line, QString *reason);

private:
    QFile m_file;
    qint64 m_bytes = 0;
    qsizetype m_scans = 0;
    qsizetype m_networks = 0;
};
