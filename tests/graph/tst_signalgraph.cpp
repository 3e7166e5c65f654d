#include "graph/PlottingState.h"
#include "graph/SignalGraph.h"
#include "graph/SignalHistory.h"
#include "graph/SignalHistoryPane.h"
#include "graph/SignalLegend.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QString bssidOf(int n) {
    return QString("aa:bb:cc:dd:ee:%1").arg(n, 2, 10, QChar('0'));
}

struct Window {
    Window() {
        for (int n = 1; n <= 4; ++n)
            records << std::make_shared<NetworkModel>(makeNetwork("Office", bssidOf(n), -50));
        pane.resize(900, 320);
        pane.show();
    }
    SignalGraph &graph() { return *pane.graph(); }
    void redraw() {
        pane.configureAxes();
        pane.reloadData();
        graph().replotNow();
    }

    Preferences prefs{std::make_shared<MemoryPreferenceStore>()};
    PlottingState plotting;
    SignalHistory history{plotting, prefs, [](const SignalHistory::ReadDone &done) { done({}); }};
    SignalHistoryPane pane{plotting, history};
    NetworkList records;
};

} // namespace

class TestSignalGraph : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Checking, re-checking and unchecking keep exactly one line and one label
    // per plotted network, in the order they were added.
    void linesFollowPlotting() {
        Window w;
        for (int n : {1, 2, 3})
            w.plotting.setPlotted(w.records[n - 1], true);
        w.plotting.plotJoinedNetwork(w.records[1]);
        w.plotting.setPlotted(w.records[1], false);
        w.plotting.setPlotted(w.records[3], true);
        w.plotting.setPlotted(w.records[1], true);
        QStringList legend = w.graph().plottedBssids();
        for (const SignalLegend::Entry &e : w.graph().legend()->entries())
            legend << e.text.right(17);
        QCOMPARE(legend.join(' ').remove("aa:bb:cc:dd:ee:"), "01 03 04 02 01 03 04 02");
    }

    // The pointer names the nearest line's network, value and age (0 at the
    // right); gaps and empty space read nothing.
    void hover() {
        Window w;
        w.prefs.setValue(Preferences::pollingIntervalKey, "1");
        w.plotting.setPlotted(w.records[0], true);
        w.records[0]->signalStrengthArray = {-60, 10, -62};
        w.redraw();
        auto at = [&](double age, double value) {
            return w.graph().hoverText(w.graph().pixelOf(age, value).toPoint());
        };
        QVERIFY(w.graph().pixelOf(0, -60).x() > w.graph().pixelOf(2, -60).x());
        QCOMPARE(
            at(0, -60) + "|" + at(2, -63) + "|" + at(1, -61) + "|" + at(2, -80),
            "Office aa:bb:cc:dd:ee:01: -60 dBm, now|Office aa:bb:cc:dd:ee:01: -62 dBm, 2 s ago||");
    }

    // PNG and PDF by the file's suffix; anything else and unwritable places fail
    // with a reason.
    void save() {
        Window w;
        w.plotting.setPlotted(w.records[0], true);
        QTemporaryDir dir;
        QStringList got, errors;
        for (const char *name : {"g.png", "g.PDF", "g.txt", "missing/g.png"}) {
            errors << QString();
            QFile file(dir.filePath(name));
            const bool saved = w.graph().saveGraph(file.fileName(), &errors.last());
            got << (saved && file.open(QIODevice::ReadOnly) ? QString(file.read(4).mid(1))
                    : errors.last().isEmpty()               ? "no reason"
                                                            : "failed");
        }
        QCOMPARE(got.join('|'), "PNG|PDF|failed|failed");
        QVERIFY(errors.at(2).contains(".png"));                           // names what can be saved
        QCOMPARE(QImage(dir.filePath("g.png")).size(), w.graph().size()); // with the legend
    }
};

QTEST_MAIN(TestSignalGraph)
#include "tst_signalgraph.moc"
