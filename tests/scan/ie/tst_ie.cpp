// The element readers on bytes from the air: the walk, SSID text, RSN/WPA bodies, and what
// describeBss concludes from a beacon, broken ones included.

#include "Elements.h"
#include "scan/WifiCodes.h"
#include "scan/ie/ElementParser.h"
#include "scan/ie/ElementWalk.h"
#include "scan/ie/RsnParser.h"

#include <QTest>
#include <bit>

using E = Elements;

namespace {

const QByteArray kVersion = E::bytes({1, 0}), kCcmp = E::bytes({0x00, 0x0f, 0xac, 4});
const QByteArray kPsk = E::bytes({0x00, 0x0f, 0xac, 2});
QByteArray count(int n) {
    return E::bytes({n & 0xff, n >> 8});
}
const QByteArray kToAkms = kVersion + kCcmp + count(1) + kCcmp;

constexpr int kEss = 0x0401, kPrivate = 0x0411; // ESS, short slot time, privacy
const QByteArray kOfdm = E::bytes({0x8c, 0x12, 0x98, 0x24, 0xb0, 0x48, 0x60, 0x6c});

E he6(int width, bool vht = false) {
    return E().heOp(vht, E::sixGhzInfo(37, width, 39, 47));
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
    if (key == "ssid")
        return f.ssid.isNull() ? "(hidden)" : f.ssid;
    if (key == "ch")
        return QString::number(f.channelNumber) + '@' +
               QStringList{"?", "2.4", "5", "6"}.value(f.channelBand);
    if (key == "width")
        return QStringList{"?", "20", "40", "80", "160", "320"}.value(f.channelWidth);
    if (key == "phy")
        return names(f.phyModes, {"-", "a", "b", "g", "n", "ac", "ax", "be"});
    if (key == "sec")
        return names(f.securityModes, {"open", "WEP", "WPA", "WPA/WPA2", "WPA2", "Personal", "DWEP",
                                       "WPA-Ent", "WPA/WPA2-Ent", "WPA2-Ent", "Ent", "WPA3",
                                       "WPA3-Ent", "WPA2/WPA3", "OWE", "OWE-transition"});
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

class TestElements : public QObject {
    Q_OBJECT

private slots:
    // "walked/ignored/leftover bytes/kept", " cut" when a length ran past the end.
    void walk_data() {
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<QString>("counts");
        const auto row = [](const char *name, const QByteArray &ies, const char *counts) {
            QTest::newRow(name) << ies << QString(counts);
        };
        row("length one past the end", E().ssid("a").raw("\3\2\6"), "1/0/3/1 cut");
        row("length exactly to the end", E().ssid("a").raw("\3\1\6"), "2/0/0/2");
        row("HT Operation one octet short", E().element(61, QByteArray(21, 0)), "1/1/0/0");
        row("33-octet SSID", E().ssid(QByteArray(33, 'a')), "1/1/0/0");
        row("HE, EHT and an unknown extension",
            E().heCap().heOp().ehtCap().ehtOp(0, 36).extension(200, "abc"), "5/0/0/4");
    }
    void walk() {
        QFETCH(QByteArray, ies);
        const ie::ElementSpans s = ie::walkElements(asSpan(ies));
        QTEST(QStringLiteral("%1/%2/%3/%4")
                      .arg(s.elementCount)
                      .arg(s.ignoredCount)
                      .arg(s.leftoverBytes)
                      .arg(std::popcount(s.present)) +
                  (s.truncated ? " cut" : ""),
              "counts");
    }
    // Each row packs one class of byte; a null text is a hidden SSID.
    void ssidText_data() {
        QTest::addColumn<QByteArray>("ssid");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, const QByteArray &in, const QString &out) {
            QTest::newRow(name) << in << out;
        };
        row("empty is hidden", "", QString());
        row("32 zero octets are hidden", QByteArray(32, 0), QString());
        row("C0, DEL and zero inside", QByteArray("\0\t\x7f~", 4), "\\x00\\x09\\x7f~");
        row("C1 edges", "\xc2\x80\xc2\x9f\xc2\xa0", "\\xc2\\x80\\xc2\\x9f" + QString(QChar(0xa0)));
        row("marks, separators, overrides, isolates",
            "\xe2\x80\x8d\xe2\x80\x8e\xe2\x80\xa9\xe2\x80\xae\xe2\x80\xaf\xe2\x81\xa6\xe2\x81\xa9"
            "\xe2\x81\xb0",
            QString(QChar(0x200d)) + "\\xe2\\x80\\x8e\\xe2\\x80\\xa9\\xe2\\x80\\xae" +
                QChar(0x202f) + "\\xe2\\x81\\xa6\\xe2\\x81\\xa9" + QChar(0x2070));
        row("malformed UTF-8 escaped byte by byte",
            "\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80\xe2(\xe2\x98",
            "\\xc0\\xaf\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80\\xe2(\\xe2\\x98");
    }
    void ssidText() {
        QFETCH(QByteArray, ssid);
        QFETCH(QString, text);
        const QString got = ie::ssidText(asSpan(ssid));
        QCOMPARE(got, text);
        QCOMPARE(got.isNull(), text.isNull());
    }

    // Fields may stop at a field boundary, never inside one; counts must fit.
    // akms in hex, bit n for AKM suite type n; +other AKMs; capabilities.
    void rsn_data() {
        QTest::addColumn<bool>("wpa");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("info");
        const auto row = [](const char *name, const QByteArray &body, const char *info) {
            QTest::newRow(name) << false << body << info;
        };
        row("version only", kVersion, "akms 2 +0 caps -1");
        row("pairwise count one past", kVersion + kCcmp + count(2) + kCcmp + kCcmp.left(3),
            "invalid");
        row("pairwise count exactly fits", kVersion + kCcmp + count(2) + kCcmp + kCcmp,
            "akms 2 +0 caps -1");
        row("one octet of AKM count", kToAkms + char(1), "invalid");
        row("PSK and SAE with MFP",
            kToAkms + count(2) + kPsk + E::bytes({0, 0x0f, 0xac, 8, 0x80, 0}),
            "akms 104 +0 caps 128");
        QTest::newRow("WPA with RSN OUI")
            << true << E::suites("\x00\x0f\xac", 2, {2}) << "akms 0 +1 caps -1";
    }
    void rsn() {
        QFETCH(bool, wpa);
        QFETCH(QByteArray, body);
        const ie::RsnInfo i = wpa ? ie::parseWpa(asSpan(body)) : ie::parseRsn(asSpan(body));
        QTEST(i.valid ? QStringLiteral("akms %1 +%2 caps %3")
                            .arg(i.akms, 0, 16)
                            .arg(i.otherAkms)
                            .arg(i.capabilities)
                      : "invalid",
              "info");
    }

    void describe_data() {
        QTest::addColumn<int>("capability");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<QString>("expect");
        // Channel and band: the raster's edges, then DS or HT when the frequency is missing
        // or off the raster.
        row("2484 MHz", 2484, {}, "ch=14@2.4");
        row("2485 MHz", 2485, {}, "ch=0@?");
        row("frequency wins over DS", 2412, E().ds(11), "ch=1@2.4");
        row("DS 31 alone", 0, E().ds(31), "ch=0@?");
        // Width: EHT, HE 6 GHz, VHT in turn, then HT, then 20 MHz in a known band.
        row("nothing, 2.4 GHz", 2437, {}, "width=20");
        row("HT40 above", 2412, E().htOp(1, 1, true), "width=40");
        row("VHT160 CCFS1 8 above", 5180, E().vhtOp(1, 42, 50), "width=160");
        row("VHT old 80+80", 5180, E().vhtOp(3, 42, 106), "width=160");
        row("VHT80 claimed on 2.4 GHz", 2437, E().htOp(6).vhtOp(1, 42), "width=20");
        row("HE 6 GHz after VHT info", 6135, he6(2, true), "width=80");
        row("HE 6 GHz info cut short", 6135,
            E().extension(36, E::bytes({0, 0, 2, 0x2a, 0xfc, 0xff, 37, 2, 39, 47})), "width=20");
        // PHY set: legacy from the rates by band, the rest from capabilities.
        row("5.5 Mb/s is DSSS, 22 Mb/s PBCC neither", 2412, E().rates({0x8b, 0x2c}), "phy=b");
        // Security: whatever the privacy bit says, RSN and WPA decide; families add up.
        const auto sec = [](const char *name, const E &ies, const char *expect,
                            int capability = kPrivate) {
            row(name, 2437, ies, expect, capability);
        };
        sec("WPA-PSK, RSN-PSK and SAE", E().wpa({2}).rsn({2, 8}), "sec=WPA/WPA2,WPA2,WPA2/WPA3");
        sec("RSN without AKM list", E().element(48, E::suites("\x00\x0f\xac", 4, {}).left(6)),
            "sec=WPA2-Ent");
        // WPA3 modes: 0x80 is PMF capable, 0xc0 required.
        sec("SAE-PK: SAE with the RSNXE", E().rsn({8}, 0xc0).element(244, {0x60}), "sec=WPA3");
        sec("OWE transition, open half", E().ssid("Cafe").oweTransition(""),
            "ssid=Cafe sec=open,OWE-transition", kEss);
        sec("OWE transition, OWE half", E().ssid("").rsn({18}, 0xc0).oweTransition("Cafe"),
            "ssid=(hidden) sec=OWE");
        // Rates: selectors and zero are not rates, 127 units (63.5 Mb/s) is.
        row("selectors and zero dropped, 120 and 127 kept", 2412,
            E().rates({0x8c, 0xff, 0xf9, 0xf8, 0x7f, 0x80, 0}).extRates({0xfb}),
            "rates=6000,60000,63500");
        // A whole 6 GHz beacon without frequency, and one broken halfway: what came before
        // the damage still counts.
        const E studio = E().ssid("Studio7").element(1, kOfdm).rsn({24}, 0xc0).heCap();
        row("6 GHz EHT320 without frequency", 0, E(studio).raw(he6(3)).ehtCap().ehtOp(4, 47, 63),
            "ssid=Studio7 ch=37@6 width=320 phy=ax,be sec=WPA3", kPrivate);
        row("length past the end", 0, E().ssid("Cut").ds(3).raw(E::bytes({48, 20, 1, 0})),
            "ssid=Cut ch=3@2.4 sec=WEP", kPrivate);
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

QTEST_GUILESS_MAIN(TestElements)
#include "tst_ie.moc"
