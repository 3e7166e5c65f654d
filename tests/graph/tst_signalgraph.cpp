// The graph widget: one line per plotted network, what the pointer reads,
// the dots it draws, and saving.
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
    QString legend() {
        QStringList texts;
        for (const SignalLegend::Entry &e : graph().legend()->entries())
            texts << e.text.right(2);
        return texts.join(' ');
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
        QCOMPARE(w.graph().plottedBssids().join(' ').remove("aa:bb:cc:dd:ee:"), "01 03 04 02");
        QCOMPARE(w.legend(), "01 03 04 02");
        QCOMPARE(w.graph().legend()->height(), 50);
        for (int i = 0; i < 3; ++i)
            w.plotting.setPlotted(std::make_shared<NetworkModel>(
                                      makeNetwork("x", QString("aa:00:00:00:00:0%1").arg(i), -40)),
                                  true);
        QCOMPARE(w.graph().legend()->height(), 60);
        QCOMPARE(
            w.graph().legend()->entries().at(3).colour,
            QColor::fromRgbF(0.0f, 0.0f, 1.0f)); // network 2 came back: the next free colour, blue
    }

    // The pointer names the nearest line's network, value and age; gaps and
    // empty space read nothing. Age 0 is at the right.
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
        QCOMPARE(at(0, -60), "Office aa:bb:cc:dd:ee:01: -60 dBm, now");
        QCOMPARE(at(2, -63), "Office aa:bb:cc:dd:ee:01: -62 dBm, 2 s ago");
        QCOMPARE(at(1, -61), "");
        QCOMPARE(at(2, -80), "");

        w.prefs.setValue(Preferences::displayUnitsKey, Preferences::percent);
        w.records[0]->signalStrengthArray = {80, -110};
        w.redraw();
        QCOMPARE(at(0, 80), "Office aa:bb:cc:dd:ee:01: 80%, now");
        QCOMPARE(at(1, 80), "");
    }

    void markers_data() {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QList<double>>("dotted"); // ages with a dot on the line
        QTest::addColumn<QList<double>>("plain");  // ages with the bare line
        QTest::newRow("N = 5") << "5" << QList<double>{5, 10, 250}
                               << QList<double>{2.5, 7.5, 252.5};
        QTest::newRow("N = 1") << "1" << QList<double>{5, 6, 50} << QList<double>{5.5, 49.5};
    }

    // A dot 5 pixels across sits on every N-th record: a pixel above the
    // 1-pixel line the line's colour shows only where a dot is.
    void markers() {
        QFETCH(QList<double>, dotted);
        QFETCH(QList<double>, plain);
        QFETCH(QString, interval);
        Window w;
        w.pane.resize(1100, 320);
        w.prefs.setValue(Preferences::pollingIntervalKey, interval);
        w.plotting.setPlotted(w.records[0], true);
        w.records[0]->signalStrengthArray = QList<qint64>(500, -60);
        w.redraw();
        const QImage image = w.graph().plotArea()->grab().toImage();
        const QColor line = w.graph().legend()->entries().at(0).colour;
        auto dotAt = [&](double age) {
            const QPointF p = w.graph().pixelOf(age, -60);
            const QColor c = image.pixelColor(qRound(p.x()), qRound(p.y()) - 1);
            return qAbs(c.red() - line.red()) + qAbs(c.green() - line.green()) +
                       qAbs(c.blue() - line.blue()) <
                   60;
        };
        for (double age : dotted)
            QVERIFY2(dotAt(age), qPrintable(QString("no dot at %1").arg(age)));
        for (double age : plain)
            QVERIFY2(!dotAt(age), qPrintable(QString("a dot at %1").arg(age)));
    }

    // PNG and PDF by the file's suffix; anything else and unwritable places fail
    // with a reason.
    void save() {
        Window w;
        w.plotting.setPlotted(w.records[0], true);
        QTemporaryDir dir;
        // PNG and PDF by suffix; other suffixes and unwritable places fail with a reason.
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
        w.graph().setSavePathChooser([&](QWidget *) { return dir.filePath("chosen.pdf"); });
        w.graph().saveGraphAs();
        QVERIFY(QFileInfo(dir.filePath("chosen.pdf")).size() > 0);
    }
};

QTEST_MAIN(TestSignalGraph)
#include "tst_signalgraph.moc"
