// Radios from BSSIDs, the channels rated from the radios (the crafted
// neighbourhoods where counting BSSIDs or ignoring load gives the wrong
// answer), and what the channel view draws: bands with networks only, each BSS
// once, in its plot colour when plotted, and the network under the pointer.

#include "Records.h"
#include "channels/ChannelRating.h"
#include "channels/ChannelScene.h"
#include "channels/LabelPlacement.h"
#include "scan/WifiCodes.h"

#include <QTest>

namespace {

// "ch36 -60 [a, b]; ..." strongest first.
QString summary(const QList<Radio> &radios) {
    QStringList out;
    for (const Radio &r : radios)
        out << QString("ch%1 %2 [%3]")
                   .arg(r.occupied.primaryChannel)
                   .arg(r.signalDbm)
                   .arg(r.bssids.join(", "));
    return out.join("; ");
}

double scoreOf(const QList<ChannelOption> &ranked, int firstChannel) {
    for (const ChannelOption &o : ranked)
        if (o.firstChannel == firstChannel)
            return o.score;
    return -1;
}

} // namespace

class TestChannels : public QObject {
    Q_OBJECT

private slots:
    void grouping_data() {
        QTest::addColumn<QStringList>("in");
        QTest::addColumn<QString>("expect");
        QTest::newRow("eight SSIDs, one radio")
            << QStringList{"00:11:22:33:44:50 5/36/80 -60", "02:11:22:33:44:51 5/36/80 -55",
                           "02:11:22:33:44:52 5/36/80 -58", "00:11:22:33:44:5f 5/36/80 -70"}
            << "ch36 -55 [02:11:22:33:44:51, 02:11:22:33:44:52, 00:11:22:33:44:50, "
               "00:11:22:33:44:5f]";
        QTest::newRow("same base on two channels")
            << QStringList{"00:11:22:33:44:50 5/36/80 -60", "00:11:22:33:44:51 5/40/80 -50"}
            << "ch40 -50 [00:11:22:33:44:51]; ch36 -60 [00:11:22:33:44:50]";
        QTest::newRow("same primary, other width")
            << QStringList{"00:11:22:33:44:50 5/36/80 -60", "00:11:22:33:44:51 5/36/40 -61"}
            << "ch36 -60 [00:11:22:33:44:50]; ch36 -61 [00:11:22:33:44:51]";
        QTest::newRow("differs above the low bits")
            << QStringList{"00:11:22:33:44:50 2/6/20 -60", "00:11:22:33:44:60 2/6/20 -60"}
            << "ch6 -60 [00:11:22:33:44:50]; ch6 -60 [00:11:22:33:44:60]";
        QTest::newRow("differs in another octet")
            << QStringList{"00:11:22:33:45:50 2/6/20 -60", "00:11:22:33:44:50 2/6/20 -60"}
            << "ch6 -60 [00:11:22:33:45:50]; ch6 -60 [00:11:22:33:44:50]";
        QTest::newRow("the joined network listed twice")
            << QStringList{"00:11:22:33:44:50 5/36/80 -60", "00:11:22:33:44:50 5/36/80 -60"}
            << "ch36 -60 [00:11:22:33:44:50]";
        QTest::newRow("no usable BSSIDs stay apart")
            << QStringList{"junk 2/6/20 -60", "junk 2/6/20 -62"}
            << "ch6 -60 [junk]; ch6 -62 [junk]";
    }
    void grouping() {
        QFETCH(QStringList, in);
        QFETCH(QString, expect);
        QCOMPARE(summary(groupRadios(records(in))), expect);
    }

    // The question the view answers: one access point with eight SSIDs on
    // channel 1 is a lighter neighbour than three on channel 11 at the same
    // signal, though it shows more BSSIDs.
    void multiSsidRadioCountsOnce() {
        QStringList specs;
        for (int i = 0; i < 8; ++i)
            specs << QString("0%1:aa:bb:cc:dd:e%2 2/1/20 -60").arg(i % 2 ? 2 : 0).arg(i);
        specs << "00:11:11:11:11:10 2/11/20 -60"
              << "00:22:22:22:22:20 2/11/20 -60"
              << "00:33:33:33:33:30 2/11/20 -60";
        const QList<Radio> radios = groupRadios(records(specs));
        QCOMPARE(radios.size(), 4);
        const QList<ChannelOption> ranked = rateChannels(radios, Band::Ghz2_4, 20);
        QCOMPARE(scoreOf(ranked, 11) / scoreOf(ranked, 1), 3.0);
        // Of the free channels, 6 comes first: it lines up with the 1/6/11
        // plan most neighbours follow, so no one sits half on it.
        QCOMPARE(ranked.first().score, 0.0);
        QCOMPARE(ranked.first().firstChannel, 6);
    }

    // A 20 MHz candidate against wider neighbours: each counts whole on
    // every 20 MHz channel it covers, nothing beyond; 2.4 GHz channels
    // overlapping in part count in part.
    void overlap_data() {
        QTest::addColumn<QString>("neighbour");
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("candidate");
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("share");
        QTest::newRow("40 on its secondary")
            << "00:00:00:00:00:01 5/36/40 -60" << 2 << 40 << 20 << 1.0;
        QTest::newRow("40 beside it") << "00:00:00:00:00:01 5/36/40 -60" << 2 << 44 << 20 << 0.0;
        QTest::newRow("160 far part") << "00:00:00:00:00:01 5/36/160 -60" << 2 << 64 << 20 << 1.0;
        QTest::newRow("160 next block")
            << "00:00:00:00:00:01 5/36/160 -60" << 2 << 100 << 20 << 0.0;
        QTest::newRow("20 inside an 80") << "00:00:00:00:00:01 5/44/20 -60" << 2 << 36 << 80 << 1.0;
        QTest::newRow("6 GHz 160 on 20")
            << "00:00:00:00:00:01 6/37/160 -60" << 3 << 45 << 20 << 1.0;
        QTest::newRow("2.4 two apart") << "00:00:00:00:00:01 2/1/20 -60" << 1 << 3 << 20 << 0.5;
        QTest::newRow("2.4 four apart") << "00:00:00:00:00:01 2/1/20 -60" << 1 << 5 << 20 << 0.0;
        QTest::newRow("2.4 40 over 6") << "00:00:00:00:00:01 2/1/40 -60" << 1 << 6 << 20 << 0.75;
    }
    void overlap() {
        QFETCH(QString, neighbour);
        QFETCH(int, band);
        QFETCH(int, candidate);
        QFETCH(int, width);
        QFETCH(double, share);
        const QList<Radio> radios = groupRadios({record(neighbour)});
        const double weight = radioWeight(radios.first());
        QCOMPARE(scoreOf(rateChannels(radios, band, width), candidate), share * weight);
    }

    // Announced load raises a radio's weight: a busy radio 5 dB weaker
    // makes its channel the worse one.
    void utilisationRaisesWeight() {
        const QList<Radio> radios = groupRadios(
            records({"00:00:00:00:00:01 5/36/20 -65 u255", "00:00:00:00:00:02 5/40/20 -60 u0"}));
        QCOMPARE(radioWeight(radios[1]) / radioWeight(radios[0]), 3 * std::pow(2, -0.5));
        const QList<ChannelOption> ranked = rateChannels(radios, Band::Ghz5, 20);
        QVERIFY(scoreOf(ranked, 40) < scoreOf(ranked, 36));
        QVERIFY(scoreOf(ranked, 40) > 0);
    }

    // With the kernel's list: disabled channels are no candidates, a wide
    // channel needs every part enabled, radar comes from the list; without
    // it the plan's radar channels are marked.
    void kernelChannels() {
        const KernelChannels kernel =
            QList<AdapterChannel>{{5180, false, false}, {5200, false, false}, {5220, false, false},
                                  {5240, true, false},  {5260, false, true},  {5280, false, true}};
        QStringList got;
        for (const int width : {20, 40, 80}) {
            for (const ChannelOption &o : channelOptions(Band::Ghz5, width, kernel))
                got << QString("%1/%2%3").arg(o.firstChannel).arg(width).arg(o.radar ? "r" : "");
        }
        QCOMPARE(got.join(' '), "36/20 40/20 44/20 52/20r 56/20r 36/40 52/40r");
        const QList<ChannelOption> plan = channelOptions(Band::Ghz5, 80, std::nullopt);
        QStringList radar;
        for (const ChannelOption &o : plan)
            radar << QString("%1%2").arg(o.firstChannel).arg(o.radar ? "r" : "");
        QCOMPARE(radar.join(QChar(' ')), "36 52r 100r 116r 132r 149"); // 165-177: few domains
    }

    void bandsShapesAndColours() {
        const NetworkModelPtr home = record("00:00:00:00:00:01 2/6/20 -50", "Home");
        const NetworkList records{home, record("00:00:00:00:00:02 2/1/40 -70", {}),
                                  record("00:00:00:00:00:03 6/37/160 -80", "Far"),
                                  home, // the joined network listed twice
                                  record("00:00:00:00:00:04 6/0/20 -40", "Nowhere")};
        ColorPool pool;
        const PlotColor plotted = pool.getColors(home->bssid);
        const QList<BandScene> scenes = buildScenes(records, pool);

        QStringList got;
        for (const BandScene &s : scenes) {
            QStringList shapes;
            for (const BssShape &b : s.shapes)
                shapes << QString("%1 %2-%3 %4")
                              .arg(b.label)
                              .arg(b.xLow)
                              .arg(b.xHigh)
                              .arg(b.signalDbm);
            got << s.title + ": " + shapes.join(", ");
        }
        QCOMPARE(got, QStringList({"2.4 GHz: 00:00:00:00:00:02 -1-7 -70, Home 4-8 -50",
                                   "6 GHz: Far 31-63 -80"}));
        QCOMPARE(scenes[0].shapes[1].colour, plotted);
        QCOMPARE(scenes[0].shapes[0].colour, stableColour("00:00:00:00:00:02"));
        QVERIFY(stableColour("00:00:00:00:00:02") != stableColour("00:00:00:00:00:03"));
        // Every rated width has its three best.
        QStringList widths;
        for (const WidthChoices &c : scenes[1].best)
            widths << QString("%1:%2").arg(c.widthMhz).arg(c.best.size());
        QCOMPARE(widths.join(QChar(' ')), "20:3 40:3 80:3 160:3");
    }

    // A narrow strong network inside a wide weak one: below the wide one's
    // top the pointer names it, between the tops the narrow one, above
    // both nothing.
    void pointerPicksTheShapeItIsIn_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("expect");
        QTest::newRow("low, inside both") << 40.0 << -80.0 << "Wide";
        QTest::newRow("between the tops") << 40.0 << -60.0 << "Narrow";
        QTest::newRow("at the narrow top") << 40.0 << -50.0 << "Narrow";
        QTest::newRow("above both") << 40.0 << -45.0 << "";
        QTest::newRow("wide only") << 46.0 << -60.0 << "";
        QTest::newRow("wide only, low") << 46.0 << -75.0 << "Wide";
    }
    void pointerPicksTheShapeItIsIn() {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QString, expect);
        const QList<BandScene> scenes =
            buildScenes({record("00:00:00:00:00:01 5/36/80 -70", "Wide"),
                         record("00:00:00:00:00:02 5/40/20 -50", "Narrow")},
                        ColorPool());
        const qsizetype i = shapeAt(scenes.first(), x, y);
        QCOMPARE(i < 0 ? QString() : scenes.first().shapes[i].label, expect);
    }

    // Labels 10 high in a 100 x 100 plot, placed in order: one covering
    // another moves to the nearest free place above or below (above when as
    // near), at most three heights away, else is left out ("-"); none
    // leaves the plot.
    void labelsNeverCover_data() {
        QTest::addColumn<QList<QRectF>>("wanted");
        QTest::addColumn<QString>("tops");
        const QRectF at50(0, 50, 10, 10);
        QTest::newRow("touching") << QList<QRectF>{at50, at50.translated(10, 10)} << "50 60";
        QTest::newRow("eight on one place") << QList<QRectF>(8, at50) << "50 40 60 30 70 20 80 -";
        QList<QRectF> dense;
        for (int i = 0; i < 8; ++i)
            dense << at50.translated(0, 2.5 * i);
        QTest::newRow("a little apart") << dense << "50 60 40 70 80 90 - -";
        QTest::newRow("half over") << QList<QRectF>{at50, at50.translated(5, -5)} << "50 40";
        QTest::newRow("above the top") << QList<QRectF>{QRectF(0, -5, 10, 10)} << "0";
        QTest::newRow("room below only")
            << QList<QRectF>{QRectF(0, 0, 10, 10), QRectF(0, 0, 10, 10)} << "0 10";
    }
    void labelsNeverCover() {
        QFETCH(QList<QRectF>, wanted);
        QFETCH(QString, tops);
        QStringList got;
        for (const std::optional<QRectF> &place : placeLabels(wanted, QRectF(0, 0, 100, 100)))
            got << (place ? QString::number(place->top()) : "-");
        QCOMPARE(got.join(' '), tops);
    }
};

QTEST_GUILESS_MAIN(TestChannels)
#include "tst_channels.moc"
