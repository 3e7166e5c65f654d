#pragma once

#include "HistorySnapshot.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

// Writes the signal history to a CSV file on a pool thread, so the UI thread
// only pays for the snapshot. One export runs at a time. The worker owns its
// snapshot and path: the history may change or go, and this object may be
// destroyed, while it writes; the file is still completed (the application
// waits for the pool's work as it quits).
class HistoryExport : public QObject {
    Q_OBJECT
public:
    explicit HistoryExport(QObject *parent = nullptr);

    bool isRunning() const { return m_running; }
    // The file being written; empty when none is.
    QString path() const { return m_path; }

    // Starts writing `snapshot` to `path`. False, and nothing started, while
    // an export is still running.
    bool start(const HistorySnapshot &snapshot, const QString &path);

Q_SIGNALS:
    // The export is over: `error` is empty when the file was written, else
    // a sentence naming the path and the reason.
    void finished(const QString &path, const QString &error);

private:
    QFutureWatcher<QString> m_watcher;
    bool m_running = false;
    QString m_path;
};
