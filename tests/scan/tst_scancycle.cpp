#include "scan/NetworkScanner.h"
#include "scan/OccupiedBand.h"
#include "scan/ScanCycle.h"
#include "scan/WifiCodes.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <memory>

namespace {

// "A B C": the SSIDs of a list in order (hidden: "-"), or the BSSIDs' last two digits.
QString names(const NetworkList &list, bool bssids = false) {
    QStringList parts;
    for (const NetworkModelPtr &r : list)
        parts << (bssids ? r->bssid.right(2) : r->ssid.isNull() ? QStringLiteral("-") : r->ssid);
    return parts.join(' ');
}

// Networks from "ssid:rssi" words (blank ssid: hidden), BSSIDs ...:01, ...:02 in order.
QList<ScanResult> networks(const QStringList &words) {
    QList<ScanResult> list;
    for (const QString &word : words) {
        const QString ssid = word.section(':', 0, 0);
        list << makeNetwork(
            ssid.isEmpty() ? QString() : ssid,
            QStringLiteral("aa:bb:cc:dd:ee:%1").arg(list.size() + 1, 2, 10, QChar('0')),
            word.section(':', 1, 1).toInt());
    }
    return list;
}

NetworkModelPtr findSsid(const NetworkList &list, const QString &ssid) {
    const auto it =
        std::find_if(list.begin(), list.end(), [&](auto &r) { return r->ssid == ssid; });
    return it == list.end() ? nullptr : *it;
}

void byBssidDescending(NetworkList &list) {
    std::sort(list.begin(), list.end(), [](auto &a, auto &b) { return a->bssid > b->bssid; });
}

// "ch36/80: 5170-5250" with " + low-high" for the second stretch of 80+80.
QString text(const OccupiedBand &o) {
    if (!o.isValid())
        return "invalid";
    QString t = QString("ch%1/%2: %3-%4")
                    .arg(o.primaryChannel)
                    .arg(o.widthMhz)
                    .arg(o.lowMhz)
                    .arg(o.highMhz);
    return t +
           (o.secondHighMhz ? QString(" + %1-%2").arg(o.secondLowMhz).arg(o.secondHighMhz) : "");
}

} // namespace

class TestScanCycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        QLoggingCategory::setFilterRules(QStringLiteral("airlume.scan.info=false"));
        m_cycle.reset();
        m_iface = std::make_unique<FakeInterface>(); // not joined
        m_noInterface = false;
        m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
        m_prefs->writeLaunchDefaults();
        m_cycle = std::make_unique<ScanCycle>(
            [this]() -> WirelessInterface * { return m_noInterface ? nullptr : m_iface.get(); },
            *m_prefs);
    }

    // Merging keeps the first record: only rssi, load and the counters change, a failed scan counts
    // too, and the idle interface's record (no BSSID) is never merged. A record names its
    // network's weakest security (the scanned WPA/WPA2 texts keep their trailing blank);
    // -100 dBm is the noise floor, -99 is not.
    void mergeKeepsTheFirstRecord() {
        QList<ScanResult> heard = networks({"A:-100", "B:-99"});
        heard[0].securityModes.set(Security::WPA3Personal).set(Security::WPAWPA2Enterprise);
        m_iface->queueScan(heard);
        QVERIFY(tick());
        const NetworkModelPtr first = m_cycle->netWorkList5Poll().value(0);
        QVERIFY(first);
        first->vendor = QStringLiteral("Acme");
        heard = {makeNetwork("A-renamed", "aa:bb:cc:dd:ee:01", -63, 149, Band::Ghz5)};
        heard[0].stationCount = 7;
        m_iface->queueScan(heard);
        m_iface->queueError("busy");
        QVERIFY(tick() && tick());
        QCOMPARE(names(m_cycle->netWorkList5Poll(), true), "01 02");
        QCOMPARE(m_cycle->netWorkList5Poll().first(), first);
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5/%6 %7|%8|")
                         .arg(first->ssid, first->vendor)
                         .arg(QStringLiteral("%1/%2").arg(first->rssi).arg(first->stationCount))
                         .arg(first->channel)
                         .arg(first->availableCount)
                         .arg(m_cycle->counter())
                         .arg(first->security, first->networkType) +
                     m_cycle->netWorkList5Poll().last()->networkType,
                 "A Acme -63/7 6 3/4 WPA/WPA2 Enterprise |No Access|Access Point");
    }

    // A, a hidden network and B are heard, then A and the hidden one are missed (or scans
    // fail, or there is no interface) `misses` times, then all are heard again. Per tick: A's
    // miss count, m/d for in the merged/display list, the scan error's first letter, !aged
    // names; at the end = for the same record, + for a new one.
    void ageing_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("misses");
        QTest::addColumn<QString>("states");
        QTest::newRow("back after 3 misses") << "" << 3 << "0md 1md 2md 3md 0md=";
        QTest::newRow("gone after 4 misses") << "" << 5 << "0md 1md 2md 3md 4-d!A_- 4-- 0md+";
        QTest::newRow("4 failed scans") << "busy" << 4 << "0md 1mdb 2mdb 3mdb 4-db!A_-_B 0md+";
        QTest::newRow("no interface") << "none" << 2 << "0md 1mdn 2mdn 0md=";
    }
    void ageing() {
        QFETCH(QString, failure);
        QFETCH(int, misses);
        const QList<ScanResult> all = networks({"A:-50", ":-55", "B:-60"});
        m_iface->queueScan(all);
        for (int i = 0; i < misses; ++i) {
            if (failure == "busy")
                m_iface->queueError("busy");
            else if (failure.isEmpty())
                m_iface->queueScan({all.at(2)});
        }
        m_iface->fallback = all;
        NetworkModelPtr a;
        QStringList got;
        for (int scan = 0; scan <= misses + 1; ++scan) {
            m_noInterface = failure == "none" && scan > 0 && scan <= misses;
            QVERIFY(tick());
            const NetworkModelPtr now = findSsid(m_cycle->netWorkList5Poll(), "A");
            a = a ? a : now;
            const NetworkModelPtr r = scan <= misses ? a : now;
            QString state = QString::number(r->count);
            state += m_cycle->netWorkList5Poll().contains(r) ? 'm' : '-';
            state += m_cycle->scanedResults().contains(r) ? 'd' : '-';
            state += m_tick.scanError.left(1);
            if (!m_tick.agedOut.isEmpty())
                state += '!' + names(m_tick.agedOut).replace(' ', '_');
            if (scan > misses)
                state += now == a ? '=' : '+';
            got << state;
        }
        QTEST(got.join(' '), "states");
    }

    // Strongest first; ties keep first-seen order (enough of them that an unstable sort would
    // shuffle); a reading far outside what radios report still sorts.
    void displaySortedStrongestFirstTiesStable() {
        QStringList heard, expected[2];
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("N%1").arg(i, 2, 10, QChar('0'));
            heard << name + (i % 2 ? ":-60" : ":-50");
            expected[i % 2] << name;
        }
        QList<ScanResult> again = networks(heard);
        std::reverse(again.begin(), again.end());
        m_iface->queueScan(networks(heard));
        m_iface->queueScan(again << makeNetwork("Far", "aa:bb:cc:dd:ee:ff", -99999));
        QVERIFY(tick() && tick());
        QCOMPARE(display(), (expected[0] + expected[1]).join(' ') + " Far");
    }

    // The joined network leads the display list, also after the table's own sort, and comes
    // from the interface's own view. Once left, roamed away from while a scan failed, or aged
    // out during failed scans, it is neither pinned nor connected.
    void joinedNetwork_data() {
        QTest::addColumn<QString>("then");
        QTest::addColumn<int>("failures");
        QTest::addColumn<QString>("shown");
        QTest::newRow("left") << "leave" << 0 << "Alpha Zed";
        QTest::newRow("roamed while a scan failed") << "roam" << 1 << "Alpha Zed";
        QTest::newRow("aged out during failed scans") << "" << 5 << "";
    }
    void joinedNetwork() {
        QFETCH(QString, then);
        QFETCH(int, failures);
        const QList<ScanResult> heard = networks({"Alpha:-40", "Zed:-85", "K:-60"});
        m_iface->join(heard.at(1), Security::WPA2Personal, PhyMode::AC);
        m_iface->fallback = heard.mid(0, 2);
        m_iface->queueScan(heard.mid(0, 2));
        for (int i = 0; i < failures; ++i)
            m_iface->queueError("busy");
        m_cycle->setTableSorter([&](NetworkList &list) {
            std::sort(list.begin(), list.end(), [](auto &a, auto &b) { return a->ssid < b->ssid; });
        });
        QVERIFY(tick());
        const NetworkModelPtr c = m_cycle->connectedNetwork();
        QVERIFY(c && c == m_cycle->scanedResults().first() && c == m_tick.joined);
        QCOMPARE(display() + ' ' + c->security, "Zed Alpha WPA2 Personal");
        if (then == "leave")
            m_iface->leave();
        else if (then == "roam")
            m_iface->join(heard.at(2), Security::WPA2Personal, PhyMode::AC);
        for (int i = 0; i < std::max(failures, 1); ++i)
            QVERIFY(tick());
        QVERIFY(!m_cycle->connectedNetwork());
        QTEST(display(), "shown");
    }

    // The radar's list: one record per SSID (the joined one for its name), or the located list
    // while locating; the located network sits right after the strongest (or the joined) one,
    // once.
    void radarList_data() {
        QTest::addColumn<QString>("heard");   // "*": the joined network
        QTest::addColumn<QString>("located"); // "-": chosen but not locating
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("plotted"); // BSSIDs
        const auto row = [](const char *name, const char *heard, const char *located,
                            const char *display, const char *plotted) {
            QTest::newRow(name) << heard << located << display << plotted;
        };
        const char *abcd = "A:-40 B:-50 C:-60 D:-70";
        row("joined to the weaker", "Home:-40 *Home:-70", "", "Home Home", "02");
        row("target in the middle", abcd, "C", "A C B D", "03 03");
        row("target not listed", abcd, "X", "A X B C D", "99 99");
        row("joined first, target next", "A:-40 B:-50 C:-60 *D:-70", "B", "D B A C", "02 02");
        row("chosen, not locating", abcd, "-C", "A B C D", "01 02 03 04");
    }
    void radarList() {
        QFETCH(QString, heard);
        QFETCH(QString, located);
        QFETCH(QString, plotted);
        const bool locating = !located.isEmpty() && !located.startsWith('-');
        located.remove('-');
        const QStringList words = heard.split(' ');
        const QList<ScanResult> all = networks(QStringList(words).replaceInStrings("*", ""));
        m_iface->fallback = all;
        for (qsizetype i = 0; i < words.size(); ++i)
            if (words[i].startsWith('*'))
                m_iface->join(all.at(i), Security::WPA2Personal, PhyMode::AC);
        QVERIFY(tick());
        NetworkModelPtr target = findSsid(m_cycle->netWorkList5Poll(), located);
        if (!target && !located.isEmpty())
            target = std::make_shared<NetworkModel>(makeNetwork(located, "aa:bb:cc:dd:ee:99", -75));
        const NetworkList list = locating ? NetworkList{target, target} : NetworkList{};
        m_cycle->setLocateHooks({[=] { return list; }, [=] { return target; }});
        QSignalSpy radar(m_cycle.get(), &ScanCycle::radarPlotRequested);
        QVERIFY(tick());
        QTEST(display(), "display");
        QCOMPARE(radar.size(), 1);
        QCOMPARE(names(radar.takeFirst().at(0).value<NetworkList>(), true), plotted);
        QCOMPARE(m_cycle->scanedResults().count(target), target ? 1 : 0);
    }

    // One tick announcement per merge, at its end; the radar and graph job runs after it, on
    // that merge's list, where the strongest of a name is found afresh.
    void jobOrderWithinATick() {
        m_cycle->setTableSorter(byBssidDescending);
        QList<ScanResult> heard = networks({"Home:-40", "Home:-50", "Cafe:-30"});
        m_iface->queueScan(heard);
        std::swap(heard[0].rssiValue, heard[1].rssiValue);
        m_iface->fallback = heard;
        QStringList log;
        QObject listener;
        connect(m_cycle.get(), &ScanCycle::tickFinished, &listener, [&](const ScanTick &t) {
            log << QStringLiteral("tick%1 %2").arg(t.counter).arg(names(t.displayList, true));
        });
        connect(m_cycle.get(), &ScanCycle::radarPlotRequested, &listener,
                [&](const NetworkList &list) { log << "radar " + names(list, true); });
        connect(m_cycle.get(), &ScanCycle::graphReloadRequested, &listener,
                [&] { log << "graph"; });
        QVERIFY(tick() && tick());
        QCOMPARE(log.join(", "),
                 "tick2 03 02 01, radar 03 01, graph, tick3 03 02 01, radar 03 02, graph");
    }

    // A scan's caller gone before the answer is not called back, and the scanner may go right
    // after asking; a failure without a reason reads "scan failed".
    void scannerAnswersOnlyWhileTheCallerLives() {
        m_iface->queueScan(networks({"A:-50"}));
        m_iface->queueError(QString());
        QStringList got;
        auto caller = std::make_unique<QObject>();
        for (QObject *context : {caller.get(), static_cast<QObject *>(this)})
            NetworkScanner(*m_iface).scanNetworks(
                context, [&](const std::optional<NetworkScanner::Scan> &scan, const QString &error,
                             const HeardScan &) { got << (scan ? "heard" : error); });
        caller.reset();
        QVERIFY(QTest::qWaitFor([&] { return !got.isEmpty(); }, 5000));
        QCoreApplication::processEvents();
        QCOMPARE(got, QStringList{"scan failed"});
    }

    // Where a network sits on the spectrum: from the centres its elements named, or from the
    // channel plan when they named none or a wrong one.
    void occupied_data() {
        QTest::addColumn<QList<int>>("in"); // band, primary, width code, centre, second centre
        QTest::addColumn<QString>("expect");
        const int b2 = Band::Ghz2_4, b5 = Band::Ghz5, b6 = Band::Ghz6;
        const int w20 = ChannelWidth::Mhz20, w40 = ChannelWidth::Mhz40, w80 = ChannelWidth::Mhz80,
                  w160 = ChannelWidth::Mhz160, w320 = ChannelWidth::Mhz320;
        QTest::newRow("2.4 40 below, named") << QList{b2, 6, w40, 4, 0} << "ch6/40: 2407-2447";
        QTest::newRow("2.4 40 unnamed, high") << QList{b2, 11, w40, 0, 0} << "ch11/40: 2432-2472";
        QTest::newRow("2.4 80 claim is 40") << QList{b2, 1, w80, 0, 0} << "ch1/40: 2402-2442";
        QTest::newRow("2.4 ch14 40 is 20") << QList{b2, 14, w40, 0, 0} << "ch14/20: 2474-2494";
        QTest::newRow("5 80 named") << QList{b5, 44, w80, 42, 0} << "ch44/80: 5170-5250";
        QTest::newRow("5 80 centre misses") << QList{b5, 36, w80, 58, 0} << "ch36/80: 5170-5250";
        QTest::newRow("5 80+80") << QList{b5, 36, w160, 42, 106}
                                 << "ch36/160: 5170-5250 + 5490-5570";
        QTest::newRow("5 144 has no 160") << QList{b5, 144, w160, 0, 0} << "ch144/20: 5710-5730";
        QTest::newRow("6 320 named 63") << QList{b6, 37, w320, 63, 0} << "ch37/320: 6105-6425";
        QTest::newRow("6 320 unnamed") << QList{b6, 37, w320, 0, 0} << "ch37/320: 5945-6265";
        QTest::newRow("unknown width") << QList{b5, 36, 0, 0, 0} << "ch36/20: 5170-5190";
        QTest::newRow("unknown band") << QList{0, 36, w20, 0, 0} << "invalid";
    }
    void occupied() {
        QFETCH(QList<int>, in);
        QTEST(text(occupiedBand(in[0], in[1], in[2], in[3], in[4])), "expect");
    }

private:
    // Spins until `done` was signalled, then lets what was queued run too.
    bool spin(QSignalSpy &done) {
        for (int i = 0; i < 100 && done.isEmpty(); ++i)
            QCoreApplication::processEvents();
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
        return done.size() == 1;
    }
    // One whole tick: its merge (kept in m_tick, announced once) and its radar and graph job.
    bool tick() {
        QSignalSpy ticks(m_cycle.get(), &ScanCycle::tickFinished);
        QSignalSpy graph(m_cycle.get(), &ScanCycle::graphReloadRequested);
        m_cycle->pollingStarts();
        if (!spin(graph) || ticks.size() != 1)
            return false;
        m_tick = ticks.at(0).at(0).value<ScanTick>();
        return m_tick.scanError == m_cycle->lastScanError();
    }
    QString display() const { return names(m_cycle->scanedResults()); }

    std::unique_ptr<FakeInterface> m_iface;
    bool m_noInterface = false;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<ScanCycle> m_cycle;
    ScanTick m_tick; // of the last tick()
};

QTEST_GUILESS_MAIN(TestScanCycle)
#include "tst_scancycle.moc"
