#include "netlist/TableFixture.h"
#include "radar/LocateMode.h"
#include "radar/LocatePace.h"
#include "radar/LocateSound.h"

#include <QTest>

namespace {

class FakeSound : public LocateSound {
public:
    int plays = 0;
    bool load() override { return true; }
    void play() override { ++plays; }
    void fail() { Q_EMIT failed(); }
};

struct LocateFixture : TableFixture {
    LocateFixture()
        : mode(locate, plotting, prefs, &sound,
               [this] { return cycle.removeDuplicateElements(); }) {
        QObject::connect(&mode, &LocateMode::locatedRowMoveRequested, &cycle,
                         &ScanCycle::setSelectedWifi);
    }

    void locateSsid(const QString &ssid) {
        locate.locateModel = recordOf(ssid);
        mode.locate();
    }

    // Sound timers running / the interval / sounds played so far.
    QString soundState() const {
        int running = 0;
        for (const QTimer *timer : mode.findChildren<QTimer *>())
            running += timer->isActive() ? 1 : 0;
        return QString("%1/%2/%3")
            .arg(running)
            .arg(mode.soundTimerActive() ? QString::number(mode.soundIntervalMs()) : "-")
            .arg(sound.plays);
    }

    QString order() const {
        QStringList names;
        for (const NetworkModelPtr &r : cycle.scanedResults())
            names << r->ssid;
        return names.join(' ');
    }

    // The networks the graph plots.
    QString plotted() const {
        QStringList names;
        for (const NetworkModelPtr &r : plotting.plottingNetworkDictionary)
            names << r->ssid;
        names.sort();
        return names.join(' ');
    }

    FakeSound sound;
    LocateMode mode;
};

} // namespace

class TestLocateMode : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachPaceBoundBelongsToTheSlowerRow() {
        using LocatePace::getLocateSoundSkip;
        QCOMPARE(QList<double>({getLocateSoundSkip(-19), getLocateSoundSkip(-20),
                                getLocateSoundSkip(-89.5), getLocateSoundSkip(-95)}),
                 QList<double>({0.3, 0.4, 1, 2}));
    }

    // Steps: a network's name locates it, "x" exits, "fail" breaks the sound,
    // "off" switches the sound off, "-25" sets the located signal and ticks.
    // After each step: running timers / interval ms / sounds played.
    void sound() {
        const std::tuple<QString, QString, QString> cases[] = {
            {"Follow signal", "Near -25 -95 x", "Near:1/600/1 -25:1/400/1 -95:1/2000/1 x:0/-/1"},
            {"Fixed", "Near fail", "Near:1/600/1 fail:0/-/1"}, // the sound fails later
            {"Fixed", "Near -25 Far x", "Near:1/600/1 -25:1/600/1 Far:1/1000/2 x:0/-/2"},
            {"Fixed", "Near off Far x", "Near:1/600/1 off:1/600/1 Far:0/-/1 x:0/-/1"}};
        for (const auto &[pace, steps, states] : cases) {
            LocateFixture f;
            f.prefs.setValue(Preferences::locatePaceKey, pace);
            f.hear({"Near:-45", "Far:-85"});
            QVERIFY(f.tick());
            QStringList got;
            for (const QString &step : steps.split(' ')) {
                if (step == "x")
                    f.mode.exitLocate();
                else if (step == "fail")
                    f.sound.fail();
                else if (step == "off")
                    f.prefs.setValue(Preferences::locateSoundKey, Preferences::off);
                else if (step.startsWith('-')) {
                    f.locate.locateModel->rssi = step.toInt();
                    f.mode.tick();
                } else
                    f.locateSsid(step);
                got << step + ":" + f.soundState();
            }
            QCOMPARE(got.join(' '), states);
        }
    }

    // The located row stays at index 1 across ticks, however weak; the radar
    // and the graph show it alone, views redo in order; the end puts the radar
    // list back and the graph's selection from before.
    void locatedRowAndViews() {
        LocateFixture f;
        f.prefs.setValue(Preferences::locateSoundKey, Preferences::off);
        QStringList log;
        const auto note = [&](const char *name) { return [&log, name] { log << name; }; };
        QObject::connect(&f.mode, &LocateMode::exitLocateShown, &f.mode,
                         [&](bool shown) { log << (shown ? "exit shown" : "exit hidden"); });
        QObject::connect(
            &f.mode, &LocateMode::radarPlotRequested, &f.mode, [&](const NetworkList &l) {
                log << "radar " + (l.size() == 1 ? l.first()->ssid : QString::number(l.size()));
            });
        QObject::connect(&f.mode, &LocateMode::tableReloadRequested, note("table"));
        QObject::connect(&f.mode, &LocateMode::graphReloadRequested, note("graph"));
        QObject::connect(&f.mode, &LocateMode::rearrangeNetworkLabelsRequested, note("legend"));

        f.hear({"Home:-40", "A:-50", "B:-60", "Far:-90"}, 0);
        QVERIFY(f.tick());
        f.plotting.setPlotted(f.recordOf("A"), true);
        f.plotting.setPlotted(f.recordOf("B"), true);
        f.locateSsid("Far");
        QStringList orders{f.order()}, plotted{f.plotted()};
        std::get<QList<ScanResult>>(f.iface.fallback)[3].rssiValue = -95;
        QVERIFY(f.tick());
        orders << f.order();
        QCOMPARE(log.join(", "), "exit shown, radar Far, table, graph, legend");
        log.clear();
        f.mode.exitLocate();
        f.mode.exitLocate(); // not locating any more: nothing
        plotted << f.plotted();
        QVERIFY(f.tick());
        orders << f.order();
        QCOMPARE(plotted.join(" | "), "Far | A B");
        QCOMPARE(orders.join(" | "), "Home Far A B | Home Far A B | Home A B Far");
        QCOMPARE(log.join(", "), "exit hidden, legend, graph, table, radar 4");
        QVERIFY(!f.locate.isLocating());
    }
};

QTEST_GUILESS_MAIN(TestLocateMode)
#include "tst_locatemode.moc"
