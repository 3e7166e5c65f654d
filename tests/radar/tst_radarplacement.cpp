// Radar geometry: angles, bands, anchors and fields, roles, the drawn
// radar's own placement, and the sweep and ring timing.
#include "app/SharedInstanceClass.h"
#include "radar/DrawnRadarPlacement.h"
#include "radar/RadarAnimation.h"
#include "radar/RadarPlacement.h"
#include "support/FakeInterface.h"

#include <QTest>

namespace {

// Networks "ssid/rssi" with BSSIDs ...:00, ...:01 in list order.
NetworkList networks(const QStringList &words) {
    NetworkList list;
    for (const QString &word : words) {
        const QString bssid = QString("aa:bb:cc:dd:ee:%1").arg(list.size(), 2, 10, QChar('0'));
        list << std::make_shared<NetworkModel>(
            makeNetwork(word.section('/', 0, 0), bssid, word.section('/', 1, 1).toInt()));
    }
    return list;
}

NetworkList count(int n) {
    return networks(QStringList(n, "net/-60"));
}

QString num(qreal v) {
    return QString::number(qRound(v * 10) / 10.0);
}

const char *colorName(RadarColor c) {
    static const char *names[] = {"orange", "yellow", "white", "grey", "light"};
    return names[int(c)];
}

// "i@angle colour size": plain dots; labelled ones add the label's offset
// from the dot (lower-left corners, y up), its alignment and text.
QString describe(const QList<RadarMark> &marks) {
    QStringList parts;
    for (const RadarMark &m : marks) {
        QString s = QString("%1@%2 %3 %4r%5")
                        .arg(m.index)
                        .arg(m.angle)
                        .arg(colorName(m.color))
                        .arg(m.dot.width())
                        .arg(m.cornerRadius);
        if (m.labelled) {
            const QPointF off(m.label.left() - m.dot.left(), m.dot.bottom() - m.label.bottom());
            s += QString(" %1,%2 %3 %4")
                     .arg(num(off.x()), num(off.y()), m.alignRight ? "right" : "left", m.text);
        }
        parts << s;
    }
    return parts.join(" | ");
}

RadarPlacement::Context context(RadarKind kind, bool percent = false, QString joined = {},
                                QString located = {}) {
    const qreal side = kind == RadarKind::Expanded ? 500 : 200;
    return {kind, percent, QSizeF(side, side), joined, located};
}

} // namespace

class TestRadarPlacement : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // "index:angle" for the indices named; the 31st entry has none.
    void angles() {
        const std::tuple<int, bool, QString> cases[] = {
            {1, false, "0:-67"},
            {2, false, "1:-67 0:-112"},
            {5, false, "4:300 3:255 2:210 1:165 0:120"},
            {5, true, "4:-47 3:-92 2:-137 1:-182 0:-227"},
            {6, false, "5:-47 4:300 3:255 2:210 1:165 0:120"},
            {6, true, "5:-47 4:-72 3:-117 2:-162 1:-207 0:-252"},
            {11, false, "10:320 9:295 8:270 7:245 6:220 5:195 4:300 3:255 2:210 1:165 0:120"},
            {11, true, "10:320 9:295 8:270 7:245 6:220 5:195 4:170 3:125 2:80 1:35 0:-10"},
            {16, false, "15:-42 11:-122 10:320"},
            {31, true, "29:-42 11:-402 10:320 0:-10 30:none"}};
        for (const auto &[entries, expanded, angles] : cases) {
            const QList<int> got = RadarPlacement::anglesFor(entries, expanded ? RadarKind::Expanded
                                                                               : RadarKind::Normal);
            QStringList parts{QString::number(entries)};
            for (const QString &want : angles.split(' ')) {
                const int i = want.section(':', 0, 0).toInt();
                parts << QString("%1:%2").arg(i).arg(i < got.size() ? QString::number(got.at(i))
                                                                    : "none");
            }
            QCOMPARE(parts.join(' '), QString::number(entries) + " " + angles);
        }
    }

    // Each band edge and the value just past it, by radar and unit.
    void bands() {
        const std::tuple<bool, bool, QString> cases[] = {
            // expanded, percent, "value:radius"
            {false, true, "100:28 61:28 60:42 41:42 40:51 21:51 20:70 0:70"},
            {false, false, "-30:28 -69:28 -70:42 -79:42 -80:51 -89:51 -90:70 -100:70"},
            {true, true, "100:25 99:33 91:33 90:45 81:45 80:85 61:85 60:115 41:115 40:140 0:140"},
            {true, false,
             "-40:25 -41:33 -50:33 -51:45 -60:45 -61:85 -69:85 -70:115 -79:115 -80:140"}};
        for (const auto &[expanded, percent, radii] : cases) {
            const RadarKind kind = expanded ? RadarKind::Expanded : RadarKind::Normal;
            QStringList got;
            for (const QString &pair : radii.split(' ')) {
                const int value = pair.section(':', 0, 0).toInt();
                got << QString("%1:%2").arg(value).arg(
                    RadarPlacement::radiusFor(value, percent, kind, QSizeF(200, 200)));
            }
            QCOMPARE(got.join(' '), radii);
        }
    }

    // Whole plots, bottom first. Label offsets follow the anchor (folded angle)
    // and the field (signed angle): upper right +5,+10 (expanded +13), lower
    // right +10,-10 (-13), left half ending at the dot's left edge.
    // Whole plots, bottom first. Label offsets follow the anchor (folded angle)
    // and the field (signed angle): upper right +5,+10 (expanded +13), lower
    // right +10,-10 (-13), left half ending at the dot's left edge.
    void plots() {
        const QStringList five{"Home/-50", "b/-60", "c/-70", "d/-80", "e/-90"};
        // list, expanded, joined and located index (or -1), the marks
        const std::tuple<QStringList, bool, int, int, QString> cases[] = {
            {{"Home/-60"}, false, 0, -1, "0@5 orange 11r5 5,10 left Home"},
            {{"Cafe/-60"}, false, -1, 0, "0@-67 yellow 11r5 5,10 left Cafe"},
            {{"Home/-60"}, true, 0, 0, "0@5 orange 15r7 5,13 left Home"},
            {{"a/-50", "b/-60"}, false, -1, -1, "1@-67 white 11r5 5,10 left b"}, // head: no dot
            {five, false, 0, -1,
             "4@300 white 11r5 10,-10 left e | 3@255 white 11r5 -140,-10 right d | "
             "2@210 white 11r5 -140,-10 right c | 1@165 white 11r5 -140,10 right b | "
             "0@5 orange 11r5 5,10 left Home"},
            {five, true, -1, 0, // negative angles stay left-aligned
             "4@-47 white 15r7 5,13 left e | 3@-92 white 15r7 -45,10 left d | "
             "2@-137 white 15r7 -45,10 left c | 1@-182 white 15r7 -45,-10 left b | "
             "0@-227 yellow 15r7 -45,-10 left Home"}};
        for (const auto &[list, expanded, joined, located, marks] : cases) {
            const NetworkList records = networks(list);
            const auto bssid = [&](int i) { return i < 0 ? QString() : records.at(i)->bssid; };
            const auto ctx = context(expanded ? RadarKind::Expanded : RadarKind::Normal, false,
                                     bssid(joined), bssid(located));
            QCOMPARE(describe(RadarPlacement::plotWifiPositionInRadar(records, ctx)), marks);
        }
    }

    // Where dots land: the normal radar's head is measured from a centre moved
    // 10 points left; roles by index; nothing past the 30th entry.
    void dotPosition() {
        const NetworkList one = networks({"Home/-60"});
        const auto joined = context(RadarKind::Normal, false, one.first()->bssid);
        const RadarMark head = RadarPlacement::plotWifiPositionInRadar(one, joined).first();
        // r = 2u = 28 at 5 degrees from (90, 100), y up.
        QCOMPARE(num(head.dot.left()) + "," + num(200 - head.dot.bottom()), "117.9,102.4");

        // Marks shown, labelled ones, the last index: nothing past the 30th.
        const NetworkList many = count(31);
        for (const auto &[kind, want] :
             {std::pair{RadarKind::Normal, "16 5 15"}, {RadarKind::Expanded, "30 11 29"}}) {
            const auto marks = RadarPlacement::plotWifiPositionInRadar(
                many, context(kind, false, many.first()->bssid));
            const auto named = std::count_if(marks.begin(), marks.end(),
                                             [](const RadarMark &m) { return m.labelled; });
            QCOMPARE(QString("%1 %2 %3").arg(marks.size()).arg(named).arg(marks.first().index),
                     want);
        }
        QVERIFY(RadarPlacement::plotWifiPositionInRadar({}, context(RadarKind::Normal)).isEmpty());
    }

    void truncation() {
        QStringList got;
        for (const QString &name :
             {QString("ABCDEFGHIJKLMNOPQRST"), QString("ABCDEFGHIJKL"), QString("ABCDEFGHIJKLM"),
              QString("ABCDEFGHIJK\U0001F600xyz"), QString()}) {
            got << RadarPlacement::labelText(name, RadarKind::Normal) + "/" +
                       RadarPlacement::labelText(name, RadarKind::Expanded);
        }
        QCOMPARE(got.join(' '), QString("ABCDEFGHIJKL/ABCDEFGHIJKLMNOPQ ABCDEFGHIJKL/ABCDEFGHIJKL "
                                        "ABCDEFGHIJKL/ABCDEFGHIJKLM "
                                        "ABCDEFGHIJK\U0001F600/ABCDEFGHIJK\U0001F600xyz /"));
    }

    // The drawn radar's own placement in its 180-point view: the first four on
    // a spiral (-22 degrees, then back by 360 / count + 50 each), the rest on
    // the mid circle of their ring in the direction the source gives.
    void drawnRadar() {
        const NetworkList list = count(12); // radius 30 for -60
        list[5]->rssi = -40;                // radius 12
        const ALUtilities::AngleSource zero = [] { return 0.0f; };
        QStringList points;
        for (const QPointF &p : DrawnRadarPlacement::positions(list.mid(0, 6), {180, 180}, zero))
            points << num(p.x()) + "," + num(p.y());
        // Step 360 / 6 = 60: angles -22, -132, -242, -352, then 0 on the mid circles.
        QCOMPARE(points.join(' '), "117.8,78.8 69.9,67.7 75.9,116.5 119.7,94.2 112.5,90 94.5,90");

        QStringList roles;
        for (const auto &dot :
             DrawnRadarPlacement::plotWifiPositionInRadar(list, {180, 180}, list[5]->bssid, zero))
            roles << QString("%1%2%3")
                         .arg(colorName(dot.color)[0])
                         .arg(dot.circle.width())
                         .arg(dot.text.isEmpty() ? "" : "+");
        QCOMPARE(roles.join(' '), "w12+ w12+ w12+ w12+ w7 o12+ w7 w7 w7 w7 w7 l7");
    }

    void sweepAndSonar() {
        SweepState sweep(10000);
        QStringList angles;
        angles << QString::number(sweep.angleAt(5000)); // at rest before polling
        sweep.start(1000);
        angles << QString::number(sweep.angleAt(3500)); // a quarter turn clockwise
        sweep.stop(3500);
        angles << QString::number(sweep.angleAt(9000)); // frozen
        sweep.start(9000);
        angles << QString::number(sweep.angleAt(11500)) << QString::number(sweep.angleAt(34000));
        QCOMPARE(angles.join(' '), "0 270 270 180 90");

        // The ring grows by 5 and wraps past the maximum; the radius carries
        // over to the expanded radar, which grows further.
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
        now = 2500;
        state("radar built, stopped");
        anim.setPolling(true);
        now = 5000;
        state("polling");
        anim.setShown(false);
        now = 7000;
        state("hidden");
        anim.setShown(true);
        anim.setPolling(false);
        state("stopped");
        anim.build(SweepType::Sonar, RadarKind::Normal, true);
        anim.advance();
        state("sonar");
        anim.setPolling(false);
        anim.advance(); // a step that comes after the stop changes nothing
        state("sonar stopped");
        anim.build(SweepType::Sonar, RadarKind::Expanded, false);
        state("expanded sonar, stopped");
        anim.setPolling(true);
        state("expanded sonar polling");
        anim.build(SweepType::None, RadarKind::Normal, true);
        state("neither");
        QCOMPARE(states.join(" | "),
                 "radar built, stopped: still 0 -1 0 | polling: runs 270 -1 34 | "
                 "hidden: still 270 -1 0 | stopped: still 270 -1 0 | "
                 "sonar: runs - 15 400 | sonar stopped: still - 15 0 | "
                 "expanded sonar, stopped: still - -1 0 | "
                 "expanded sonar polling: runs - 20 100 | neither: still - -1 0");
    }
};

QTEST_GUILESS_MAIN(TestRadarPlacement)
#include "tst_radarplacement.moc"
