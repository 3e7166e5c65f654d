// Whole beacons, laid out as hostapd and common access points send them, and
// broken ones as radios and drivers really deliver them.

#include "Elements.h"
#include "scan/ie/ElementParser.h"

#include <QTest>

namespace {

enum Generation { Ht = 1, Vht = 2, He = 4, Eht = 8 };

struct Expect {
    Expect() = default;
    Expect(QString ssid, int channel, int band, int width, QList<int> phy, QList<int> security,
           int generations = 0, QString country = {}, int stations = -1, int utilisation = -1)
        : ssid(ssid)
        , channel(channel)
        , band(band)
        , width(width)
        , phy(phy)
        , security(security)
        , generations(generations)
        , country(country)
        , stations(stations)
        , utilisation(utilisation) {}
    QString ssid; // null: hidden
    int channel = 0;
    int band = Band::Unknown;
    int width = ChannelWidth::Unknown;
    QList<int> phy;
    QList<int> security;
    int generations = 0;
    QString country;
    int stations = -1;
    int utilisation = -1;
};

constexpr quint16 kEss = 0x0401, kPrivate = 0x0411; // ESS, short slot time, privacy
const QByteArray kOfdm = Elements::bytes({0x8c, 0x12, 0x98, 0x24, 0xb0, 0x48, 0x60, 0x6c});

// The legacy part of a 2.4 GHz beacon: 802.11b rates basic, OFDM extended.
Elements bg(const char *ssid, int channel) {
    return Elements()
        .ssid(ssid)
        .rates({0x82, 0x84, 0x8b, 0x96, 0x0c, 0x12, 0x18, 0x24})
        .ds(channel)
        .tim()
        .erp()
        .extRates({0x30, 0x48, 0x60, 0x6c});
}
// The same for 5 and 6 GHz, where only OFDM rates exist.
Elements a(const char *ssid, int channel) {
    return Elements().ssid(ssid).element(1, kOfdm).ds(channel).tim();
}

} // namespace

Q_DECLARE_METATYPE(Expect)

class TestBeacons : public QObject {
    Q_OBJECT

private slots:
    void realistic_data() {
        addColumns();
        using namespace PhyMode;
        using namespace ChannelWidth;
        using namespace Security;
        const QByteArray six160 = Elements::sixGhzInfo(37, 3, 39, 47);
        const QList<int> bgn{B, G, N};

        row("2.4 GHz HT40 WPA2-PSK", kPrivate, 2437,
            bg("HomeNet", 6).country("DE").rsn({2}).ht(6, 1).extCap().wmm(),
            {"HomeNet", 6, Band::Ghz2_4, Mhz40, bgn, {WPA2Personal}, Ht, "DE"});
        row("5 GHz VHT80 SAE with MFP", kPrivate, 5180,
            a("Lab-5G", 36).country("US").bssLoad(3, 51).rsn({8}, 0xc0).ht(36, 1).vht(1, 42),
            {"Lab-5G", 36, Band::Ghz5, Mhz80, {A, N, AC}, {WPA3Personal}, Ht | Vht, "US", 3, 51});
        row("6 GHz HE160 SAE", kPrivate, 6135,
            Elements()
                .ssid("Office6E")
                .element(1, kOfdm)
                .tim()
                .country("FR")
                .rsn({8, 24}, 0xc0)
                .extCap()
                .he(six160),
            {"Office6E", 37, Band::Ghz6, Mhz160, {AX}, {WPA3Personal}, He, "FR"});
        row("6 GHz EHT320 without frequency", kPrivate, 0,
            Elements().ssid("Studio7").element(1, kOfdm).rsn({24}, 0xc0).he(six160).eht(4, 47, 63),
            {"Studio7", 37, Band::Ghz6, Mhz320, {AX, BE}, {WPA3Personal}, He | Eht});
        row("802.11b only", 0x0021, 2412,
            Elements().ssid("OldCam").rates({0x82, 0x84, 0x8b, 0x96}).ds(1).tim(),
            {"OldCam", 1, Band::Ghz2_4, Mhz20, {B}, {Security::None}});
        row("WPA/WPA2 mixed", kPrivate, 2462, bg("Shop", 11).wpa({2}).rsn({2}).ht(11).wmm(),
            {"Shop", 11, Band::Ghz2_4, Mhz20, bgn, {WPAWPA2Personal, WPA2Personal}, Ht});
        row("enterprise with FT", kPrivate, 5500,
            a("Corp", 100).bssLoad(41, 200).rsn({1, 3}, 0x80).ht(100, 1).vht(1, 106, 114).he(),
            {"Corp",
             100,
             Band::Ghz5,
             Mhz160,
             {A, N, AC, AX},
             {WPA2Enterprise},
             Ht | Vht | He,
             {},
             41,
             200});
        row("OWE transition, open half", kEss, 2412, bg("Cafe", 1).ht(1).oweTransition(""),
            {"Cafe", 1, Band::Ghz2_4, Mhz20, bgn, {Security::None, OWETransition}, Ht});
        row("OWE transition, OWE half", kPrivate, 2412,
            bg("", 1).rsn({18}, 0xc0).ht(1).oweTransition("Cafe"),
            {{}, 1, Band::Ghz2_4, Mhz20, bgn, {OWE}, Ht});
        row("zeroed hidden SSID", kPrivate, 2437, Elements().ssid(QByteArray(7, '\0')).rsn({2}),
            {{}, 6, Band::Ghz2_4, Mhz20, {}, {WPA2Personal}});
    }
    void realistic() { check(); }

    void malformed_data() {
        addColumns();
        using namespace Security;
        using ChannelWidth::Mhz20;
        const int b2 = Band::Ghz2_4;
        row("empty", kEss, 2437, Elements(), {{}, 6, b2, Mhz20, {}, {None}});
        row("one stray byte", kEss, 2437, Elements().raw({0}), {{}, 6, b2, Mhz20, {}, {None}});
        row("length past the end", kPrivate, 0, Elements().ssid("Cut").ds(3).raw({48, 20, 1, 0}),
            {"Cut", 3, b2, Mhz20, {}, {WEP}});
        row("short RSN", kPrivate, 2412, Elements().ssid("x").element(48, {1}),
            {"x", 1, b2, Mhz20, {}, {WEP}});
        row("RSN suite count overflowing", kPrivate, 2412,
            Elements().ssid("x").element(48,
                                         {1, 0, 0, 0x0f, 0xac, 4, 0xff, 0xff, 0, 0x0f, 0xac, 4}),
            {"x", 1, b2, Mhz20, {}, {}});
        row("unknown vendor OUIs", kPrivate, 2412,
            Elements()
                .vendor("\x00\x10\x18", 2, "\x02\x00")
                .vendor("\x00\x50\xf2", 99, {})
                .rsn({2}),
            {{}, 1, b2, Mhz20, {}, {WPA2Personal}});
        row("duplicate SSID", kEss, 2412, Elements().ssid("first").ssid("second"),
            {"first", 1, b2, Mhz20, {}, {None}});
        row("33-octet SSID", kEss, 2412, Elements().ssid(QByteArray(33, 'a')),
            {{}, 1, b2, Mhz20, {}, {None}});
        row("SSID control bytes", kEss, 2412, Elements().ssid("a\x1b[2Jb"),
            {"a\\x1b[2Jb", 1, b2, Mhz20, {}, {None}});
    }
    void malformed() { check(); }

    void rates_data() {
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<QList<int>>("kbps");
        QTest::newRow("basic and not") << QByteArray(Elements().rates({0x82, 0x84, 0x0b, 0x16}))
                                       << QList<int>{1000, 2000, 5500, 11000};
        QTest::newRow("extended follow supported")
            << QByteArray(Elements().rates({0x8c, 0x12}).extRates({0x60, 0x6c}))
            << QList<int>{6000, 9000, 48000, 54000};
        QTest::newRow("membership selectors dropped")
            << QByteArray(
                   Elements().rates({0x8c, 0xff, 0xfe, 0xfb, 0xfa, 0xf9}).extRates({0x6c, 0xfb}))
            << QList<int>{6000, 54000};
        QTest::newRow("127 without basic bit is a rate")
            << QByteArray(Elements().rates({0x7f})) << QList<int>{63500};
        QTest::newRow("120 with basic bit is a rate")
            << QByteArray(Elements().rates({0xf8})) << QList<int>{60000};
        QTest::newRow("zero dropped")
            << QByteArray(Elements().rates({0x80, 0x00, 0x02})) << QList<int>{1000};
        QTest::newRow("none") << QByteArray(Elements().ds(1)) << QList<int>{};
    }
    void rates() {
        QFETCH(QByteArray, ies);
        QTEST(ie::describeBss(kEss, asSpan(ies), 2412).supportedRatesKbps, "kbps");
    }

    void extras_data() {
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<QString>("country");
        QTest::addColumn<int>("stations");
        QTest::addColumn<int>("utilisation");
        QTest::newRow("country lower case")
            << QByteArray(Elements().country("jp")) << "jp" << -1 << -1;
        QTest::newRow("country digits")
            << QByteArray(Elements().country("12")) << QString() << -1 << -1;
        QTest::newRow("country of 2 octets")
            << QByteArray(Elements().element(7, "DE")) << QString() << -1 << -1;
        QTest::newRow("country at 3 octets")
            << QByteArray(Elements().element(7, "DEI")) << "DE" << -1 << -1;
        QTest::newRow("load above 255 stations")
            << QByteArray(Elements().bssLoad(300, 255)) << QString() << 300 << 255;
    }
    void extras() {
        QFETCH(QByteArray, ies);
        const BssFacts facts = ie::describeBss(kEss, asSpan(ies), 2412);
        QTEST(facts.countryCode, "country");
        QTEST(facts.stationCount, "stations");
        QTEST(facts.channelUtilisation, "utilisation");
    }

private:
    static void addColumns() {
        QTest::addColumn<int>("capability");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<Expect>("expect");
    }
    static void row(const char *name, quint16 capability, int frequency, const Elements &ies,
                    const Expect &expect) {
        QTest::newRow(name) << int(capability) << frequency << QByteArray(ies) << expect;
    }
    static void check() {
        QFETCH(int, capability);
        QFETCH(int, frequency);
        QFETCH(QByteArray, ies);
        QFETCH(Expect, expect);
        const BssFacts f = ie::describeBss(quint16(capability), asSpan(ies), frequency);
        QCOMPARE(f.ssid, expect.ssid);
        QCOMPARE(f.ssid.isNull(), expect.ssid.isNull());
        QCOMPARE(f.channelNumber, expect.channel);
        QCOMPARE(f.channelBand, expect.band);
        QCOMPARE(f.channelWidth, expect.width);
        QCOMPARE(codeList(f.phyModes), expect.phy);
        QCOMPARE(codeList(f.securityModes), expect.security);
        QCOMPARE(f.hasHt, bool(expect.generations & Ht));
        QCOMPARE(f.hasVht, bool(expect.generations & Vht));
        QCOMPARE(f.hasHe, bool(expect.generations & He));
        QCOMPARE(f.hasEht, bool(expect.generations & Eht));
        QCOMPARE(f.countryCode, expect.country);
        QCOMPARE(f.stationCount, expect.stations);
        QCOMPARE(f.channelUtilisation, expect.utilisation);
    }
};

QTEST_GUILESS_MAIN(TestBeacons)
#include "tst_ie_beacons.moc"
