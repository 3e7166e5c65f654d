// Locate mode: the sound's pace and timer, the graph narrowed and given
// back, the located row kept at index 1, the order of what views redo.
#include "netlist/TableFixture.h"
#include "radar/LocateMode.h"
#include "radar/LocatePace.h"
#include "radar/LocateSound.h"

#include <QTest>

namespace {

class FakeSound : public LocateSound {
public:
    bool loads = true;
    int plays = 0;
    bool load() override { return loads; }
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

    // Sound timers running, the interval and the sounds played so far.
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

    FakeSound sound;
    LocateMode mode;
};

int colorIndex(const PlotColor &color) {
    return int(ColorPool::initialColors().indexOf(color));
}

} // namespace

class TestLocateMode : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each bound belongs to the next, slower row; nearly lost is slowest.
    void interval() {
        QStringList got;
        for (const double dBm : {-19.0, -20.0, -45.0, -89.5, -95.0, -100.0, -120.0})
            got << QString::number(LocatePace::getLocateSoundSkip(dBm));
        QCOMPARE(got.join(' '), "0.3 0.4 0.6 1 2 4 4");
    }

    // Steps: a network's name locates it, "x" exits, "fail" breaks the sound,
    // "off" switches the sound off, "-25" sets the located signal and ticks.
    // After each step: running timers / interval ms / sounds played.
    // Steps: a network's name locates it, "x" exits, "fail" breaks the sound,
    // "off" switches the sound off, "-25" sets the located signal and ticks.
    // After each step: running timers / interval ms / sounds played.
    void sound() {
        const std::tuple<QString, bool, QString, QString> cases[] = {
            {"Fixed", true, "Near -25 x", "Near:1/600/1 -25:1/600/1 x:0/-/1"}, // chosen once
            {"Follow signal", true, "Near -25 -95 x",
             "Near:1/600/1 -25:1/400/1 -95:1/2000/1 x:0/-/1"},
            {"Fixed", false, "Near x", "Near:0/-/0 x:0/-/0"},        // the sound does not load
            {"Fixed", true, "Near fail", "Near:1/600/1 fail:0/-/1"}, // and fails later
            {"Fixed", true, "Near Far x", "Near:1/600/1 Far:1/1000/2 x:0/-/2"}, // one timer
            {"Fixed", true, "Near off Far x", "Near:1/600/1 off:1/600/1 Far:0/-/1 x:0/-/1"}};
        for (const auto &[pace, loads, steps, states] : cases) {
            LocateFixture f;
            f.prefs.setValue(Preferences::locatePaceKey, pace);
            f.sound.loads = loads;
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

    // The graph plots the located network alone; the end gives back the
    // selection from before the mode, also after locating a second network, in
    // colours taken afresh from the pool.
    void graphNarrowedAndRestored() {
        LocateFixture f;
        f.prefs.setValue(Preferences::locateSoundKey, Preferences::off);
        f.hear({"X:-40", "Y:-50", "Z:-60", "W:-70"});
        QVERIFY(f.tick());
        f.plotting.setPlotted(f.recordOf("X"), true);
        f.plotting.setPlotted(f.recordOf("Y"), true);
        const auto plotted = [&] {
            QStringList parts;
            for (const QString &bssid : f.plotting.plottingNetworkDictionary.keys()) {
                if (!f.plotting.plottingNetworksDict.contains(bssid))
                    parts << "not chosen:" + bssid;
                parts << f.plotting.plottingNetworkDictionary.value(bssid)->ssid + ":" +
                             QString::number(colorIndex(f.plotting.colorPool().colorFor(bssid)));
            }
            parts.sort();
            return parts.join(' ');
        };
        QStringList seen{plotted()};
        f.locateSsid("Z");
        seen << plotted() << QString::number(f.mode.plottingNetworkDictDup().size());
        f.locateSsid("W");
        seen << plotted();
        f.mode.exitLocate();
        const QString restored = plotted();
        seen << (restored == "X:4 Y:5" || restored == "X:5 Y:4" ? "X Y in 4 and 5" : restored);
        QCOMPARE(f.plotting.colorPool().dict.size(), 2);
        QCOMPARE(seen.join(" | "), "X:0 Y:1 | Z:2 | 2 | W:3 | X Y in 4 and 5");
    }

    // The located row stays at index 1 across ticks, however weak; the radar
    // shows it alone, and the end puts the radar list back.
    void locatedRowAndViews() {
        LocateFixture f;
        f.prefs.setValue(Preferences::locateSoundKey, Preferences::off);
        QStringList log;
        const auto note = [&](const char *name) { return [&log, name] { log << name; }; };
        QObject::connect(&f.mode, &LocateMode::exitLocateShown, &f.mode,
                         [&](bool shown) { log << (shown ? "exit shown" : "exit hidden"); });
        QObject::connect(&f.mode, &LocateMode::networkLabelsCleared, note("labels cleared"));
        QObject::connect(&f.mode, &LocateMode::drawnRadarCleared, note("drawn cleared"));
        QObject::connect(&f.mode, &LocateMode::drawnRadarPlacementRequested, &f.mode,
                         [&](const NetworkList &l) { log << QString("drawn %1").arg(l.size()); });
        QObject::connect(
            &f.mode, &LocateMode::radarPlotRequested, &f.mode, [&](const NetworkList &l) {
                log << "radar " + (l.size() == 1 ? l.first()->ssid : QString::number(l.size()));
            });
        QObject::connect(&f.mode, &LocateMode::tableReloadRequested, note("table"));
        QObject::connect(&f.mode, &LocateMode::graphReloadRequested, note("graph"));
        QObject::connect(&f.mode, &LocateMode::rearrangeNetworkLabelsRequested, note("legend"));

        f.hear({"Home:-40", "A:-50", "B:-60", "Far:-90"}, 0);
        QVERIFY(f.tick());
        f.locateSsid("Far");
        QStringList orders{f.order()};
        std::get<QList<ScanResult>>(f.iface.fallback)[3].rssiValue = -95;
        QVERIFY(f.tick());
        orders << f.order();
        QCOMPARE(log.join(", "), "labels cleared, exit shown, drawn cleared, radar Far, table, "
                                 "graph, legend");
        log.clear();
        f.mode.exitLocate();
        f.mode.exitLocate(); // not locating any more: nothing
        QVERIFY(f.tick());
        orders << f.order();
        QCOMPARE(orders.join(" | "), "Home Far A B | Home Far A B | Home A B Far");
        QCOMPARE(log.join(", "), "exit hidden, drawn cleared, drawn 4, labels cleared, legend, "
                                 "graph, table, radar 4");
        QVERIFY(!f.locate.isLocating());
    }
};

QTEST_GUILESS_MAIN(TestLocateMode)
#include "tst_locatemode.moc"
