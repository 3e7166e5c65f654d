// Where a BSS sits and how wide it is: channel and band from the frequency or
// the elements, width from the operation elements, PHY set from rates and
// capabilities.

#include "Elements.h"
#include "scan/ie/ElementParser.h"

#include <QTest>

namespace {

const Elements kRatesB = Elements().rates({0x82, 0x84, 0x8b, 0x96});
const QByteArray kOfdm = Elements::bytes({0x8c, 0x12, 0x98, 0x24, 0xb0, 0x48, 0x60, 0x6c});

} // namespace

class TestChannel : public QObject {
    Q_OBJECT

private slots:
    void fromFrequency_data() {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("band");
        const int unknown = Band::Unknown, b2 = Band::Ghz2_4, b5 = Band::Ghz5, b6 = Band::Ghz6;
        const std::tuple<const char *, int, int, int> rows[] = {
            {"0", 0, 0, unknown},
            {"negative", -2412, 0, unknown},
            {"2407", 2407, 0, unknown},
            {"2411", 2411, 0, unknown},
            {"2412 first", 2412, 1, b2},
            {"2437", 2437, 6, b2},
            {"2413 off raster", 2413, 0, unknown},
            {"2472", 2472, 13, b2},
            {"2477 no channel", 2477, 0, unknown},
            {"2484 ch 14", 2484, 14, b2},
            {"2485", 2485, 0, unknown},
            {"5155", 5155, 0, unknown},
            {"5160 first", 5160, 32, b5},
            {"5180", 5180, 36, b5},
            {"5182 off raster", 5182, 0, unknown},
            {"5885 last", 5885, 177, b5},
            {"5890", 5890, 0, unknown},
            {"5930", 5930, 0, unknown},
            {"5935 ch 2", 5935, 2, b6},
            {"5940", 5940, 0, unknown},
            {"5950", 5950, 0, unknown},
            {"5955 first", 5955, 1, b6},
            {"6135", 6135, 37, b6},
            {"7115 last", 7115, 233, b6},
            {"7120", 7120, 0, unknown},
        };
        for (const auto &[name, frequency, channel, band] : rows)
            QTest::newRow(name) << frequency << channel << band;
    }
    void fromFrequency() {
        QFETCH(int, frequency);
        const ie::ChannelOfFrequency c = ie::channelFromFrequency(frequency);
        QTEST(c.channelNumber, "channel");
        QTEST(c.channelBand, "band");
    }

    void fallback_data() {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("band");
        const QByteArray six = Elements::sixGhzInfo(37, 2, 39);
        QTest::newRow("frequency wins over DS")
            << 2412 << QByteArray(Elements().ds(11)) << 1 << int(Band::Ghz2_4);
        QTest::newRow("DS 6") << 0 << QByteArray(Elements().ds(6)) << 6 << int(Band::Ghz2_4);
        QTest::newRow("DS 14") << 0 << QByteArray(Elements().ds(14)) << 14 << int(Band::Ghz2_4);
        QTest::newRow("DS 36") << 0 << QByteArray(Elements().ds(36)) << 36 << int(Band::Ghz5);
        QTest::newRow("DS 177") << 0 << QByteArray(Elements().ds(177)) << 177 << int(Band::Ghz5);
        QTest::newRow("off-raster frequency uses DS")
            << 2413 << QByteArray(Elements().ds(2)) << 2 << int(Band::Ghz2_4);
        QTest::newRow("DS 15 then HT 149")
            << 0 << QByteArray(Elements().ds(15).htOp(149)) << 149 << int(Band::Ghz5);
        QTest::newRow("DS 178 alone")
            << 0 << QByteArray(Elements().ds(178)) << 0 << int(Band::Unknown);
        QTest::newRow("DS 31 alone")
            << 0 << QByteArray(Elements().ds(31)) << 0 << int(Band::Unknown);
        QTest::newRow("HT primary 11")
            << 0 << QByteArray(Elements().htOp(11)) << 11 << int(Band::Ghz2_4);
        QTest::newRow("HE 6 GHz primary")
            << 0 << QByteArray(Elements().heOp(false, false, six)) << 37 << int(Band::Ghz6);
        QTest::newRow("DS before HE 6 GHz")
            << 0 << QByteArray(Elements().ds(1).heOp(false, false, six)) << 1 << int(Band::Ghz2_4);
        QTest::newRow("HE 6 GHz primary 0")
            << 0 << QByteArray(Elements().heOp(false, false, Elements::sixGhzInfo(0, 2, 7))) << 0
            << int(Band::Unknown);
        QTest::newRow("nothing") << 0 << QByteArray() << 0 << int(Band::Unknown);
    }
    void fallback() {
        QFETCH(int, frequency);
        QFETCH(QByteArray, ies);
        const BssFacts facts = ie::describeBss(0x0001, asSpan(ies), frequency);
        QTEST(facts.channelNumber, "channel");
        QTEST(facts.channelBand, "band");
    }

    void width_data() {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<int>("width");
        using namespace ChannelWidth;
        const auto row = [](const char *name, int frequency, const Elements &e, int width) {
            QTest::newRow(name) << frequency << QByteArray(e) << width;
        };
        const auto he6 = [](int width, bool vht = false, bool coHosted = false) {
            return Elements().heOp(vht, coHosted, Elements::sixGhzInfo(37, width, 39, 47));
        };
        row("nothing, band unknown", 0, Elements(), Unknown);
        row("nothing, 2.4 GHz", 2437, Elements(), Mhz20);
        row("HT40 above", 2412, Elements().htOp(1, 1, true), Mhz40);
        row("HT40 below", 2432, Elements().htOp(5, 3, true), Mhz40);
        row("HT offset without width bit", 2412, Elements().htOp(1, 1, false), Mhz20);
        row("HT width bit without offset", 2412, Elements().htOp(1, 0, true), Mhz20);
        row("HT reserved offset 2", 2412, Elements().htOp(1, 2, true), Mhz20);
        row("VHT80", 5180, Elements().htOp(36, 1, true).vhtOp(1, 42), Mhz80);
        row("VHT160 CCFS1 8 above", 5180, Elements().vhtOp(1, 42, 50), Mhz160);
        row("VHT160 CCFS1 8 below", 5180, Elements().vhtOp(1, 50, 42), Mhz160);
        row("VHT CCFS1 7 apart", 5180, Elements().vhtOp(1, 42, 49), Mhz80);
        row("VHT CCFS1 9 apart", 5180, Elements().vhtOp(1, 42, 51), Mhz80);
        row("VHT 80+80 by CCFS1", 5180, Elements().vhtOp(1, 42, 106), Mhz80);
        row("VHT old 160", 5180, Elements().vhtOp(2, 50), Mhz160);
        row("VHT old 80+80", 5180, Elements().vhtOp(3, 42, 106), Mhz160);
        row("VHT 0 leaves HT40", 5180, Elements().htOp(36, 1, true).vhtOp(0, 0), Mhz40);
        row("VHT 0 leaves HT20", 5180, Elements().htOp(36).vhtOp(0, 0), Mhz20);
        row("VHT reserved 4 leaves HT", 5180, Elements().htOp(36).vhtOp(4, 42), Mhz20);
        row("VHT80 claimed on 2.4 GHz", 2437, Elements().htOp(6).vhtOp(1, 42), Mhz20);
        row("HE 6 GHz 20", 6135, he6(0), Mhz20);
        row("HE 6 GHz 40", 6135, he6(1), Mhz40);
        row("HE 6 GHz 80", 6135, he6(2), Mhz80);
        row("HE 6 GHz 160", 6135, he6(3), Mhz160);
        row("HE 6 GHz after VHT info", 6135, he6(2, true), Mhz80);
        row("HE 6 GHz after co-hosted", 6135, he6(3, false, true), Mhz160);
        row("HE 6 GHz after both", 6135, he6(1, true, true), Mhz40);
        row("HE without 6 GHz info leaves VHT", 5180, Elements().heOp(true, false).vhtOp(1, 42),
            Mhz80);
        row("HE 6 GHz info cut short", 6135,
            Elements().extension(36, Elements::bytes({0, 0, 2, 0x2a, 0xfc, 0xff, 37, 2, 39, 47})),
            Mhz20);
        row("HE 6 GHz over VHT", 6135, Elements().vhtOp(1, 42).raw(he6(3)), Mhz160);
        row("EHT 20", 5180, Elements().vhtOp(1, 42).ehtOp(0, 36), Mhz20);
        row("EHT 160", 6135, Elements().raw(he6(2)).ehtOp(3, 47), Mhz160);
        row("EHT 320", 6135, Elements().raw(he6(3)).ehtOp(4, 47, 63), Mhz320);
        row("EHT reserved 5 leaves HE", 6135, Elements().raw(he6(3)).ehtOp(5, 47), Mhz160);
        row("EHT without information leaves HE", 6135, Elements().raw(he6(2)).ehtOpWithoutInfo(),
            Mhz80);
        row("EHT information cut short", 6135,
            Elements().raw(he6(2)).extension(106,
                                             Elements::bytes({1, 0x44, 0x44, 0x44, 0x44, 4, 47})),
            Mhz80);
    }
    void width() {
        QFETCH(int, frequency);
        QFETCH(QByteArray, ies);
        QTEST(ie::describeBss(0x0001, asSpan(ies), frequency).channelWidth, "width");
    }

    void phy_data() {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<QList<int>>("modes");
        using namespace PhyMode;
        const auto row = [](const char *name, int frequency, const Elements &e, QList<int> modes) {
            QTest::newRow(name) << frequency << QByteArray(e) << modes;
        };
        row("802.11b", 2412, kRatesB, {B});
        row("802.11g only", 2412,
            Elements().rates({0x8c, 0x12, 0x98, 0x24}).extRates({0xb0, 0x48, 0x60, 0x6c}), {G});
        row("802.11b/g", 2412, Elements(kRatesB).extRates({0x0c, 0x12, 0x18}), {B, G});
        row("5.5 Mb/s alone is DSSS", 2412, Elements().rates({0x8b}), {B});
        row("22 Mb/s PBCC is neither", 2412, Elements().rates({0x2c}), {});
        row("HT selector is no rate", 2412, Elements().rates({0x8c, 0xff}), {G});
        row("802.11b/g/n", 2437, Elements(kRatesB).extRates({0x0c}).htCap(), {B, G, N});
        row("HT Capabilities one short", 2437, Elements(kRatesB).element(45, QByteArray(25, '\0')),
            {B});
        row("5 GHz a/n/ac", 5180, Elements().element(1, kOfdm).htCap().vhtCap(), {A, N, AC});
        row("5 GHz a/n/ac/ax", 5180, Elements().element(1, kOfdm).htCap().vhtCap().heCap(),
            {A, N, AC, AX});
        row("5 GHz without rates", 5180, Elements(), {A});
        row("6 GHz HE", 6135, Elements().element(1, kOfdm).heCap(), {AX});
        row("6 GHz EHT", 6135, Elements().element(1, kOfdm).heCap().ehtCap(), {AX, BE});
        row("2.4 GHz EHT", 2437, Elements(kRatesB).htCap().heCap().ehtCap(), {B, N, AX, BE});
        row("rates with band unknown", 0, kRatesB, {});
    }
    void phy() {
        QFETCH(int, frequency);
        QFETCH(QByteArray, ies);
        QTEST(codeList(ie::describeBss(0x0001, asSpan(ies), frequency).phyModes), "modes");
    }
};

QTEST_GUILESS_MAIN(TestChannel)
#include "tst_ie_channel.moc"
