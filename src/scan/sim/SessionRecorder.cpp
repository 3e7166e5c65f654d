#include "SessionRecorder.h"

#include "ScenarioRecorder.h"

SessionRecorder::SessionRecorder(QObject *parent)
    : QObject(parent)
    , m_worker(new QObject)
    , m_file(new ScenarioRecorder) {
    m_thread.setObjectName(QStringLiteral("airlume-recorder"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

SessionRecorder::~SessionRecorder() {
    stop();
    // The jobs queued before quit() still run: the last lines reach the disk.
    QMetaObject::invokeMethod(
        m_worker, [this] { m_thread.quit(); }, Qt::QueuedConnection);
    m_thread.wait();
    delete m_file;
}

void SessionRecorder::start(const QString &path, const QString &interfaceName) {
    stop();
    const quint64 session = ++m_session;
    m_recording = true;
    m_path = path;
    m_ticks = 0;
    QMetaObject::invokeMethod(
        m_worker,
        [this, session, path, interfaceName] {
            QString error;
            if (!m_file->open(path, interfaceName, &error))
                QMetaObject::invokeMethod(
                    this, [this, session, error] { failed(session, error); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    Q_EMIT recordingChanged(true);
}

void SessionRecorder::stop() {
    if (!m_recording)
        return;
    m_recording = false;
    QMetaObject::invokeMethod(
        m_worker, [this] { m_file->close(); }, Qt::QueuedConnection);
    Q_EMIT recordingChanged(false);
}

void SessionRecorder::recordTick(const ScanTick &tick) {
    // A tick without a time took in no scan (the display list emptied
    // outside a merge): nothing was heard that a replay should play.
    if (!m_recording || tick.heard.timeMs == 0)
        return;
    ++m_ticks;
    const quint64 session = m_session;
    // The heard scan's lists are shared, not copied, on the way over.
    QMetaObject::invokeMethod(
        m_worker,
        [this, session, heard = tick.heard] {
            QString error;
            // Closed after a failure: the failure is already on its way.
            if (m_file->isOpen() && !m_file->append(heard, &error))
                QMetaObject::invokeMethod(
                    this, [this, session, error] { failed(session, error); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void SessionRecorder::failed(quint64 session, const QString &error) {
    if (session != m_session || !m_recording)
        return; // about a recording that has ended since
    m_recording = false;
    Q_EMIT recordingFailed(error);
    Q_EMIT recordingChanged(false);
}
