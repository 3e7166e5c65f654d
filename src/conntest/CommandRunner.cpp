#include "CommandRunner.h"

#include <QProcess>
#include <QTimer>

ProcessRunner::ProcessRunner(int timeoutMs)
    : m_timeoutMs(timeoutMs) {}

ProcessRunner::~ProcessRunner() {
    cancel();
}

void ProcessRunner::start(const QString &program, const QStringList &arguments, Done done) {
    cancel();
    auto *process = new QProcess;
    m_process = process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process->setProcessEnvironment(environment);

    m_deadline = new QTimer(process);
    m_deadline->setSingleShot(true);
    QObject::connect(m_deadline, &QTimer::timeout, process, &QProcess::kill);

    QObject::connect(process, &QProcess::errorOccurred, process,
                     [this, process, done](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return; // a crash or kill also ends in finished()
                         release();
                         process->deleteLater();
                         done(CommandResult{});
                     });
    QObject::connect(process, &QProcess::finished, process,
                     [this, process, done](int exitCode, QProcess::ExitStatus status) {
                         CommandResult result;
                         result.started = true;
                         result.exitCode = status == QProcess::NormalExit ? exitCode : -1;
                         result.standardOutput = process->readAllStandardOutput();
                         result.standardError = process->readAllStandardError();
                         release();
                         process->deleteLater();
                         done(result);
                     });
    m_deadline->start(m_timeoutMs);
    process->start(program, arguments);
}

// Forgets the process without deleting it: it is deleted once it has ended.
void ProcessRunner::release() {
    m_process = nullptr;
    m_deadline = nullptr;
}

// The killed process is reaped asynchronously (finished() then deletes it),
// so cancelling never waits for it.
void ProcessRunner::cancel() {
    QProcess *process = m_process;
    if (!process)
        return;
    release();
    QObject::disconnect(process, nullptr, process, nullptr);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}
