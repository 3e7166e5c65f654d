// What the channel view draws: bands with networks only, each BSS once, in
// its plot colour when plotted, and the network under the pointer.

#include "Records.h"
#include "channels/ChannelScene.h"
#include "channels/LabelPlacement.h"
#include "scan/WifiCodes.h"

#include <QTest>

class TestChannelScene : public QObject {
    Q_OBJECT

private slots:
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
        QTest::newRow("beside both") << 60.0 << -90.0 << "";
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
        QTest::newRow("apart") << QList<QRectF>{at50, at50.translated(20, 0)} << "50 50";
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

QTEST_GUILESS_MAIN(TestChannelScene)
#include "tst_channelscene.moc"
