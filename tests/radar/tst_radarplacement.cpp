#include "app/SharedInstanceClass.h"
#include "netlist/TableFixture.h"
#include "radar/LocateMode.h"
#include "radar/LocatePace.h"
#include "radar/LocateSound.h"
#include "radar/RadarAnimation.h"
#include "radar/RadarPlacement.h"

#include <QTest>

namespace {

// Networks "ssid:rssi" with BSSIDs ...:01, ...:02 in list order.
NetworkList networks(const QStringList &words) {
    NetworkList list;
    for (const ScanResult &n : TableFixture::networks(words))
        list << std::make_shared<NetworkModel>(n);
    return list;
}

const char *colorName(RadarColor c) {
    static const char *names[] = {"orange", "yellow", "white", "grey", "light"};
    return names[int(c)];
}

// "i@angle colour": plain dots; labelled ones add the label's offset from the
// dot (lower-left corners, y up), its alignment and text.
QString describe(const QList<RadarMark> &marks) {
    const auto num = [](qreal v) { return QString::number(qRound(v * 10) / 10.0); };
    QStringList parts;
    for (const RadarMark &m : marks) {
        QString s = QString("%1@%2 %3").arg(m.index).arg(m.angle).arg(colorName(m.color));
        if (m.labelled) {
            const QPointF off(m.label.left() - m.dot.left(), m.dot.bottom() - m.label.bottom());
            s += QString(" %1,%2 %3 %4")
                     .arg(num(off.x()), num(off.y()), m.alignRight ? "right" : "left", m.text);
        }
        parts << s;
    }
    return parts.join(" | ");
}

RadarPlacement::Context context(RadarKind kind, QString joined = {}, QString located = {}) {
    const qreal side = kind == RadarKind::Expanded ? 500 : 200;
    return {kind, false, QSizeF(side, side), joined, located};
}

QString plot(const NetworkList &list, int joined = -1, int located = -1) {
    const auto bssid = [&](int i) { return i < 0 ? QString() : list.at(i)->bssid; };
    return describe(RadarPlacement::plotWifiPositionInRadar(
        list, context(RadarKind::Normal, bssid(joined), bssid(located))));
}

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

class TestRadarPlacement : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each band edge and the value just past it, normal radar then expanded (dBm).
    void bands() {
        QStringList radii;
        const int edges[] = {-69, -70, -79, -80, -89, -90, -40, -41, -60, -61, -79, -80};
        for (int i = 0; i < 12; ++i)
            radii << QString::number(RadarPlacement::radiusFor(
                edges[i], false, i < 6 ? RadarKind::Normal : RadarKind::Expanded, {200, 200}));
        QCOMPARE(radii.join(' '), "28 42 42 51 51 70 25 33 45 85 115 140");
    }

    // Whole plots, bottom first. Label offsets follow the anchor (folded angle)
    // and the field (signed angle): upper right +5,+10, lower right +10,-10,
    // left half ending at the dot's left edge. A name is cut at 12 characters,
    // never inside one. An unjoined head has no dot; a located one is yellow.
    void plots() {
        QCOMPARE(
            plot(networks({"a:-50", "b:-60", "c:-70", "d:-80", "ABCDEFGHIJK\U0001F600x:-90"}), 0),
            "4@300 white 10,-10 left ABCDEFGHIJK\U0001F600 | 3@255 white -140,-10 right d | "
            "2@210 white -140,-10 right c | 1@165 white -140,10 right b | 0@5 orange 5,10 left a");
        QCOMPARE(plot(networks({"a:-50", "b:-60"})) + " / " + plot(networks({"Cafe:-60"}), -1, 0),
                 "1@-67 white 5,10 left b / 0@-67 yellow 5,10 left Cafe");
    }

    // Marks shown, labelled ones, the last index: nothing past the 30th entry.
    void manyNetworks() {
        const NetworkList many = networks(QStringList(31, "net:-60"));
        for (const auto &[kind, want] :
             {std::pair{RadarKind::Normal, "16 5 15"}, {RadarKind::Expanded, "30 11 29"}}) {
            const auto marks =
                RadarPlacement::plotWifiPositionInRadar(many, context(kind, many.first()->bssid));
            const auto named = std::count_if(marks.begin(), marks.end(),
                                             [](const RadarMark &m) { return m.labelled; });
            QCOMPARE(QString("%1 %2 %3").arg(marks.size()).arg(named).arg(marks.first().index),
                     want);
        }
        QVERIFY(RadarPlacement::plotWifiPositionInRadar({}, context(RadarKind::Normal)).isEmpty());
    }

    // The sweep turns clockwise from where it stopped; the ring grows by 5 and
    // wraps past the maximum, its radius carried over to the expanded radar.
    void sweepAndSonar() {
        SweepState sweep(10000);
        QStringList angles{QString::number(sweep.angleAt(5000))};
        sweep.start(1000);
        angles << QString::number(sweep.angleAt(3500));
        sweep.stop(3500);
        angles << QString::number(sweep.angleAt(9000));
        sweep.start(9000);
        angles << QString::number(sweep.angleAt(11500)) << QString::number(sweep.angleAt(34000));
        QCOMPARE(angles.join(' '), "0 270 270 180 90");
        QStringList radii;
        qint64 num = 80;
        for (const int max : {90, 90, 90, 90, 220, 220, 220}) {
            num = radii.size() == 4 ? 85 : num;
            radii << QString::number(SonarRing::next(num, max));
        }
        QCOMPARE(radii.join(' '), "80 85 90 5 85 90 95");
    }

    // The sweep runs only while polling runs and the radar is shown; a ring
    // appears at once when it starts and stays when it stops.
    void animation() {
        SharedInstanceClass &shared = SharedInstanceClass::sharedInstance();
        shared.num = 10;
        shared.maxValue = 90;
        qint64 now = 0;
        RadarAnimation anim(shared, [&] { return now; });
        QStringList states;
        const auto state = [&](const char *step) {
            states << QString("%1: %2 %3 %4 %5")
                          .arg(step)
                          .arg(anim.running() ? "runs" : "still")
                          .arg(anim.showsWedge() ? QString::number(anim.wedgeAngle()) : "-")
                          .arg(anim.ringRadius())
                          .arg(anim.running() ? anim.stepIntervalMs() : 0);
        };
        anim.build(SweepType::Radar, RadarKind::Normal, false);
        now = 2500, state("radar built, stopped");
        anim.setPolling(true);
        now = 5000, state("polling");
        anim.setShown(false);
        now = 7000, state("hidden");
        anim.setShown(true);
        anim.build(SweepType::Sonar, RadarKind::Normal, true);
        anim.advance(), state("sonar");
        anim.setPolling(false);
        anim.advance(), state("sonar stopped"); // a step after the stop changes nothing
        anim.build(SweepType::None, RadarKind::Normal, true);
        state("neither");
        QCOMPARE(states.join(" | "),
                 "radar built, stopped: still 0 -1 0 | polling: runs 270 -1 34 | "
                 "hidden: still 270 -1 0 | sonar: runs - 15 400 | "
                 "sonar stopped: still - 15 0 | neither: still - -1 0");
    }

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

    // The located row stays at index 1 across ticks, however weak; the graph
    // plots it alone; the end gives back the graph's selection from before.
    void locatedRowAndGraph() {
        LocateFixture f;
        f.prefs.setValue(Preferences::locateSoundKey, Preferences::off);
        f.hear({"Home:-40", "A:-50", "B:-60", "Far:-90"}, 0);
        QVERIFY(f.tick());
        f.plotting.setPlotted(f.recordOf("A"), true);
        f.plotting.setPlotted(f.recordOf("B"), true);
        QSignalSpy exitShown(&f.mode, &LocateMode::exitLocateShown);
        f.locateSsid("Far");
        QStringList orders{f.order()}, plotted{f.plotted()};
        std::get<QList<ScanResult>>(f.iface.fallback)[3].rssiValue = -95;
        QVERIFY(f.tick());
        orders << f.order();
        f.mode.exitLocate();
        f.mode.exitLocate();           // not locating any more: nothing
        QCOMPARE(exitShown.size(), 2); // shown, then hidden once
        plotted << f.plotted();
        QVERIFY(f.tick());
        orders << f.order();
        QCOMPARE(plotted.join(" | "), "Far | A B");
        QCOMPARE(orders.join(" | "), "Home Far A B | Home Far A B | Home A B Far");
        QVERIFY(!f.locate.isLocating());
    }
};

QTEST_GUILESS_MAIN(TestRadarPlacement)
#include "tst_radarplacement.moc"
