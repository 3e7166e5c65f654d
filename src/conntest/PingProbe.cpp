#include "PingProbe.h"

#include <QRegularExpression>
#include <QTimer>

PingProbe::PingProbe(std::unique_ptr<CommandRunner> runner, QObject *parent)
    : QObject(parent)
    , m_runner(runner ? std::move(runner) : std::make_unique<ProcessRunner>()) {}

PingProbe::~PingProbe() = default;

QStringList PingProbe::arguments(const QString &host) {
    // Numeric output, one echo request, two seconds for the reply.
    return {QStringLiteral("-n"), QStringLiteral("-c"), QStringLiteral("1"),
            QStringLiteral("-W"), QStringLiteral("2"),  host};
}

bool PingProbe::isPlainHost(const QString &host) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._:%][A-Za-z0-9._:%-]*$"));
    return host.size() <= 253 && plain.match(host).hasMatch();
}

PingProbe::Outcome PingProbe::parse(const CommandResult &result) {
    Outcome outcome;
    if (!result.started) {
        outcome.kind = Outcome::NoPing;
        return outcome;
    }
    // "PING www.example.org (93.184.216.34) 56(84) bytes of data."
    static const QRegularExpression target(
        QStringLiteral("^PING [^\\s(]+ ?\\(([0-9A-Fa-f.:]+)\\)"));
    outcome.address = target.match(QString::fromLatin1(result.standardOutput)).captured(1);
    // iputils: "rtt min/avg/max/mdev = a/b/c/d ms"; BusyBox: "round-trip min/avg/max = a/b/c ms".
    static const QRegularExpression summary(
        QStringLiteral("min/avg/max(?:/m?dev)? = [0-9.]+/([0-9]+(?:\\.[0-9]+)?)/"));
    const QRegularExpressionMatch match = summary.match(QString::fromLatin1(result.standardOutput));
    if (match.hasMatch()) {
        outcome.kind = Outcome::Reply;
        outcome.averageText = match.captured(1);
        outcome.averageMs = outcome.averageText.toDouble();
        return outcome;
    }
    // The resolver's words as ping prints them on standard error (glibc, BusyBox).
    static const QRegularExpression unresolved(
        QStringLiteral("Name or service not known|Temporary failure in name resolution|"
                       "No address associated with hostname|unknown host|bad address"),
        QRegularExpression::CaseInsensitiveOption);
    outcome.kind = unresolved.match(QString::fromLatin1(result.standardError)).hasMatch()
                       ? Outcome::UnknownHost
                       : Outcome::NoReply;
    return outcome;
}

void PingProbe::ping(const QString &host) {
    stop();
    if (!isPlainHost(host)) {
        // Reported from the event loop like every other outcome.
        QTimer::singleShot(0, this, [this, generation = m_generation] {
            if (generation != m_generation)
                return;
            Outcome bad;
            bad.kind = Outcome::BadHost;
            Q_EMIT finished(bad);
        });
        return;
    }
    m_runner->start(program, arguments(host),
                    [this](const CommandResult &result) { Q_EMIT finished(parse(result)); });
}

void PingProbe::stop() {
    ++m_generation;
    m_runner->cancel();
}
