#include "scan/WifiCodes.h"
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
        const auto demo = readScenarioFile(SimulatedInterface::demoScenarioPath(), &error);
        QVERIFY2(demo, qPrintable(error));
        m_demo = *demo;
    }

    // About three minutes at one scan per five seconds, joined to HomeNet
    // throughout, then round again.
    void playsAsInterface() {
        QString error;
        auto iface = SimulatedInterface::fromFile(SimulatedInterface::demoScenarioPath(), &error);
        QVERIFY2(iface, qPrintable(error));
        QVERIFY(iface->powered() && iface->ssid() == "HomeNet");
        QCOMPARE(iface->wlanChannel().channelBand, Band::Ghz5);
        QCOMPARE(m_demo.repeat, Scenario::Repeat::Cycle);
        QVERIFY(m_demo.scans.size() >= 30 && m_demo.scans.size() <= 42);
        for (const ScenarioScan &scan : std::as_const(m_demo.scans))
            QVERIFY(!scan.error && scan.joinedIndex >= 0 &&
                    scan.networks.at(scan.joinedIndex).ssid == "HomeNet");
        for (int i = 0; i <= m_demo.scans.size(); ++i)
            QVERIFY2(iface->playNextScan(&error), qPrintable(error));
        QCOMPARE(iface->currentScanIndex(), 0);
    }

    void coversTheVariety() {
        QSet<int> bands, widths, phys, securities;
        QMap<QString, QSet<QString>> bssidsOfSsid;
        QMap<QString, QList<int>> rssiOf, heardIn; // by BSSID
        bool hidden = false, commaAndAccent = false;
        for (int i = 0; i < m_demo.scans.size(); ++i) {
            for (const ScanResult &r : m_demo.scans[i].networks) {
                QVERIFY2(r.channelNumber > 0 && r.frequencyMhz > 0, qPrintable(r.bssid));
                QCOMPARE(r.frequencyMhz, channelFrequencyMhz(r.channelBand, r.channelNumber));
                bands << r.channelBand;
                widths << r.channelWidth;
                phys << highestPhyMode(r.phyModes);
                securities << lowestSecurityCode(r.securityModes);
                hidden = hidden || r.ssid.isNull();
                commaAndAccent =
                    commaAndAccent || (r.ssid.contains(',') && r.ssid.contains(QChar(0xe9)));
                if (!r.ssid.isNull())
                    bssidsOfSsid[r.ssid] << r.bssid;
                rssiOf[r.bssid] << r.rssiValue;
                heardIn[r.bssid] << i;
            }
        }
        QVERIFY(hidden && commaAndAccent);
        QCOMPARE(bands, (QSet<int>{Band::Ghz2_4, Band::Ghz5, Band::Ghz6}));
        QVERIFY(widths.contains(
            {ChannelWidth::Mhz20, ChannelWidth::Mhz40, ChannelWidth::Mhz80, ChannelWidth::Mhz160}));
        QVERIFY(phys.contains({PhyMode::G, PhyMode::N, PhyMode::AC, PhyMode::AX, PhyMode::BE}));
        QVERIFY(securities.contains({Security::None, Security::WEP, Security::WPAWPA2Personal,
                                     Security::WPA2Personal, Security::WPA3Personal,
                                     Security::WPA2WPA3Personal, Security::WPA2Enterprise,
                                     Security::OWE}));
        QVERIFY(bssidsOfSsid.value("HomeNet").size() >= 3 && bssidsOfSsid.size() >= 10);
        // Signals wobble a few dB from scan to scan, never jump.
        for (auto it = rssiOf.cbegin(); it != rssiOf.cend(); ++it) {
            const QList<int> &v = it.value();
            QVERIFY2(*std::max_element(v.begin(), v.end()) > *std::min_element(v.begin(), v.end()),
                     qPrintable(it.key()));
            for (qsizetype i = 1; i < v.size(); ++i)
                QVERIFY2(std::abs(v[i] - v[i - 1]) <= 8, qPrintable(it.key()));
        }
        // A network gone for four scans ages out of the list; one must come back after.
        int longestGap = 0;
        for (const QList<int> &scans : std::as_const(heardIn))
            for (qsizetype i = 1; i < scans.size(); ++i)
                longestGap = std::max(longestGap, scans[i] - scans[i - 1] - 1);
        QVERIFY2(longestGap >= 6, qPrintable(QString::number(longestGap)));
    }

    // Recorded beacon bodies run through the element parser.
    void rawNetworksParse() {
        QFile file(SimulatedInterface::demoScenarioPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray first =
            QJsonDocument::fromJson(file.readAll())["scans"][0]["networks"].toArray();
        int raw = 0;
        for (qsizetype i = 0; i < first.size(); ++i) {
            if (!first.at(i).toObject().contains("ies"))
                continue;
            ++raw;
            const ScanResult &r = m_demo.scans.at(0).networks.at(i);
            QVERIFY2(!r.ssid.isEmpty() && r.phyModes.any() && r.securityModes.any() &&
                         r.channelWidth != ChannelWidth::Unknown,
                     qPrintable(r.bssid));
        }
        QVERIFY(raw >= 2);
    }
};

QTEST_GUILESS_MAIN(TestDemoScenario)
#include "tst_sim_demo.moc"
