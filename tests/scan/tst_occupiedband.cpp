// Where a network sits on the spectrum: from the centres its elements named,
// or from the channel plan when they named none or a wrong one.

#include "scan/OccupiedBand.h"
#include "scan/WifiCodes.h"

#include <QTest>

namespace {

// "ch36/80: 5170-5250" with " + low-high" for the second stretch of 80+80.
QString text(const OccupiedBand &o) {
    if (!o.isValid())
        return "invalid";
    QString t = QString("ch%1/%2: %3-%4")
                    .arg(o.primaryChannel)
                    .arg(o.widthMhz)
                    .arg(o.lowMhz)
                    .arg(o.highMhz);
    if (o.secondHighMhz)
        t += QString(" + %1-%2").arg(o.secondLowMhz).arg(o.secondHighMhz);
    return t;
}

} // namespace

class TestOccupiedBand : public QObject {
    Q_OBJECT

private slots:
    void occupied_data() {
        QTest::addColumn<QList<int>>("in"); // band, primary, width code, centre, second centre
        QTest::addColumn<QString>("expect");
        const int b2 = Band::Ghz2_4, b5 = Band::Ghz5, b6 = Band::Ghz6;
        const int w20 = ChannelWidth::Mhz20, w40 = ChannelWidth::Mhz40, w80 = ChannelWidth::Mhz80,
                  w160 = ChannelWidth::Mhz160, w320 = ChannelWidth::Mhz320;
        QTest::newRow("2.4 20") << QList{b2, 6, w20, 0, 0} << "ch6/20: 2427-2447";
        QTest::newRow("2.4 40 below, named") << QList{b2, 6, w40, 4, 0} << "ch6/40: 2407-2447";
        QTest::newRow("2.4 40 unnamed, high") << QList{b2, 11, w40, 0, 0} << "ch11/40: 2432-2472";
        QTest::newRow("2.4 80 claim is 40") << QList{b2, 1, w80, 0, 0} << "ch1/40: 2402-2442";
        QTest::newRow("2.4 ch14 40 is 20") << QList{b2, 14, w40, 0, 0} << "ch14/20: 2474-2494";
        QTest::newRow("5 80 named") << QList{b5, 44, w80, 42, 0} << "ch44/80: 5170-5250";
        QTest::newRow("5 80 unnamed") << QList{b5, 157, w80, 0, 0} << "ch157/80: 5735-5815";
        QTest::newRow("5 80 centre misses") << QList{b5, 36, w80, 58, 0} << "ch36/80: 5170-5250";
        QTest::newRow("5 160 unnamed") << QList{b5, 100, w160, 0, 0} << "ch100/160: 5490-5650";
        QTest::newRow("5 80+80") << QList{b5, 36, w160, 42, 106}
                                 << "ch36/160: 5170-5250 + 5490-5570";
        QTest::newRow("5 144 has no 160") << QList{b5, 144, w160, 0, 0} << "ch144/20: 5710-5730";
        QTest::newRow("6 160 unnamed") << QList{b6, 37, w160, 0, 0} << "ch37/160: 6105-6265";
        QTest::newRow("6 320 named 63") << QList{b6, 37, w320, 63, 0} << "ch37/320: 6105-6425";
        QTest::newRow("6 320 unnamed") << QList{b6, 37, w320, 0, 0} << "ch37/320: 5945-6265";
        QTest::newRow("unknown width") << QList{b5, 36, 0, 0, 0} << "ch36/20: 5170-5190";
        QTest::newRow("unknown band") << QList{0, 36, w20, 0, 0} << "invalid";
    }
    void occupied() {
        QFETCH(QList<int>, in);
        QFETCH(QString, expect);
        QCOMPARE(text(occupiedBand(in[0], in[1], in[2], in[3], in[4])), expect);
    }

    // On 5 and 6 GHz every plan channel of every width holds exactly the
    // plan's 20 MHz channels of its span (2.4 GHz channels overlap).
    void planChannelsTileTheirSpan() {
        for (const int band : {Band::Ghz5, Band::Ghz6}) {
            const QList<int> twenties = planCentres(band, 20);
            for (const int width : {40, 80, 160, 320}) {
                for (const int centre : planCentres(band, width)) {
                    const int mid = channelFrequencyMhz(band, centre);
                    int inside = 0;
                    for (const int c : twenties) {
                        const int f = channelFrequencyMhz(band, c);
                        inside += f - 10 >= mid - width / 2 && f + 10 <= mid + width / 2;
                    }
                    const QString where = QString("band %1, %2 MHz at %3").arg(band).arg(width);
                    QCOMPARE(where.arg(centre) + QString(": %1").arg(inside),
                             where.arg(centre) + QString(": %1").arg(width / 20));
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestOccupiedBand)
#include "tst_occupiedband.moc"
