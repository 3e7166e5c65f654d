#include "Nl80211Worker.h"

#include "Nl80211Log.h"
#include "Nl80211Socket.h"

#include <QThread>

namespace nl80211 {

class Worker::Context : public QObject {
public:
    explicit Context(std::unique_ptr<Requester> requester)
        : requester(std::move(requester)) {}
    std::unique_ptr<Requester> requester;
};

Worker::Worker(std::unique_ptr<Requester> requester, const QString &name)
    : m_thread(new QThread)
    , m_context(new Context(std::move(requester))) {
    m_thread->setObjectName(QStringLiteral("nl80211 %1").arg(name));
    m_context->moveToThread(m_thread);
    // The requester is freed on its own thread, once the last job is over.
    QObject::connect(m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_thread->start();
}

Worker::~Worker() {
    m_thread->quit();
    // An idle thread ends at once. One inside a request (a wedged driver) is
    // not waited for: it finishes its bounded wait on its own and then frees
    // itself; results it still sends find their receiver gone.
    if (m_thread->wait(QDeadlineTimer(50))) {
        delete m_thread;
        return;
    }
    qCInfo(lcNl80211).noquote() << m_thread->objectName()
                                << "is still waiting for the kernel; it ends by itself";
    QObject::connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    if (m_thread->isFinished())
        m_thread->deleteLater();
}

QObject *Worker::relay() const {
    // The thread object lives in the creating thread and is freed only after
    // the worker thread has finished, so jobs may always post to it.
    return m_thread;
}

void Worker::post(std::function<void(Requester &)> job) {
    Context *context = m_context;
    QMetaObject::invokeMethod(
        context, [context, job = std::move(job)] { job(*context->requester); },
        Qt::QueuedConnection);
}

} // namespace nl80211
