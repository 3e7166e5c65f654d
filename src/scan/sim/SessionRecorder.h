#pragma once

#include "scan/ScanTick.h"

#include <QObject>
#include <QString>
#include <QThread>

class ScenarioRecorder;

// Records the window's session: fed every finished tick, it writes each one
// to a scenario file (see ScenarioRecorder) on a thread of its own, so the
// disk (each line is synced) never holds up the UI thread. Failures come
// later, as recordingFailed(); the recording has then stopped.
class SessionRecorder : public QObject {
    Q_OBJECT
public:
    explicit SessionRecorder(QObject *parent = nullptr);
    ~SessionRecorder() override; // finishes the lines already handed over

    // Starts a new recording into `path` (created or replaced), ending any
    // running one. Recording from now on; a file that cannot be written
    // ends it with recordingFailed().
    void start(const QString &path, const QString &interfaceName);
    void stop();
    bool isRecording() const { return m_recording; }
    QString path() const { return m_path; }
    qsizetype ticksRecorded() const { return m_ticks; }

public Q_SLOTS:
    // Connect to ScanCycle::tickFinished: each merge, once.
    void recordTick(const ScanTick &tick);

Q_SIGNALS:
    void recordingChanged(bool recording);
    // The recording stopped on its own; one sentence naming the file.
    void recordingFailed(const QString &error);

private:
    void failed(quint64 session, const QString &error);

    QThread m_thread;
    QObject *m_worker = nullptr;        // lives on m_thread
    ScenarioRecorder *m_file = nullptr; // used on m_thread only
    quint64 m_session = 0;              // which recording a report is about
    bool m_recording = false;
    QString m_path;
    qsizetype m_ticks = 0;
};
