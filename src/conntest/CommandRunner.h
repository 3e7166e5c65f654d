#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <functional>

class QProcess;
class QTimer;

// How a command ended: whether it started at all, its exit code and output.
struct CommandResult {
    bool started = false; // false: the program is missing or cannot run
    int exitCode = -1;    // -1 when it crashed or was killed
    QByteArray standardOutput;
    QByteArray standardError;
};

// Runs one external command at a time, asynchronously, and reports its end
// on the caller's thread. Tests stand in a scripted runner.
class CommandRunner {
public:
    using Done = std::function<void(const CommandResult &)>;
    virtual ~CommandRunner() = default;

    // Starts `program` with `arguments`; `done` runs once, later, unless
    // cancel() comes first.
    virtual void start(const QString &program, const QStringList &arguments, Done done) = 0;
    // Stops the running command; its `done` is not called.
    virtual void cancel() = 0;
};

// QProcess with an argument list (no shell) and the C locale, so output is in
// the words the parsers know. A command that outlives `timeoutMs` is killed.
class ProcessRunner : public CommandRunner {
public:
    explicit ProcessRunner(int timeoutMs = 15000);
    ~ProcessRunner() override;

    void start(const QString &program, const QStringList &arguments, Done done) override;
    void cancel() override;

private:
    void release();

    int m_timeoutMs;
    QProcess *m_process = nullptr;
    QTimer *m_deadline = nullptr;
};
