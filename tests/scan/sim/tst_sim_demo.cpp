#include "scan/NetworkModel.h"
#include "scan/sim/ScenarioReader.h"
#include "scan/sim/SimulatedInterface.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QtTest>

// The bundled demo is what a user without Wi-Fi sees first; these are the
// situations it has to show.
class TestDemoScenario : public QObject {
    Q_OBJECT

    Scenario m_demo;

private Q_SLOTS:
    void initTestCase() {
        QString error;
        std::optional<Scenario> demo =
            readScenarioFile(SimulatedInterface::demoScenarioPath(), &error);
        QVERIFY2(demo, qPrintable(error));
        m_demo = *demo;
    }

    void playsAsInterface() {
        QString error;
        auto iface = SimulatedInterface::fromFile(SimulatedInterface::demoScenarioPath(), &error);
        QVERIFY2(iface, qPrintable(error));
        QVERIFY(iface->powered());
        QCOMPARE(iface->ssid(), QStringLiteral("HomeNet"));
        QCOMPARE(iface->wlanChannel().channelBand, Band::Ghz5);
        // About three minutes at one scan per five seconds, then round again.
        QCOMPARE(m_demo.repeat, Scenario::Repeat::Cycle);
        QVERIFY(m_demo.scans.size() >= 30 && m_demo.scans.size() <= 42);
        for (int i = 0; i <= m_demo.scans.size(); ++i)
            QVERIFY2(iface->scanForNetworks(&error), qPrintable(error));
        QCOMPARE(iface->currentScanIndex(), 0);
    }

    void joinedInEveryScan() {
        for (const ScenarioScan &scan : std::as_const(m_demo.scans)) {
            QVERIFY(!scan.error);
            QVERIFY(scan.joinedIndex >= 0);
            QCOMPARE(scan.networks.at(scan.joinedIndex).ssid, QStringLiteral("HomeNet"));
        }
    }

    // A network gone for four scans ages out of the list; it must come back after.
    void networkFadesAndReturns() {
        QMap<QString, QList<bool>> heard;
        for (qsizetype i = 0; i < m_demo.scans.size(); ++i) {
            for (const ScanResult &r : m_demo.scans[i].networks)
                heard[r.bssid].resize(m_demo.scans.size());
            for (const ScanResult &r : m_demo.scans[i].networks)
                heard[r.bssid][i] = true;
        }
        int longestGap = 0;
        for (const QList<bool> &seen : std::as_const(heard)) {
            const qsizetype first = seen.indexOf(true);
            const qsizetype last = seen.lastIndexOf(true);
            int gap = 0;
            for (qsizetype i = first; i <= last; ++i) {
                gap = seen[i] ? 0 : gap + 1;
                longestGap = std::max(longestGap, gap);
            }
        }
        QVERIFY2(longestGap >= 6, qPrintable(QString::number(longestGap)));
    }

    void coversTheVariety() {
        QSet<int> bands, widths, phys, securities;
        QMap<QString, QSet<QString>> bssidsOfSsid;
        bool hidden = false;
        bool commaAndAccent = false;
        QMap<QString, QList<int>> rssiOf;
        for (const ScenarioScan &scan : std::as_const(m_demo.scans)) {
            for (const ScanResult &r : scan.networks) {
                QVERIFY2(r.channelNumber > 0 && r.frequencyMhz > 0, qPrintable(r.bssid));
                QCOMPARE(r.frequencyMhz, NetworkModel::getNetworkFrequency(r));
                bands << r.channelBand;
                widths << r.channelWidth;
                phys << NetworkModel::activePHYModeForNetwork(r);
                securities << NetworkModel::securityCodeForNetwork(r);
                hidden = hidden || r.ssid.isNull();
                commaAndAccent = commaAndAccent || (r.ssid.contains(QLatin1Char(',')) &&
                                                    r.ssid.contains(QChar(0xe9)));
                if (!r.ssid.isNull())
                    bssidsOfSsid[r.ssid] << r.bssid;
                rssiOf[r.bssid] << r.rssiValue;
            }
        }
        QVERIFY(hidden);
        QVERIFY(commaAndAccent);
        QCOMPARE(bands, (QSet<int>{Band::Ghz2_4, Band::Ghz5, Band::Ghz6}));
        for (int w :
             {ChannelWidth::Mhz20, ChannelWidth::Mhz40, ChannelWidth::Mhz80, ChannelWidth::Mhz160})
            QVERIFY2(widths.contains(w), qPrintable(QString::number(w)));
        for (int p : {PhyMode::G, PhyMode::N, PhyMode::AC, PhyMode::AX, PhyMode::BE})
            QVERIFY2(phys.contains(p), qPrintable(QString::number(p)));
        for (int s : {Security::None, Security::WEP, Security::WPAWPA2Personal,
                      Security::WPA2Personal, Security::WPA3Personal, Security::WPA2WPA3Personal,
                      Security::WPA2Enterprise, Security::OWE})
            QVERIFY2(securities.contains(s), qPrintable(QString::number(s)));
        QVERIFY(bssidsOfSsid.value(QStringLiteral("HomeNet")).size() >= 3);
        QVERIFY(bssidsOfSsid.size() >= 10);
        // Signals wobble a few dB from scan to scan, never jump.
        for (auto it = rssiOf.cbegin(); it != rssiOf.cend(); ++it) {
            const QList<int> &values = it.value();
            QVERIFY2(*std::max_element(values.begin(), values.end()) >
                         *std::min_element(values.begin(), values.end()),
                     qPrintable(it.key()));
            for (qsizetype i = 1; i < values.size(); ++i)
                QVERIFY2(std::abs(values[i] - values[i - 1]) <= 8, qPrintable(it.key()));
        }
    }

    // Recorded beacon bodies run through the element parser.
    void rawNetworksParse() {
        QFile file(SimulatedInterface::demoScenarioPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray first = QJsonDocument::fromJson(file.readAll())
                                     .object()
                                     .value(QLatin1String("scans"))
                                     .toArray()
                                     .at(0)
                                     .toObject()
                                     .value(QLatin1String("networks"))
                                     .toArray();
        int raw = 0;
        for (qsizetype i = 0; i < first.size(); ++i) {
            if (!first.at(i).toObject().contains(QLatin1String("ies")))
                continue;
            ++raw;
            const ScanResult &r = m_demo.scans.at(0).networks.at(i);
            QVERIFY2(!r.ssid.isEmpty(), qPrintable(r.bssid));
            QVERIFY2(r.phyModes.any() && r.securityModes.any(), qPrintable(r.bssid));
            QVERIFY2(r.channelWidth != ChannelWidth::Unknown, qPrintable(r.bssid));
        }
        QVERIFY(raw >= 2);
    }
};

QTEST_GUILESS_MAIN(TestDemoScenario)
#include "tst_sim_demo.moc"
