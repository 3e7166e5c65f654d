#pragma once

#include "PingProbe.h"
#include "conninfo/HostNetworkInfo.h"

#include <QHash>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

// The connection test: four rows in a fixed order (the first name server,
// the default gateway, the reference host by name, the reference host's
// address), each pinged five times, one attempt after another and one row
// after another, never blocking. Every attempt's outcome is shown as it
// comes; a refresh timer turns the latencies into verdicts once a second
// and stops as soon as every row has its final verdict, also when two rows
// share a host or a host never answers.
class ConnectionTest : public QObject {
    Q_OBJECT
public:
    enum class Tone { None, Red, Green, Yellow };
    struct Verdict {
        QString text;
        Tone tone = Tone::None;
        bool operator==(const Verdict &) const = default;
    };
    struct Row {
        QString name;
        QString host;    // empty while the reference host's address is looked up
        QString summary; // the latest attempt, as shown
        Verdict verdict;
        bool settled = false; // every attempt has ended (or none can be made)
        std::optional<PingProbe::Outcome::Kind> failure; // why the last attempt got no reply
    };

    static inline const QStringList connectionTestArray = {
        QStringLiteral("DNS Reachable"), QStringLiteral("Gateway Reachable"),
        QStringLiteral("DNS Lookup"), QStringLiteral("Internet Reachable")};
    enum RowIndex { DnsRow, GatewayRow, LookupRow, InternetRow };
    static constexpr int attemptsPerHost = 5;
    // Public test pages the Tests menu opens in the browser.
    static inline const QString qualityTestPage =
        QStringLiteral("https://www.waveform.com/tools/bufferbloat");
    static inline const QString speedTestPage = QStringLiteral("https://www.speedtest.net/");
    static constexpr int refreshIntervalMs = 1000;

    // Resolves a name asynchronously and calls `done` with its IPv4 address,
    // or "N/A". `context` going away cancels the call.
    using Lookup = std::function<void(const QString &name, QObject *context,
                                      std::function<void(const QString &address)> done)>;

    // A null probe pings with the real ping; an empty lookup uses QHostInfo.
    explicit ConnectionTest(std::unique_ptr<PingProbe> probe = nullptr, Lookup lookup = {},
                            QObject *parent = nullptr);
    ~ConnectionTest() override;

    // Starts a run for these hosts. Without a usable name server there is
    // nothing to test: no rows, false.
    bool start(const HostNetworkInfo::HostNames &hosts);
    // Stops every ping and the timer and forgets the run.
    void stop();
    // The refresh timer's action: recomputes every verdict; stops the timer
    // when there are no rows or every row is settled.
    void reloadColumns();

    const QList<Row> &rows() const { return m_rows; }
    // Host -> average round-trip time in ms as ping printed it, latest reply.
    const QHash<QString, QString> &latencyDict() const { return m_latencyDict; }
    bool isRefreshing() const { return m_timer.isActive(); }
    bool isProbing() const { return m_current >= 0; }

    static Verdict verdictFor(const Row &row, const QHash<QString, QString> &latencyDict);
    // "Ping: 2 of 5, 13 msec latency": the time rounded up to whole ms.
    static QString attemptText(int attempt, double averageMs);
    // The leading integer of a latency text ("100.9" -> 100).
    static int leadingInteger(const QString &text);
    static Lookup hostInfoLookup();

Q_SIGNALS:
    void rowChanged(int row); // host or summary
    void verdictsReloaded();

private:
    void nextRow();
    void startAttempt();
    void attemptFinished(const PingProbe::Outcome &outcome);
    void settle(int row);
    void lookupFinished(const QString &address);

    std::unique_ptr<PingProbe> m_probe;
    Lookup m_lookup;
    QTimer m_timer;
    QList<Row> m_rows;
    QHash<QString, QString> m_latencyDict;
    QString m_referenceHost;
    QString m_referenceAddress; // empty until looked up
    bool m_waitingForLookup = false;
    int m_current = -1; // the row being pinged, -1 when none
    int m_attempt = 0;
    quint64 m_run = 0; // bumped by stop(): late answers of an old run are dropped
};
