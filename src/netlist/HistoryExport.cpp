#include "HistoryExport.h"

#include <QPromise>
#include <QThreadPool>
#include <memory>

HistoryExport::HistoryExport(QObject *parent)
    : QObject(parent) {
    connect(&m_watcher, &QFutureWatcher<QString>::finished, this, [this] {
        const QString path = std::exchange(m_path, QString());
        m_running = false;
        emit finished(path, m_watcher.future().resultCount() > 0
                                ? m_watcher.result()
                                : QStringLiteral("Could not save \"%1\".").arg(path));
    });
}

bool HistoryExport::start(const HistorySnapshot &snapshot, const QString &path) {
    if (m_running)
        return false;
    m_running = true;
    m_path = path;
    auto promise = std::make_shared<QPromise<QString>>();
    promise->start();
    m_watcher.setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, snapshot, path] {
        QString error;
        snapshot.writeCsv(path, &error);
        promise->addResult(error);
        promise->finish();
    });
    return true;
}
