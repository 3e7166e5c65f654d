#include "scan/WifiCodes.h"
#include "scan/sim/ScenarioReader.h"
#include "scan/sim/SimulatedInterface.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

QString bssidOf(int n) {
    return QStringLiteral("00:00:00:00:00:%1").arg(n, 2, 10, QLatin1Char('0'));
}
QJsonObject net(int n, const QJsonArray &phy = {4}, const QJsonArray &security = {4}) {
    QJsonObject o{{"channel", 6}, {"band", 1}, {"width", 1}, {"phy", phy}, {"security", security}};
    o.insert("ssid", QStringLiteral("net-%1").arg(n));
    o.insert("bssid", bssidOf(n));
    o.insert("rssi", -40 - n);
    return o;
}
QJsonObject scan(const QJsonArray &networks, const QJsonValue &joined = {}) {
    return {{"networks", networks}, {"joined", joined}};
}
std::unique_ptr<SimulatedInterface> load(const QJsonArray &scans, QJsonObject top = {}) {
    top.insert("scans", scans);
    QString error;
    auto iface = SimulatedInterface::fromJson(QJsonDocument(top).toJson(), "n.json", &error);
    if (!iface)
        qWarning("%s", qPrintable(error));
    return iface;
}
// Scan i hears only network i and is joined to it, unless it is listed in failing.
std::unique_ptr<SimulatedInterface> numberedScans(int count, const QString &repeat = {},
                                                  const QList<int> &failing = {}) {
    QJsonArray scans;
    for (int i = 0; i < count; ++i) {
        QJsonObject s = scan({net(i)}, bssidOf(i));
        if (failing.contains(i))
            s.insert("error", true);
        scans.append(s);
    }
    return load(scans, repeat.isEmpty() ? QJsonObject{} : QJsonObject{{"repeat", repeat}});
}
// Which numbered scan a call played: the one network it heard, or -1 on failure.
int play(SimulatedInterface &iface, QString *error = nullptr) {
    const auto results = iface.playNextScan(error);
    return !results ? -1 : results->size() == 1 ? results->at(0).bssid.right(2).toInt() : -2;
}
// What the interface says about the joined network: ssid bssid rssi
// channel band width phy security, "-" for a null text.
QString joined(const SimulatedInterface &i) {
    const auto text = [](const QString &s) { return s.isNull() ? QStringLiteral("-") : s; };
    const WlanChannel c = i.wlanChannel();
    QStringList parts{text(i.ssid()), text(i.bssid())};
    for (const int v : {i.rssiValue(), c.channelNumber, c.channelBand, c.channelWidth,
                        i.activePHYMode(), i.security()})
        parts << QString::number(v);
    return parts.join(' ');
}
const QString kNotJoined = QStringLiteral("- - 0 0 0 0 0 0");
// Switches the power; "at the call/after the answer/ok or refused".
QString switchPower(SimulatedInterface &iface, bool on) {
    QSignalSpy finished(&iface, &WirelessInterface::powerSwitchFinished);
    iface.setPowerAsync(on);
    const bool atCall = iface.powered();
    if (!finished.wait(5000))
        return QStringLiteral("no answer");
    return QStringLiteral("%1/%2/%3")
        .arg(atCall)
        .arg(iface.powered())
        .arg(finished.at(0).at(1).toBool() ? "ok" : "refused");
}

} // namespace

class TestSimulatedInterface : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void playbackOrder_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("repeat");
        QTest::addColumn<QString>("played");
        const auto row = [](const char *name, int count, const char *repeat, const char *played) {
            QTest::newRow(name) << count << QString(repeat) << QString(played);
        };
        row("last keeps the last", 3, "last", "0 1 2 2 2");
        row("cycle wraps", 3, "cycle", "0 1 2 0 1 2 0");
        row("single scan cycle", 1, "cycle", "0 0 0");
    }
    void playbackOrder() {
        QFETCH(int, count);
        QFETCH(QString, repeat);
        QFETCH(QString, played);
        auto iface = numberedScans(count, repeat);
        QVERIFY(iface);
        QCOMPARE(iface->bssid(), bssidOf(0)); // the first scan's state before any scan
        QStringList got;
        for (int i = 0; i < played.count(' ') + 1; ++i) {
            const int n = play(*iface);
            QVERIFY(iface->currentScanIndex() == n && iface->bssid() == bssidOf(n));
            got << QString::number(n);
        }
        QCOMPARE(got.join(' '), played);
        QCOMPARE(iface->scansPlayed(), got.size());
    }

    // A failed scan still moves the recording on, and its joined network shows; a scenario
    // that does not read gives no interface.
    void errorScans() {
        auto iface = numberedScans(3, "cycle", {1});
        QVERIFY(iface);
        QString error;
        QCOMPARE(play(*iface, &error), 0);
        QVERIFY(error.isEmpty());
        QCOMPARE(play(*iface, &error), -1);
        QVERIFY2(error.contains("scans[1]") && error.contains("n.json"), qPrintable(error));
        QCOMPARE(iface->bssid(), bssidOf(1));
        QCOMPARE(QList<int>({play(*iface), play(*iface), play(*iface)}), QList<int>({2, 0, -1}));
        QVERIFY(!SimulatedInterface::fromJson("{\"scans\": []}", "x.json", &error));
        QCOMPARE(error, "x.json: scans: must hold at least one scan");
    }

    // The highest PHY and the lowest (weakest) security code stand for the link; results keep
    // the file's order. Not joined: null texts and zeros, never the previous network.
    void joinedNetwork() {
        auto iface = load({scan({net(9, {2, 3}, {13, 11, 4}), net(1)}, bssidOf(9)),
                           scan({net(2)}, QJsonValue::Null)},
                          {{"interface", QJsonObject{{"name", "wlp3s0"}}}});
        QVERIFY(iface);
        QCOMPARE(iface->interfaceName() + ' ' + joined(*iface),
                 "wlp3s0 net-9 00:00:00:00:00:09 -49 6 1 1 3 4");
        const auto results = iface->playNextScan(nullptr);
        QVERIFY(results && results->size() == 2 && results->at(0).associated &&
                results->at(1).bssid == bssidOf(1) && !results->at(1).associated);
        QCOMPARE(play(*iface), 2);
        QCOMPARE(joined(*iface), kNotJoined);
    }

    // Off, the radio is joined to nothing and hears nothing; the recording
    // waits. The file may start it off. A switch is answered through the
    // event loop; only a change is announced as one.
    void power() {
        auto iface = load({scan({net(0)}, bssidOf(0)), scan({net(1)}, bssidOf(1))},
                          {{"interface", QJsonObject{{"powered", false}}}});
        QVERIFY(iface && !iface->powered());
        QSignalSpy changes(iface.get(), &WirelessInterface::poweredChanged);
        QCOMPARE(joined(*iface), kNotJoined);
        QString error;
        QCOMPARE(play(*iface, &error), -1);
        QVERIFY2(error.contains("powered off") && iface->scansPlayed() == 0, qPrintable(error));
        QCOMPARE(switchPower(*iface, true), "0/1/ok");
        QCOMPARE(iface->ssid(), "net-0");
        QCOMPARE(play(*iface), 0);
        QCOMPARE(switchPower(*iface, false), "1/0/ok");
        QCOMPARE(joined(*iface), kNotJoined);
        QCOMPARE(play(*iface), -1);
        QCOMPARE(switchPower(*iface, false), "0/0/ok");
        QCOMPARE(switchPower(*iface, true), "0/1/ok");
        QCOMPARE(iface->bssid(), bssidOf(0));
        QCOMPARE(play(*iface), 1);
        QCOMPARE(iface->scansPlayed(), 2);
        QCOMPARE(changes.count(), 3);
    }

    // Scans answer through the event loop, never inside the call, and move the
    // recording on when answered; a read of the current networks leaves it
    // where it is, also for the read statistics. Per request: the scan shown
    // at the call > the network answered @ the scan shown after.
    void answersThroughTheEventLoop() {
        auto iface = numberedScans(3);
        QVERIFY(iface);
        QObject context;
        const auto ask = [&](bool scan) {
            int calls = 0;
            QString heard;
            const auto done = [&](const ScanOutcome &outcome) {
                ++calls;
                heard = outcome.networks ? outcome.networks->value(0).bssid.right(2) : "err";
            };
            if (scan)
                iface->scanForNetworks(&context, done);
            else
                iface->readCurrentNetworks(&context, done);
            const QString atCall = QString::number(iface->currentScanIndex()) + (calls ? "!" : "");
            if (!QTest::qWaitFor([&] { return calls > 0; }, 5000))
                return QStringLiteral("no answer");
            return QStringLiteral("%1>%2@%3").arg(atCall, heard).arg(iface->currentScanIndex());
        };
        QStringList got;
        for (const bool scan : {false, true, false, false, true, false})
            got << ask(scan);
        QCOMPARE(got.join(' '), "0>00@0 0>00@0 0>00@0 0>00@0 0>01@1 1>01@1");
        QCOMPARE(iface->scansPlayed(), 2);
        QCOMPARE(iface->readStatistics().heard, QStringList{bssidOf(1)});
    }

    // The bundled demo is what a user without Wi-Fi sees first. It plays round, joined to
    // HomeNet throughout, on consistent channels, with a hidden network, every band, a
    // network gone long enough to age out, and recorded beacon bodies the parser reads.
    void demoScenario() {
        QString error;
        const auto demo = readScenarioFile(SimulatedInterface::demoScenarioPath(), &error);
        auto iface = SimulatedInterface::fromFile(SimulatedInterface::demoScenarioPath(), &error);
        QVERIFY2(demo && iface, qPrintable(error));
        QVERIFY(iface->powered() && iface->ssid() == "HomeNet");
        for (int i = 0; i <= demo->scans.size(); ++i)
            QVERIFY2(iface->playNextScan(&error), qPrintable(error));
        QCOMPARE(iface->currentScanIndex(), 0);
        QSet<int> bands;
        QMap<QString, int> lastHeard; // by BSSID
        bool hidden = false;
        int longestGap = 0;
        for (int i = 0; i < demo->scans.size(); ++i) {
            const ScenarioScan &scan = demo->scans[i];
            QVERIFY(!scan.error && scan.networks.value(scan.joinedIndex).ssid == "HomeNet");
            for (const ScanResult &r : scan.networks) {
                QCOMPARE(r.frequencyMhz, channelFrequencyMhz(r.channelBand, r.channelNumber));
                bands << r.channelBand;
                hidden = hidden || r.ssid.isNull();
                longestGap = std::max(longestGap, i - lastHeard.value(r.bssid, i) - 1);
                lastHeard[r.bssid] = i;
            }
        }
        QVERIFY(hidden && bands.size() == 3);
        QVERIFY2(longestGap >= 6, qPrintable(QString::number(longestGap)));
        QFile file(SimulatedInterface::demoScenarioPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray first =
            QJsonDocument::fromJson(file.readAll())["scans"][0]["networks"].toArray();
        int raw = 0;
        for (qsizetype i = 0; i < first.size(); ++i) {
            const ScanResult &r = demo->scans.at(0).networks.at(i);
            if (first.at(i).toObject().contains("ies") && ++raw)
                QVERIFY2(!r.ssid.isEmpty() && r.phyModes.any() && r.securityModes.any() &&
                             r.channelWidth != ChannelWidth::Unknown,
                         qPrintable(r.bssid));
        }
        QVERIFY(raw >= 2);
    }
};

QTEST_GUILESS_MAIN(TestSimulatedInterface)
#include "tst_sim_interface.moc"
