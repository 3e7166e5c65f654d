// What the channel view draws: bands with networks only, each BSS once, in
// its plot colour when plotted, and the network under the pointer.

#include "channels/ChannelScene.h"
#include "scan/WifiCodes.h"

#include <QTest>

namespace {

NetworkModelPtr net(const QString &ssid, const QString &bssid, int band, int channel, int width,
                    int rssi) {
    ScanResult n;
    n.ssid = ssid;
    n.bssid = bssid;
    n.channelBand = band;
    n.channelNumber = channel;
    n.channelWidth = width;
    n.rssiValue = rssi;
    return std::make_shared<NetworkModel>(n);
}

} // namespace

class TestChannelScene : public QObject {
    Q_OBJECT

private slots:
    void bandsShapesAndColours() {
        const NetworkModelPtr home = net("Home", "00:00:00:00:00:01", Band::Ghz2_4, 6, 1, -50);
        const NetworkList records{
            home, net({}, "00:00:00:00:00:02", Band::Ghz2_4, 1, 2, -70),
            net("Far", "00:00:00:00:00:03", Band::Ghz6, 37, ChannelWidth::Mhz160, -80),
            home, // the joined network listed twice
            net("Nowhere", "00:00:00:00:00:04", Band::Unknown, 0, 0, -40)};
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
        const QList<BandScene> scenes = buildScenes(
            {net("Wide", "00:00:00:00:00:01", Band::Ghz5, 36, ChannelWidth::Mhz80, -70),
             net("Narrow", "00:00:00:00:00:02", Band::Ghz5, 40, ChannelWidth::Mhz20, -50)},
            ColorPool());
        const qsizetype i = shapeAt(scenes.first(), x, y);
        QCOMPARE(i < 0 ? QString() : scenes.first().shapes[i].label, expect);
    }
};

QTEST_GUILESS_MAIN(TestChannelScene)
#include "tst_channelscene.moc"
