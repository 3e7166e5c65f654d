#include "graph/GraphDataSource.h"
#include "graph/PlottingState.h"
#include "graph/SignalHistory.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QString bssidOf(int n) {
    return QString("aa:bb:cc:dd:ee:%1").arg(n, 2, 10, QChar('0'));
}

// Networks 1..count plotted in order; each pass reads what `heard` holds
// (BSSID -> dBm), or fails while `fails` is set.
struct Sampling {
    explicit Sampling(int count, const QString &unit = Preferences::dBm) {
        prefs.setValue(Preferences::displayUnitsKey, unit);
        for (int n = 1; n <= count; ++n) {
            records << std::make_shared<NetworkModel>(makeNetwork("net", bssidOf(n), -50));
            plotting.setPlotted(records.last(), true);
        }
    }
    void pass() { history.reloadPlotValues(); }
    QString values(int n) const {
        QStringList out;
        for (const qint64 v : records.at(n - 1)->signalStrengthArray)
            out << QString::number(v);
        return out.join(' ');
    }

    Preferences prefs{std::make_shared<MemoryPreferenceStore>()};
    PlottingState plotting{[] { return 7u; }};
    ColorPool &pool = plotting.colorPool();
    NetworkList records;
    QHash<QString, int> heard;
    bool fails = false;
    int reads = 0;
    SignalHistory history{plotting, prefs, [this](const SignalHistory::ReadDone &done) {
                              ++reads;
                              QList<ScanResult> now;
                              for (auto it = heard.cbegin(); it != heard.cend(); ++it)
                                  now << makeNetwork({}, it.key(), it.value());
                              done(fails ? SignalHistory::Results{} : now);
                          }};
};

QString joined(const QList<double> &values) {
    QStringList out;
    for (const double v : values)
        out << (std::isnan(v) ? "gap" : QString::number(v));
    return out.join(' ');
}

} // namespace

class TestGraphRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Filler values in the unit of the moment; the data source draws them as
    // gaps. Reads carry no SSID: a network is known by its BSSID alone. Reads are
    // dBm per pass, 0 not heard, 1 a failed read; wanted: history | drawn | misses.
    void samples() {
        const std::tuple<QString, QList<int>, QString> cases[] = {
            {Preferences::dBm, {-62, 0, -60}, "-60 10 -62 | -60 gap -62 | 0"},
            {Preferences::percent, {-62, 0, -60}, "80 -110 76 | 80 gap 76 | 0"},
            {Preferences::percent, {-99, -100}, "-110 2 | gap 2 | 1"}, // -100 dBm reads as missing
            {Preferences::dBm, {-70, 1, 1}, "10 10 -70 | gap gap -70 | 2"}};
        for (const auto &[unit, reads, want] : cases) {
            Sampling s(1, unit);
            for (const int dBm : reads) {
                s.fails = dBm == 1;
                s.heard.clear();
                if (dBm < 0)
                    s.heard.insert(bssidOf(1), dBm);
                s.pass();
            }
            QCOMPARE(QString("%1 | %2 | %3")
                         .arg(s.values(1), joined(s.history.plotValues(bssidOf(1))))
                         .arg(s.records[0]->count),
                     want);
        }
    }

    // The 101st miss in a row drops a network from both maps, while the others
    // still get their value. A network that returns in time stays.
    void dropAfterMisses() {
        Sampling s(3);
        QSignalSpy labelsOff(&s.plotting, &PlottingState::legendLabelRemoved);
        s.heard = {{bssidOf(2), -55}};
        s.records[2]->count = 40; // the scan cycle counts misses too
        for (int i = 0; i < 100; ++i) {
            if (i == 60)
                s.heard.insert(bssidOf(3), -70);
            s.pass();
        }
        QCOMPARE(s.values(1), QStringList(100, "10").join(' '));
        QCOMPARE(labelsOff.count(), 0);
        s.pass();
        QCOMPARE(labelsOff.count() == 1 ? labelsOff.at(0).at(0).toString() : "", bssidOf(1));
        QVERIFY(!s.plotting.plottingNetworkDictionary.contains(bssidOf(1)) &&
                !s.plotting.plottingNetworksDict.contains(bssidOf(1)));
        QCOMPARE(QString("%1 %2 %3")
                     .arg(s.records[1]->signalStrengthArray.size())
                     .arg(s.records[2]->signalStrengthArray.size())
                     .arg(s.records[2]->count),
                 "101 101 0");
    }

    // After 600 passes exactly the 500 newest values remain, newest first.
    void historyLimit() {
        Sampling s(1);
        for (int pass = 1; pass <= 600; ++pass) {
            s.heard.insert(bssidOf(1), -(pass % 100) - 1);
            s.pass();
        }
        const QList<qint64> &kept = s.records[0]->signalStrengthArray;
        QCOMPARE(QString("%1 %2 %3").arg(kept.size()).arg(kept.first()).arg(kept.last()),
                 "500 -1 -2");
    }

    // One read per pass, none while nothing is sampled or a read is still out;
    // the timer samples at once when armed. A read that does not answer is
    // given up at the third pass after it; its late answer is ignored.
    void sampler() {
        Sampling none(0), s(5);
        none.history.startSampling();
        s.history.startSampling();
        s.history.startSampling();
        QVERIFY(s.history.isSampling());
        QCOMPARE(QString("%1 %2").arg(none.reads).arg(s.reads), "0 1");

        QList<SignalHistory::ReadDone> reads;
        SignalHistory slow(s.plotting, s.prefs,
                           [&](const SignalHistory::ReadDone &done) { reads << done; });
        slow.reloadPlotValues();
        slow.reloadPlotValues();
        QCOMPARE(reads.size(), 1);
        reads.takeFirst()(QList<ScanResult>{makeNetwork({}, bssidOf(2), -44)});
        QCOMPARE(s.values(2), "-44 10");
        for (int pass = 0; pass < 3; ++pass)
            slow.reloadPlotValues();
        QCOMPARE(reads.size(), 1);
        slow.reloadPlotValues();
        QCOMPARE(reads.size(), 2);
        reads.takeFirst()(QList<ScanResult>{makeNetwork({}, bssidOf(2), -30)});
        reads.takeFirst()(QList<ScanResult>{makeNetwork({}, bssidOf(2), -33)});
        QCOMPARE(s.values(2), "-33 -44 10");
    }

    // Records drawn for the interval (500 s) and the drawn list's length; Y past the history, a
    // gap, an unknown network or field read nothing.
    void dataSource() {
        Sampling s(2);
        s.prefs.setValue(Preferences::pollingIntervalKey, "2.5");
        s.records[0]->signalStrengthArray = QList<qint64>(700, -60);
        s.records[1]->signalStrengthArray = {-60, 10, -62};
        QCOMPARE(QString("%1 %2")
                     .arg(s.history.numberOfRecordsForPlot())
                     .arg(s.history.plotValues(bssidOf(1)).size()),
                 "200 200");
        QCOMPARE(s.history.numberForPlot(bssidOf(2), GraphDataSource::X, 7), std::optional(7.0));
        QCOMPARE(s.history.numberForPlot(bssidOf(2), GraphDataSource::Y, 2), std::optional(-62.0));
        for (const auto &[bssid, field, index] : {std::tuple{2, int(GraphDataSource::Y), 1},
                                                  {2, GraphDataSource::Y, 3},
                                                  {9, GraphDataSource::Y, 0},
                                                  {2, 2, 0}})
            QVERIFY(!s.history.numberForPlot(bssidOf(bssid), field, index));
    }

    // A network is plotted while it holds a colour: a checked one starts
    // afresh, the joined one keeps its history, an unchecked one gives its
    // colour back behind the free ones; the graph follows the signals in
    // order. A record without a BSSID is never plotted.
    void plottingState() {
        Sampling s(0);
        const NetworkList r{std::make_shared<NetworkModel>(makeNetwork("n", bssidOf(1), -50)),
                            std::make_shared<NetworkModel>(makeNetwork("n", bssidOf(2), -50)),
                            std::make_shared<NetworkModel>(makeNetwork("n", QString(), -50))};
        QStringList log;
        connect(&s.plotting, &PlottingState::configurePlotsRequested, this,
                [&](const QString &b) { log << "configure " + b.right(1); });
        connect(&s.plotting, &PlottingState::rearrangeNetworkLabelsRequested, this,
                [&] { log << "rearrange"; });
        connect(&s.plotting, &PlottingState::legendLabelRemoved, this,
                [&](const QString &b) { log << "off " + b.right(1); });
        r[0]->signalStrengthArray = r[1]->signalStrengthArray = {-50, -52};
        s.plotting.setPlotted(r[0], true);
        s.plotting.setPlotted(r[0], true); // already plotted: nothing new
        s.plotting.plotJoinedNetwork(r[1]);
        QCOMPARE(QString("%1 %2")
                     .arg(r[0]->signalStrengthArray.size())
                     .arg(r[1]->signalStrengthArray.size()),
                 "0 2");
        s.plotting.setPlotted(r[0], false);
        s.plotting.setPlotted(r[2], true);
        s.plotting.plotJoinedNetwork(nullptr);
        const QList<PlotColor> fixed = ColorPool::initialColors();
        QVERIFY(!s.plotting.isPlotted(bssidOf(1)) && s.plotting.isPlotted(bssidOf(2)));
        QCOMPARE(s.pool.availableColors, fixed.mid(2) + fixed.mid(0, 1));
        QCOMPARE(log.join(", "), "configure 1, rearrange, configure 2, off 1");
    }
};

QTEST_GUILESS_MAIN(TestGraphRules)
#include "tst_graphrules.moc"
