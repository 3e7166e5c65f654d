// The graph's headless rules: history and sampler, data source, legend layout.
#include "graph/GraphDataSource.h"
#include "graph/LegendLayout.h"
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
            {Preferences::dBm, {-60}, "-60 | -60 | 0"},
            {Preferences::percent, {-60}, "80 | 80 | 0"},
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

    // The 101st miss in a row drops a network: its colour goes to the end of the
    // pool and it leaves both maps, while the others still get their value. A
    // network that returns in time stays.
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
        const PlotColor colour = s.pool.colorFor(bssidOf(1));
        s.pass();
        QCOMPARE(labelsOff.count(), 1);
        QCOMPARE(labelsOff.at(0).at(0).toString(), bssidOf(1));
        QVERIFY(!s.plotting.plottingNetworkDictionary.contains(bssidOf(1)));
        QVERIFY(!s.plotting.plottingNetworksDict.contains(bssidOf(1)));
        QCOMPARE(s.pool.availableColors.last(), colour);
        QCOMPARE(QString("%1 %2 %3")
                     .arg(s.records[1]->signalStrengthArray.size())
                     .arg(s.records[2]->signalStrengthArray.size())
                     .arg(s.records[2]->count),
                 "101 101 0");
    }

    // After 600 passes exactly the 500 newest values remain, newest first.
    void historyLimit() {
        Sampling s(1);
        auto dBmOfPass = [](int pass) { return -1 - (pass * 7) % 97; };
        QList<qint64> expected;
        for (int pass = 1; pass <= 600; ++pass) {
            s.heard.insert(bssidOf(1), dBmOfPass(pass));
            s.pass();
            expected.prepend(dBmOfPass(pass));
        }
        QCOMPARE(s.records[0]->signalStrengthArray, expected.first(500));
    }

    // One read per pass, none while nothing is sampled or a read is still out;
    // the timer samples at once when armed.
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
        // A read that does not answer is given up at the third pass after it;
        // its late answer is ignored.
        for (int pass = 0; pass < 3; ++pass)
            slow.reloadPlotValues();
        QCOMPARE(reads.size(), 1);
        slow.reloadPlotValues();
        QCOMPARE(reads.size(), 2);
        reads.takeFirst()(QList<ScanResult>{makeNetwork({}, bssidOf(2), -30)});
        reads.takeFirst()(QList<ScanResult>{makeNetwork({}, bssidOf(2), -33)});
        QCOMPARE(s.values(2), "-33 -44 10");
    }

    // Record count, markers among records 0..12 (whole seconds count), X, Y
    // beyond the history, and the drawn list's length.
    void dataSource() {
        const std::tuple<QString, int, QString> cases[] = {
            {"5", 500, "0 5 10"},
            {"1", 100, "0 1 2 3 4 5 6 7 8 9 10 11 12"},
            {"2.5", 200, "0 2 4 6 8 10 12"}};
        for (const auto &[interval, records, markers] : cases) {
            Sampling s(2);
            s.prefs.setValue(Preferences::pollingIntervalKey, interval);
            s.records[0]->signalStrengthArray = QList<qint64>(700, -60);
            s.records[1]->signalStrengthArray = {-60, 10, -62};
            QCOMPARE(s.history.numberOfRecordsForPlot(), qint64(records));
            QStringList dots;
            for (int i = 0; i <= 12; ++i)
                if (GraphDataSource::hasMarker(i, s.history.intervalSeconds()))
                    dots << QString::number(i);
            QCOMPARE(dots.join(' '), markers);
            QCOMPARE(s.history.plotValues(bssidOf(1)).size(), qsizetype(std::min(records, 700)));
        }
        Sampling s(2);
        s.records[1]->signalStrengthArray = {-60, 10, -62};
        const std::optional<double> nil;
        QCOMPARE(s.history.numberForPlot(bssidOf(2), GraphDataSource::X, 7), std::optional(7.0));
        QCOMPARE(s.history.numberForPlot(bssidOf(2), GraphDataSource::Y, 2), std::optional(-62.0));
        for (const auto &[bssid, field, index] : {std::tuple{2, int(GraphDataSource::Y), 1},
                                                  {2, GraphDataSource::Y, 3},
                                                  {9, GraphDataSource::Y, 0},
                                                  {2, 2, 0}})
            QCOMPARE(s.history.numberForPlot(bssidOf(bssid), field, index), nil);
        QVERIFY(s.history.plotValues(bssidOf(9)).isEmpty());
    }

    // "x,top" of each label in order; every label lies inside the band and the
    // pane, clear of the next slot.
    void legendSlots() {
        const QString row0 = "874,%1 658,%1 442,%1 226,%1 10,%1";
        const QString row1 = "10,%1 226,%1 442,%1 658,%1 874,%1";
        const std::tuple<int, int, int, QString> cases[] = {
            // labels, width, padding, places
            {1, 1100, 50, "874,30"},
            {1, 620, 50, "490,30"},
            {6, 1100, 60, row0.arg(40) + " 10,24"},
            {6, 620, 60, "490,40 370,40 250,40 130,40 10,40 10,24"},
            {11, 1100, 60, row0.arg(40) + " " + row1.arg(24) + " 874,8"},
            {16, 1100, 76, row0.arg(56) + " " + row1.arg(40) + " " + row0.arg(24) + " 10,8"}};
        for (const auto &[labels, width, padding, places] : cases) {
            QCOMPARE(LegendLayout::bottomPadding(labels), padding);
            QStringList got;
            for (const QRect &r : LegendLayout::labelRects(labels, width)) {
                QVERIFY(r.left() >= 0 && r.right() < width && r.top() >= 0 && r.bottom() < padding);
                QVERIFY(r.width() <= (width - 20) / 5 - 10);
                got << QString("%1,%2").arg(r.x()).arg(r.y());
            }
            QCOMPARE(got.join(' '), places);
        }
    }

    void labelText() {
        QCOMPARE(LegendLayout::labelText("Office", "aa:bb:cc:dd:ee:ff"),
                 "  Office aa:bb:cc:dd:ee:ff");
        const QString long40 = LegendLayout::labelText(QString(30, 'x'), "aa:bb:cc:dd:ee:ff");
        QCOMPARE(long40, "  " + QString(30, 'x') + " aa:bb:c");
    }
};

QTEST_GUILESS_MAIN(TestGraphRules)
#include "tst_graphrules.moc"
