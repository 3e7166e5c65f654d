#pragma once

#include "CommandRunner.h"

#include <QObject>
#include <memory>

// One single-packet ping, "ping -n -c 1 -W 2 HOST", run without a shell and
// read in the C locale. The average round-trip time comes from the summary
// line ("rtt min/avg/max/mdev = 0.045/0.045/0.045/0.000 ms").
class PingProbe : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        enum Kind {
            Reply,       // answered; averageText holds the time as ping printed it
            NoReply,     // sent, nothing came back in time
            UnknownHost, // the name does not resolve
            NoPing,      // the ping program is missing or cannot run
            BadHost,     // the host text is not a host name or address
        };
        Kind kind = NoReply;
        QString averageText; // milliseconds, e.g. "12.345"
        double averageMs = 0;
        QString address; // the address ping sent to, from its first line; may be empty
    };

    static inline const QString program = QStringLiteral("ping");

    explicit PingProbe(std::unique_ptr<CommandRunner> runner = nullptr, QObject *parent = nullptr);
    ~PingProbe() override;

    // Starts one ping; finished() follows once. A ping still running is
    // dropped first.
    void ping(const QString &host);
    // Drops the running ping; finished() is not sent for it.
    void stop();

    static QStringList arguments(const QString &host);
    // A host name or address that cannot be taken for an option or anything
    // else: letters, digits, '.', '-', ':', '_', '%' only, no leading '-'.
    static bool isPlainHost(const QString &host);
    static Outcome parse(const CommandResult &result);

Q_SIGNALS:
    void finished(const PingProbe::Outcome &outcome);

private:
    std::unique_ptr<CommandRunner> m_runner;
    quint64 m_generation = 0; // bumped by stop(): a pending refusal is dropped
};
