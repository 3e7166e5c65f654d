#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QThread;

namespace nl80211 {

class Requester;

// Runs the kernel requests of one interface on a thread of its own, so a
// slow or wedged driver (every request may wait out its bound) never holds
// the event loop of the thread that asks. Jobs run one at a time in the order
// given; each result comes back queued to the thread that made the worker.
class Worker {
public:
    Worker(std::unique_ptr<Requester> requester, const QString &name);
    ~Worker();
    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    // `job` runs on the worker's thread with the requester; then `then` runs
    // with its result on this thread, unless `receiver` is gone by then.
    template <typename Result>
    void run(QObject *receiver, std::function<Result(Requester &)> job,
             std::function<void(Result)> then) {
        post([relay = relay(), guard = QPointer<QObject>(receiver), job = std::move(job),
              then = std::move(then)](Requester &requester) {
            Result result = job(requester);
            QMetaObject::invokeMethod(
                relay,
                [guard, then, result = std::move(result)] {
                    if (guard)
                        then(result);
                },
                Qt::QueuedConnection);
        });
    }

private:
    class Context;
    void post(std::function<void(Requester &)> job);
    // An object of this thread that outlives every job: results go through it.
    QObject *relay() const;

    QThread *m_thread = nullptr;
    Context *m_context = nullptr; // lives in m_thread and owns the requester
};

} // namespace nl80211
