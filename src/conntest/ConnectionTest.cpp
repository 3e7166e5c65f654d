#include "ConnectionTest.h"

#include <QHostInfo>
#include <QLoggingCategory>
#include <cmath>

Q_LOGGING_CATEGORY(lcConnTest, "airlume.conntest", QtInfoMsg)

namespace {

const QString &na() {
    return HostNetworkInfo::notAvailable;
}

QString failureSummary(PingProbe::Outcome::Kind kind, int attempt) {
    switch (kind) {
    case PingProbe::Outcome::UnknownHost:
        return QStringLiteral("Unknown host");
    case PingProbe::Outcome::NoPing:
        return QStringLiteral("ping is not installed (package iputils-ping)");
    case PingProbe::Outcome::BadHost:
        return QStringLiteral("Not a host name or address");
    default:
        return QStringLiteral("Ping: %1 of %2, no reply")
            .arg(attempt)
            .arg(ConnectionTest::attemptsPerHost);
    }
}

} // namespace

ConnectionTest::ConnectionTest(std::unique_ptr<PingProbe> probe, Lookup lookup, QObject *parent)
    : QObject(parent)
    , m_probe(probe ? std::move(probe) : std::make_unique<PingProbe>())
    , m_lookup(lookup ? std::move(lookup) : hostInfoLookup()) {
    m_timer.setInterval(refreshIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ConnectionTest::reloadColumns);
    connect(m_probe.get(), &PingProbe::finished, this, &ConnectionTest::attemptFinished);
}

ConnectionTest::~ConnectionTest() {
    stop();
}

ConnectionTest::Lookup ConnectionTest::hostInfoLookup() {
    return [](const QString &name, QObject *context, std::function<void(const QString &)> done) {
        QHostInfo::lookupHost(name, context, [done](const QHostInfo &info) {
            const QList<QHostAddress> addresses = info.addresses();
            for (const QHostAddress &address : addresses) {
                if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                    done(address.toString());
                    return;
                }
            }
            qCInfo(lcConnTest) << "Not resolved:" << info.hostName() << info.errorString();
            done(na());
        });
    };
}

QString ConnectionTest::attemptText(int attempt, double averageMs) {
    // Rounded up from single precision, as the time is shown everywhere else.
    const double shown = std::ceil(static_cast<float>(averageMs));
    return QStringLiteral("Ping: %1 of %2, %3 msec latency")
        .arg(attempt)
        .arg(attemptsPerHost)
        .arg(shown, 0, 'f', 0);
}

int ConnectionTest::leadingInteger(const QString &text) {
    qsizetype digits = 0;
    while (digits < text.size() && text.at(digits).isDigit())
        ++digits;
    return text.left(digits).toInt();
}

ConnectionTest::Verdict ConnectionTest::verdictFor(const Row &row,
                                                   const QHash<QString, QString> &latencyDict) {
    if (row.host == na())
        return {QStringLiteral("Failed :No IP available"), Tone::Red};
    if (const auto latency = latencyDict.constFind(row.host); latency != latencyDict.cend()) {
        if (leadingInteger(*latency) <= 100)
            return {QStringLiteral("Pass"), Tone::Green};
        return {QStringLiteral("Warning: high latency"), Tone::Yellow};
    }
    if (!row.settled)
        return {QStringLiteral("Processing"), Tone::None};
    switch (row.failure.value_or(PingProbe::Outcome::NoReply)) {
    case PingProbe::Outcome::UnknownHost:
        return {QStringLiteral("Failed :Unknown host"), Tone::Red};
    case PingProbe::Outcome::NoPing:
        return {QStringLiteral("Failed :No ping program"), Tone::Red};
    case PingProbe::Outcome::BadHost:
        return {QStringLiteral("Failed :Invalid host"), Tone::Red};
    default:
        return {QStringLiteral("No reply"), Tone::Red};
    }
}

bool ConnectionTest::start(const HostNetworkInfo::HostNames &hosts) {
    stop();
    if (!hosts.connected) {
        reloadColumns();
        return false;
    }
    m_referenceHost = hosts.dnsLookup;
    const QString hostOf[] = {hosts.dnsReachability, hosts.gatwayReachability, hosts.dnsLookup,
                              QString()};
    for (int i = 0; i < connectionTestArray.size(); ++i) {
        Row row;
        row.name = connectionTestArray.at(i);
        row.host = hostOf[i];
        if (row.host.isEmpty() && i != InternetRow)
            row.host = na();
        m_rows << row;
    }
    m_lookup(m_referenceHost, this, [this, run = m_run](const QString &address) {
        if (run == m_run)
            lookupFinished(address);
    });
    nextRow();
    m_timer.start();
    reloadColumns();
    return true;
}

void ConnectionTest::stop() {
    ++m_run;
    m_timer.stop();
    m_probe->stop();
    m_rows.clear();
    m_latencyDict.clear();
    m_referenceAddress.clear();
    m_waitingForLookup = false;
    m_current = -1;
    m_attempt = 0;
}

void ConnectionTest::lookupFinished(const QString &address) {
    m_referenceAddress = address.isEmpty() ? na() : address;
    if (InternetRow < m_rows.size()) {
        m_rows[InternetRow].host = m_referenceAddress;
        Q_EMIT rowChanged(InternetRow);
    }
    if (m_waitingForLookup) {
        m_waitingForLookup = false;
        --m_current; // nextRow() comes back to the row that waited
        nextRow();
    }
}

void ConnectionTest::nextRow() {
    ++m_current;
    m_attempt = 0;
    while (m_current < m_rows.size()) {
        Row &row = m_rows[m_current];
        if (row.host.isEmpty()) { // the address is still being looked up
            m_waitingForLookup = true;
            return;
        }
        if (row.host != na()) {
            startAttempt();
            return;
        }
        row.summary = na();
        settle(m_current);
        ++m_current;
    }
    m_current = -1;
}

void ConnectionTest::startAttempt() {
    ++m_attempt;
    Row &row = m_rows[m_current];
    row.summary = QStringLiteral("Ping: %1 of %2").arg(m_attempt).arg(attemptsPerHost);
    Q_EMIT rowChanged(m_current);
    m_probe->ping(row.host);
}

void ConnectionTest::attemptFinished(const PingProbe::Outcome &outcome) {
    if (m_current < 0 || m_current >= m_rows.size())
        return;
    Row &row = m_rows[m_current];
    bool hopeless = false;
    if (outcome.kind == PingProbe::Outcome::Reply) {
        m_latencyDict.insert(row.host, outcome.averageText);
        row.failure.reset();
        if (row.host == m_referenceHost) {
            const QString address = m_referenceAddress.isEmpty() || m_referenceAddress == na()
                                        ? outcome.address
                                        : m_referenceAddress;
            row.summary = QStringLiteral("IP address: %1").arg(address.isEmpty() ? na() : address);
        } else {
            row.summary = attemptText(m_attempt, outcome.averageMs);
        }
    } else {
        row.failure = outcome.kind;
        row.summary = failureSummary(outcome.kind, m_attempt);
        // Nothing changes between attempts for these: stop at the first.
        hopeless = outcome.kind != PingProbe::Outcome::NoReply;
    }
    qCDebug(lcConnTest).noquote() << row.name << row.host << row.summary;
    Q_EMIT rowChanged(m_current);
    if (!hopeless && m_attempt < attemptsPerHost) {
        startAttempt();
        return;
    }
    settle(m_current);
    nextRow();
}

void ConnectionTest::settle(int row) {
    m_rows[row].settled = true;
    Q_EMIT rowChanged(row);
}

void ConnectionTest::reloadColumns() {
    qCDebug(lcConnTest) << "Timer Fired";
    bool allSettled = true;
    for (Row &row : m_rows) {
        row.verdict = verdictFor(row, m_latencyDict);
        allSettled = allSettled && row.settled;
    }
    if (m_rows.isEmpty() || allSettled)
        m_timer.stop();
    Q_EMIT verdictsReloaded();
}
