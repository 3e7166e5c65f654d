// What describeBss concludes from a beacon: channel and band, width, PHY and
// security sets, the kept extras, and whole beacons as access points (and
// broken radios) really send them.

#include "Elements.h"
#include "scan/WifiCodes.h"
#include "scan/ie/ElementParser.h"

#include <QTest>

using E = Elements;

namespace {

constexpr int kEss = 0x0401, kPrivate = 0x0411; // ESS, short slot time, privacy
const QByteArray kOfdm = E::bytes({0x8c, 0x12, 0x98, 0x24, 0xb0, 0x48, 0x60, 0x6c});
const E kRatesB = E().rates({0x82, 0x84, 0x8b, 0x96});

// The legacy part of a 2.4 GHz beacon (802.11b rates basic, OFDM extended) and of a 5 GHz one.
E bg(const char *ssid, int channel) {
    return E()
        .ssid(ssid)
        .raw(kRatesB)
        .ds(channel)
        .element(5, {0, 1, 0, 0})
        .extRates({0x0c, 0x12, 0x60, 0x6c});
}
E a(const char *ssid, int channel) {
    return E().ssid(ssid).element(1, kOfdm).ds(channel);
}
E he6(int width, bool vht = false, bool coHosted = false) {
    return E().heOp(vht, coHosted, E::sixGhzInfo(37, width, 39, 47));
}

QString names(CodeSet set, const QStringList &names) {
    QStringList list;
    for (int i = 0; i < names.size(); ++i)
        if (set.test(std::size_t(i)))
            list << names[i];
    return list.isEmpty() ? "none" : list.join(',');
}

// One fact as the rows spell it: ch=6@2.4, width=40, phy=b,g, sec=WPA2, ...
QString fact(const BssFacts &f, const QString &key) {
    const QStringList bands{"?", "2.4", "5", "6"}, widths{"?", "20", "40", "80", "160", "320"};
    if (key == "ssid")
        return f.ssid.isNull() ? "(hidden)" : f.ssid;
    if (key == "ch")
        return QString::number(f.channelNumber) + '@' + bands.value(f.channelBand);
    if (key == "width")
        return widths.value(f.channelWidth);
    if (key == "phy")
        return names(f.phyModes, {"-", "a", "b", "g", "n", "ac", "ax", "be"});
    if (key == "sec")
        return names(f.securityModes, {"open", "WEP", "WPA", "WPA/WPA2", "WPA2", "Personal", "DWEP",
                                       "WPA-Ent", "WPA/WPA2-Ent", "WPA2-Ent", "Ent", "WPA3",
                                       "WPA3-Ent", "WPA2/WPA3", "OWE", "OWE-transition"});
    if (key == "gen")
        return names(CodeSet(f.hasHt | f.hasVht << 1 | f.hasHe << 2 | f.hasEht << 3),
                     {"ht", "vht", "he", "eht"});
    if (key == "cc")
        return f.countryCode.isNull() ? "none" : f.countryCode;
    if (key == "centre")
        return f.secondCentreChannel
                   ? QString("%1+%2").arg(f.centreChannel).arg(f.secondCentreChannel)
                   : QString::number(f.centreChannel);
    if (key == "load")
        return QString("%1/%2").arg(f.stationCount).arg(f.channelUtilisation);
    QStringList rates;
    for (const int kbps : f.supportedRatesKbps)
        rates << QString::number(kbps);
    return key == "rates" ? rates.join(',') : "unknown key";
}

void row(const char *name, int frequency, const QByteArray &ies, const char *expect,
         int capability = kEss) {
    QTest::newRow(name) << capability << frequency << ies << QString(expect);
}

} // namespace

class TestBss : public QObject {
    Q_OBJECT

private slots:
    void fromFrequency() {
        const int b2 = Band::Ghz2_4, b5 = Band::Ghz5, b6 = Band::Ghz6;
        const int rows[][3] = {{0, 0, 0},       {-2412, 0, 0},  {2411, 0, 0},   {2412, 1, b2},
                               {2413, 0, 0},    {2472, 13, b2}, {2477, 0, 0},   {2484, 14, b2},
                               {2485, 0, 0},    {5155, 0, 0},   {5160, 32, b5}, {5182, 0, 0},
                               {5885, 177, b5}, {5890, 0, 0},   {5930, 0, 0},   {5935, 2, b6},
                               {5940, 0, 0},    {5950, 0, 0},   {5955, 1, b6},  {7115, 233, b6},
                               {7120, 0, 0}};
        for (const auto &[f, channel, band] : rows) {
            const ie::ChannelOfFrequency c = ie::channelFromFrequency(f);
            const QString text = QString("%1 MHz: %2 %3").arg(f);
            QCOMPARE(text.arg(c.channelNumber).arg(c.channelBand), text.arg(channel).arg(band));
        }
    }

    void describe_data() {
        QTest::addColumn<int>("capability");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<QString>("expect");
        // Channel and band when the frequency is missing or off the raster.
        row("frequency wins over DS", 2412, E().ds(11), "ch=1@2.4");
        row("off-raster frequency uses DS", 2413, E().ds(2), "ch=2@2.4");
        row("DS 14", 0, E().ds(14), "ch=14@2.4");
        row("DS 15 then HT 149", 0, E().ds(15).htOp(149), "ch=149@5");
        row("DS 31 alone", 0, E().ds(31), "ch=0@?");
        row("DS 32", 0, E().ds(32), "ch=32@5");
        row("DS 177", 0, E().ds(177), "ch=177@5");
        row("DS 178 alone", 0, E().ds(178), "ch=0@?");
        row("HE 6 GHz primary 0", 0, E().heOp(false, false, E::sixGhzInfo(0, 2, 7)), "ch=0@?");
        row("nothing, band unknown", 0, {}, "width=?");
        // Width: EHT, HE 6 GHz, VHT in turn, then HT, then 20 MHz in a known band.
        row("nothing, 2.4 GHz", 2437, {}, "width=20");
        row("HT40 above", 2412, E().htOp(1, 1, true), "width=40");
        row("HT40 below", 2432, E().htOp(5, 3, true), "width=40");
        row("HT offset without width bit", 2412, E().htOp(1, 1, false), "width=20");
        row("HT reserved offset 2", 2412, E().htOp(1, 2, true), "width=20");
        row("VHT160 CCFS1 8 above", 5180, E().vhtOp(1, 42, 50), "width=160");
        row("VHT160 CCFS1 8 below", 5180, E().vhtOp(1, 50, 42), "width=160");
        row("VHT CCFS1 7 apart", 5180, E().vhtOp(1, 42, 49), "width=80");
        row("VHT CCFS1 9 apart", 5180, E().vhtOp(1, 42, 51), "width=80");
        row("VHT old 80+80", 5180, E().vhtOp(3, 42, 106), "width=160");
        row("VHT reserved 4 leaves HT", 5180, E().htOp(36).vhtOp(4, 42), "width=20");
        row("VHT80 claimed on 2.4 GHz", 2437, E().htOp(6).vhtOp(1, 42), "width=20");
        row("HE 6 GHz after VHT info", 6135, he6(2, true), "width=80");
        row("HE 6 GHz after co-hosted", 6135, he6(3, false, true), "width=160");
        row("HE without 6 GHz info leaves VHT", 5180, E().heOp(true).vhtOp(1, 42), "width=80");
        row("HE 6 GHz info cut short", 6135,
            E().extension(36, E::bytes({0, 0, 2, 0x2a, 0xfc, 0xff, 37, 2, 39, 47})), "width=20");
        row("EHT 20 over VHT", 5180, E().vhtOp(1, 42).ehtOp(0, 36), "width=20");
        row("EHT reserved 5 leaves HE", 6135, he6(3).ehtOp(5, 47), "width=160");
        row("EHT without information leaves HE", 6135,
            he6(2).extension(106, E::bytes({0, 0x44, 0x44, 0x44, 0x44})), "width=80");
        row("EHT information cut short", 6135,
            he6(2).extension(106, E::bytes({1, 0x44, 0x44, 0x44, 0x44, 4, 47})), "width=80");
        // PHY set: legacy from the rates by band, the rest from capabilities.
        row("5.5 Mb/s is DSSS, 22 Mb/s PBCC neither", 2412, E().rates({0x8b, 0x2c}), "phy=b");
        row("HT Capabilities one short", 2437, E(kRatesB).element(45, QByteArray(25, 0)), "phy=b");
        row("5 GHz without rates", 5180, {}, "phy=a");
        row("6 GHz rates name no legacy PHY", 6135, E().element(1, kOfdm).heCap(), "phy=ax");
        row("rates with band unknown", 0, kRatesB, "phy=none");
        // Security: whatever the privacy bit says, RSN and WPA decide; families add up.
        const auto sec = [](const char *name, const E &ies, const char *expect,
                            int capability = kPrivate) {
            row(name, 2437, ies, expect, capability);
        };
        sec("OWE transition element with privacy is WEP", E().oweTransition("owe"), "sec=WEP");
        sec("PSK and SAE", E().rsn({2, 8}, 0x80), "sec=WPA2/WPA3");
        sec("WPA-PSK, RSN-PSK and SAE", E().wpa({2}).rsn({2, 8}), "sec=WPA/WPA2,WPA2,WPA2/WPA3");
        sec("WPA-802.1X", E().wpa({1}), "sec=WPA-Ent");
        sec("WPA and RSN 802.1X", E().wpa({1}).rsn({1}), "sec=WPA/WPA2-Ent,WPA2-Ent");
        sec("RSN without AKM list", E().element(48, E::suites("\x00\x0f\xac", 4, {}).left(6)),
            "sec=WPA2-Ent");
        sec("FT-PSK and FT-SAE, PMF capable", E().rsn({4, 9}, 0x80), "sec=WPA2/WPA3");
        // WPA3 modes: 0x80 is PMF capable, 0xc0 required.
        sec("PSK-SHA256 and SAE, PMF required", E().rsn({6, 8}, 0xc0), "sec=WPA2/WPA3");
        sec("SAE-PK: SAE with the RSNXE", E().rsn({8}, 0xc0).element(244, {0x60}), "sec=WPA3");
        sec("802.1X-SHA256 alone, PMF required", E().rsn({5}, 0xc0), "sec=WPA3-Ent");
        sec("802.1X and 802.1X-SHA256, PMF capable", E().rsn({1, 5}, 0x80),
            "sec=WPA2-Ent,WPA3-Ent");
        sec("802.1X-SHA256, PMF only capable", E().rsn({5}, 0x80), "sec=WPA2-Ent");
        sec("FT-802.1X alone", E().rsn({3}, 0xc0), "sec=WPA2-Ent");
        sec("192-bit with its FT", E().rsn({12, 13}, 0xc0), "sec=WPA3-Ent");
        sec("RSN without privacy bit", E().rsn({2}), "sec=WPA2", kEss);
        sec("RSN of one octet is ignored", E().element(48, {1}), "sec=WEP");
        sec("unreadable RSN beside WPA-PSK",
            E().wpa({2}).element(48, E::bytes({1, 0, 0, 0x0f, 0xac, 4, 3, 0})), "sec=WPA");
        sec("vendor AKM only", E().element(48, E::suites("\x00\x40\x96", 4, {0})), "sec=none");
        // Rates, country and load.
        row("rates basic or not, extended after", 2412,
            E().rates({0x82, 0x0b}).extRates({0x60, 0x6c}), "rates=1000,5500,48000,54000");
        row("selectors and zero dropped, 120 and 127 kept", 2412,
            E().rates({0x8c, 0xff, 0xf9, 0xf8, 0x7f, 0x80, 0}).extRates({0xfb}),
            "rates=6000,60000,63500");
        row("country digits", 2412, E().country("12"), "cc=none");
        row("country of 2 octets", 2412, E().element(7, "DE"), "cc=none");
        row("country at 3 octets", 2412, E().element(7, "DEI"), "cc=DE");
        row("load above 255 stations", 2412, E().bssLoad(300, 255), "load=300/255");
        // Whole beacons.
        row("2.4 GHz HT40 WPA2-PSK", 2437,
            bg("HomeNet", 6).country("DE").rsn({2}).ht(6, 1).vendor("\x00\x50\xf2", 2, "\1\1"),
            "ssid=HomeNet ch=6@2.4 width=40 phy=b,g,n sec=WPA2 gen=ht cc=DE load=-1/-1", kPrivate);
        row("5 GHz VHT80 SAE with MFP", 5180,
            a("Lab-5G", 36).country("US").bssLoad(3, 51).rsn({8}, 0xc0).ht(36, 1).vht(1, 42),
            "ssid=Lab-5G ch=36@5 width=80 phy=a,n,ac sec=WPA3 gen=ht,vht cc=US load=3/51",
            kPrivate);
        const E studio = E().ssid("Studio7").element(1, kOfdm).rsn({24}, 0xc0).heCap();
        row("6 GHz EHT320 without frequency", 0, E(studio).raw(he6(3)).ehtCap().ehtOp(4, 47, 63),
            "ssid=Studio7 ch=37@6 width=320 phy=ax,be sec=WPA3 gen=he,eht", kPrivate);
        row("OWE transition, open half", 2412, bg("Cafe", 1).ht(1).oweTransition(""),
            "ssid=Cafe sec=open,OWE-transition");
        row("OWE transition, OWE half", 2412, bg("", 1).rsn({18}, 0xc0).ht(1).oweTransition("Cafe"),
            "ssid=(hidden) sec=OWE", kPrivate);
        // Centre channels: from the element that set the width, in its own form.
        row("HT40 below centre", 2432, E().htOp(5, 3, true), "width=40 centre=3");
        row("HT20 centre is the primary", 5180, E().htOp(36), "width=20 centre=36");
        row("VHT80 centre", 5180, E().htOp(36, 1, true).vhtOp(1, 42), "width=80 centre=42");
        row("VHT160 centre is CCFS1", 5180, E().vhtOp(1, 42, 50), "width=160 centre=50");
        row("VHT 80+80 as 80", 5180, E().vhtOp(1, 42, 106), "width=80 centre=42+106");
        row("VHT old 160 centre", 5180, E().vhtOp(2, 50), "width=160 centre=50");
        row("VHT old 80+80 segments", 5180, E().vhtOp(3, 42, 106), "width=160 centre=42+106");
        row("HE 6 GHz 80 centre is CCFS0", 6135, he6(2), "width=80 centre=39");
        row("HE 6 GHz 160 centre is CCFS1", 6135, he6(3), "width=160 centre=47");
        row("HE 6 GHz 160 without CCFS1", 6135, E().heOp(false, false, E::sixGhzInfo(37, 3, 39)),
            "width=160 centre=0");
        row("EHT 80 centre is CCFS0", 6135, E().ehtOp(2, 39, 47), "width=80 centre=39");
        row("EHT 320 centre is CCFS1", 6135, E().ehtOp(4, 47, 63), "width=320 centre=63");
        row("EHT 320 on 2.4 GHz falls to HT", 2412, E().htOp(1, 1, true).ehtOp(4, 47, 63),
            "width=40 centre=3");
        // Broken ones: what came before the damage still counts.
        row("length past the end", 0, E().ssid("Cut").ds(3).raw(E::bytes({48, 20, 1, 0})),
            "ssid=Cut ch=3@2.4 sec=WEP", kPrivate);
        row("RSN suite count overflowing", 2412,
            E().ssid("x").element(48, {1, 0, 0, 0x0f, 0xac, 4, 0xff, 0xff, 0, 0x0f, 0xac, 4}),
            "ssid=x sec=none", kPrivate);
        row("33-octet SSID", 2412, E().ssid(QByteArray(33, 'a')), "ssid=(hidden)");
        row("SSID control bytes", 2412, E().ssid("a\x1b[2Jb"), "ssid=a\\x1b[2Jb");
    }
    // Compares only the facts a row names.
    void describe() {
        QFETCH(int, capability);
        QFETCH(int, frequency);
        QFETCH(QByteArray, ies);
        QFETCH(QString, expect);
        const BssFacts f = ie::describeBss(quint16(capability), asSpan(ies), frequency);
        QStringList got;
        for (const QString &part : expect.split(' '))
            got << part.section('=', 0, 0) + '=' + fact(f, part.section('=', 0, 0));
        QCOMPARE(got.join(' '), expect);
    }
};

QTEST_GUILESS_MAIN(TestBss)
#include "tst_ie_bss.moc"
