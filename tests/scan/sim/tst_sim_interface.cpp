#include "scan/sim/SimulatedInterface.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

QJsonObject net(const QString &bssid, int rssi = -60, const QJsonArray &phy = {4},
                const QJsonArray &security = {4}) {
    return {{"ssid", QStringLiteral("net-") + bssid.right(2)},
            {"bssid", bssid},
            {"rssi", rssi},
            {"channel", 6},
            {"band", 1},
            {"width", 1},
            {"phy", phy},
            {"security", security}};
}

QString bssidOf(int n) {
    return QStringLiteral("00:00:00:00:00:%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Scan i hears only network i and is joined to it, unless it is listed in failing.
std::unique_ptr<SimulatedInterface> numberedScans(int count, const QString &repeat,
                                                  const QList<int> &failing = {}) {
    QJsonArray scans;
    for (int i = 0; i < count; ++i) {
        QJsonObject scan{{"joined", bssidOf(i)}, {"networks", QJsonArray{net(bssidOf(i))}}};
        if (failing.contains(i))
            scan.insert(QStringLiteral("error"), true);
        scans.append(scan);
    }
    QJsonObject top{{"scans", scans}};
    if (!repeat.isEmpty())
        top.insert(QStringLiteral("repeat"), repeat);
    QString error;
    auto iface =
        SimulatedInterface::fromJson(QJsonDocument(top).toJson(), QStringLiteral("n.json"), &error);
    if (!iface)
        qWarning("%s", qPrintable(error));
    return iface;
}

// Which numbered scan a call played: the one network it heard, or -1 on failure.
int play(SimulatedInterface &iface, QString *error = nullptr) {
    const auto results = iface.scanForNetworks(error);
    if (!results)
        return -1;
    return results->size() == 1 ? results->at(0).bssid.right(2).toInt() : -2;
}

} // namespace

class TestSimulatedInterface : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void playbackOrder_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("repeat");
        QTest::addColumn<QList<int>>("played");
        QTest::newRow("last keeps the last") << 3 << "last" << QList<int>{0, 1, 2, 2, 2, 2};
        QTest::newRow("default is last") << 3 << QString() << QList<int>{0, 1, 2, 2, 2};
        QTest::newRow("cycle wraps") << 3 << "cycle" << QList<int>{0, 1, 2, 0, 1, 2, 0};
        QTest::newRow("single scan last") << 1 << "last" << QList<int>{0, 0, 0};
        QTest::newRow("single scan cycle") << 1 << "cycle" << QList<int>{0, 0, 0};
    }

    void playbackOrder() {
        QFETCH(int, count);
        QFETCH(QString, repeat);
        QFETCH(QList<int>, played);
        auto iface = numberedScans(count, repeat);
        QVERIFY(iface);
        QCOMPARE(iface->bssid(), bssidOf(0)); // the first scan's state before any scan
        for (int i = 0; i < played.size(); ++i) {
            QCOMPARE(play(*iface), played[i]);
            QCOMPARE(iface->scansPlayed(), i + 1);
            QCOMPARE(iface->currentScanIndex(), played[i]);
            QCOMPARE(iface->bssid(), bssidOf(played[i]));
        }
    }

    void resultsKeepFileOrder() {
        const QJsonArray networks{net(bssidOf(7)), net(bssidOf(2)), net(bssidOf(5)),
                                  net(bssidOf(1))};
        const QJsonObject top{{"scans", QJsonArray{QJsonObject{{"networks", networks}}}}};
        auto iface = SimulatedInterface::fromJson(QJsonDocument(top).toJson(), QString(), nullptr);
        QVERIFY(iface);
        const auto results = iface->scanForNetworks(nullptr);
        QVERIFY(results);
        QStringList order;
        for (const ScanResult &r : *results)
            order << r.bssid;
        QCOMPARE(order, (QStringList{bssidOf(7), bssidOf(2), bssidOf(5), bssidOf(1)}));
    }

    void errorScans() {
        auto iface = numberedScans(3, QStringLiteral("cycle"), {1});
        QVERIFY(iface);
        QString error;
        QCOMPARE(play(*iface, &error), 0);
        QVERIFY(error.isEmpty());
        QCOMPARE(play(*iface, &error), -1);
        QVERIFY2(error.contains(QLatin1String("scans[1]")) &&
                     error.contains(QLatin1String("n.json")),
                 qPrintable(error));
        // A failed scan still moves the recording on, and its joined network shows.
        QCOMPARE(iface->bssid(), bssidOf(1));
        QCOMPARE(play(*iface, nullptr), 2);
        QCOMPARE(play(*iface, nullptr), 0);
        QCOMPARE(play(*iface, nullptr), -1);
    }

    void joinedNetwork_data() {
        QTest::addColumn<QJsonArray>("phy");
        QTest::addColumn<QJsonArray>("security");
        QTest::addColumn<int>("phyMode");
        QTest::addColumn<int>("securityCode");
        QTest::newRow("wpa2 on ax") << QJsonArray{1, 4, 5, 6} << QJsonArray{4} << 6 << 4;
        QTest::newRow("lowest of several methods")
            << QJsonArray{2, 3} << QJsonArray{13, 11, 4} << 3 << 4;
        QTest::newRow("open beats owe") << QJsonArray{7, 6} << QJsonArray{14, 0} << 7 << 0;
        QTest::newRow("transition alone") << QJsonArray{4} << QJsonArray{13} << 4 << 13;
        QTest::newRow("b only, wep") << QJsonArray{2} << QJsonArray{1} << 2 << 1;
    }

    void joinedNetwork() {
        QFETCH(QJsonArray, phy);
        QFETCH(QJsonArray, security);
        QFETCH(int, phyMode);
        QFETCH(int, securityCode);
        QJsonObject joined = net(QStringLiteral("02:00:00:00:00:AB"), -47, phy, security);
        joined.insert(QStringLiteral("channel"), 149);
        joined.insert(QStringLiteral("band"), 2);
        joined.insert(QStringLiteral("width"), 3);
        const QJsonObject top{
            {"interface", QJsonObject{{"name", "wlp3s0"}}},
            {"scans", QJsonArray{QJsonObject{{"joined", "02:00:00:00:00:ab"},
                                             {"networks", QJsonArray{net(bssidOf(1)), joined}}}}}};
        auto iface = SimulatedInterface::fromJson(QJsonDocument(top).toJson(), QString(), nullptr);
        QVERIFY(iface);
        QCOMPARE(iface->interfaceName(), QStringLiteral("wlp3s0"));
        QCOMPARE(iface->ssid(), QStringLiteral("net-AB"));
        QCOMPARE(iface->bssid(), QStringLiteral("02:00:00:00:00:ab"));
        QCOMPARE(iface->rssiValue(), -47);
        QCOMPARE(iface->wlanChannel().channelNumber, 149);
        QCOMPARE(iface->wlanChannel().channelBand, 2);
        QCOMPARE(iface->wlanChannel().channelWidth, 3);
        QCOMPARE(iface->activePHYMode(), phyMode);
        QCOMPARE(iface->security(), securityCode);
        const auto results = iface->scanForNetworks(nullptr);
        QVERIFY(results && results->size() == 2);
        QVERIFY(!results->at(0).associated);
        QVERIFY(results->at(1).associated);
    }

    void notJoined() {
        const QJsonObject top{
            {"scans", QJsonArray{QJsonObject{{"joined", QJsonValue::Null},
                                             {"networks", QJsonArray{net(bssidOf(1))}}},
                                 QJsonObject{{"joined", bssidOf(2)},
                                             {"networks", QJsonArray{net(bssidOf(2))}}},
                                 QJsonObject{{"networks", QJsonArray{}}}}}};
        auto iface = SimulatedInterface::fromJson(QJsonDocument(top).toJson(), QString(), nullptr);
        QVERIFY(iface);
        const auto expectNotJoined = [&] {
            QVERIFY(iface->ssid().isNull());
            QVERIFY(iface->bssid().isNull());
            QCOMPARE(iface->rssiValue(), 0);
            QCOMPARE(iface->security(), 0);
            QCOMPARE(iface->activePHYMode(), 0);
            QCOMPARE(iface->wlanChannel().channelNumber, 0);
            QCOMPARE(iface->wlanChannel().channelBand, 0);
            QCOMPARE(iface->wlanChannel().channelWidth, 0);
        };
        expectNotJoined();
        QVERIFY(iface->scanForNetworks(nullptr));
        expectNotJoined();
        const auto second = iface->scanForNetworks(nullptr);
        QVERIFY(second && second->at(0).associated);
        QCOMPARE(iface->bssid(), bssidOf(2));
        const auto third = iface->scanForNetworks(nullptr);
        QVERIFY(third && third->isEmpty());
        expectNotJoined();
    }

    void power() {
        auto iface = numberedScans(3, QStringLiteral("last"));
        QVERIFY(iface);
        QVERIFY(iface->powered());
        QCOMPARE(play(*iface), 0);
        QString error;
        QVERIFY(iface->setPower(false, &error));
        QVERIFY(!iface->powered());
        QVERIFY(iface->bssid().isNull());
        QCOMPARE(iface->rssiValue(), 0);
        QCOMPARE(play(*iface, &error), -1);
        QVERIFY2(error.contains(QLatin1String("powered off")), qPrintable(error));
        QCOMPARE(iface->scansPlayed(), 1);
        // The recording waits while the radio is off.
        QVERIFY(iface->setPower(true, nullptr));
        QCOMPARE(iface->bssid(), bssidOf(0));
        QCOMPARE(play(*iface), 1);
    }

    void startsPoweredOffFromFile() {
        const QJsonObject top{
            {"interface", QJsonObject{{"powered", false}}},
            {"scans", QJsonArray{QJsonObject{{"joined", bssidOf(0)},
                                             {"networks", QJsonArray{net(bssidOf(0))}}}}}};
        auto iface = SimulatedInterface::fromJson(QJsonDocument(top).toJson(), QString(), nullptr);
        QVERIFY(iface);
        QVERIFY(!iface->powered());
        QVERIFY(iface->ssid().isNull());
        QVERIFY(!iface->scanForNetworks(nullptr));
        QVERIFY(iface->setPower(true, nullptr));
        QCOMPARE(iface->ssid(), QStringLiteral("net-00"));
        QCOMPARE(play(*iface), 0);
    }

    void badScenarioGivesNoInterface() {
        QString error;
        QVERIFY(!SimulatedInterface::fromJson("{\"scans\": []}", QStringLiteral("x.json"), &error));
        QCOMPARE(error, QStringLiteral("x.json: scans: must hold at least one scan"));
        QVERIFY(!SimulatedInterface::fromFile(QStringLiteral("/nonexistent/s.json"), &error));
        QVERIFY(error.startsWith(QLatin1String("/nonexistent/s.json: ")));
    }
};

QTEST_GUILESS_MAIN(TestSimulatedInterface)
#include "tst_sim_interface.moc"
