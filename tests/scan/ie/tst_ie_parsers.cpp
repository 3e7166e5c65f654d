// The byte-level readers: the element walk (what it keeps, drops, where it
// stops), SSID bytes to display text, and RSN/WPA element bodies.

#include "Elements.h"
#include "scan/ie/ElementParser.h"
#include "scan/ie/ElementWalk.h"
#include "scan/ie/RsnParser.h"

#include <QTest>
#include <bit>

using ie::Slot;
using E = Elements;

namespace {

const QByteArray kVersion = E::bytes({1, 0}), kCcmp = E::bytes({0x00, 0x0f, 0xac, 4});
const QByteArray kPsk = E::bytes({0x00, 0x0f, 0xac, 2});
QByteArray count(int n) {
    return E::bytes({n & 0xff, n >> 8});
}
const QByteArray kToPairwise = kVersion + kCcmp + count(1) + kCcmp; // ready for the AKM part

} // namespace

class TestParsers : public QObject {
    Q_OBJECT

private slots:
    // "walked/ignored/leftover bytes/kept", " cut" when a length ran past the end.
    void walk_data() {
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<QString>("counts");
        const auto row = [](const char *name, const QByteArray &ies, const char *counts) {
            QTest::newRow(name) << ies << QString(counts);
        };
        row("empty", {}, "0/0/0/0");
        row("stray byte after an element", E().ssid("a").raw("\3"), "1/0/1/1");
        row("length one past the end", E().ssid("a").raw("\3\2\6"), "1/0/3/1 cut");
        row("length exactly to the end", E().ssid("a").raw("\3\1\6"), "2/0/0/2");
        row("truncated first element hides the rest", E().raw(QByteArray("\0(x", 3)).ds(1),
            "0/0/6/0 cut");
        row("HT Operation one octet short", E().element(61, QByteArray(21, 0)), "1/1/0/0");
        row("HT Operation at its length", E().element(61, QByteArray(22, 0)), "1/0/0/1");
        row("32-octet SSID", E().ssid(QByteArray(32, 'a')), "1/0/0/1");
        row("33-octet SSID", E().ssid(QByteArray(33, 'a')), "1/1/0/0");
        row("duplicate SSID", E().ssid("one").ssid("two"), "2/1/0/1");
        row("WMM, other OUI, OUI only",
            E().vendor("\x00\x50\xf2", 2, "")
                .vendor("\0\x0c\x43", 1, "")
                .element(221, {0, 0x50, 0xf2}),
            "3/0/0/0");
        row("WPA without version", E().vendor("\x00\x50\xf2", 1, {}), "1/1/0/0");
        row("extension without extension ID", E().element(255, {}), "1/1/0/0");
        row("HE Capabilities one octet short", E().extension(35, QByteArray(20, 1)), "1/1/0/0");
        row("HE, EHT and an unknown extension",
            E().heCap()
                .heOp()
                .ehtCap()
                .extension(106, E::bytes({0, 0x44, 0x44, 0x44, 0x44}))
                .extension(200, "abc"),
            "5/0/0/4");
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

    // Extension bodies start after the extension ID, vendor ones after OUI and type.
    void bodies() {
        const QByteArray ies = E().ssid("first").ssid("second").heOp().wpa({2});
        const ie::ElementSpans s = ie::walkElements(asSpan(ies));
        const auto text = [&s](Slot slot) {
            return QByteArray(reinterpret_cast<const char *>(s[slot].data()),
                              qsizetype(s[slot].size()));
        };
        QCOMPARE(text(Slot::Ssid), "first");
        QCOMPARE(text(Slot::HeOperation), E::bytes({0, 0, 0, 0x2a, 0xfc, 0xff}));
        QCOMPARE(text(Slot::Wpa).left(2), kVersion);
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
        row("printable ASCII, backslash stays", "Lab Cafe, Free \\x", "Lab Cafe, Free \\x");
        row("UTF-8 up to the last code point", "Caf\xc3\xa9 \xf0\x9f\x9a\x80 \xf4\x8f\xbf\xbf",
            QString::fromUtf8("Café 🚀 ") + QString::fromUcs4(U"\U0010ffff", 1));
        row("C0, DEL and zero inside", QByteArray("\0\t\x1f \x7f~", 6), "\\x00\\x09\\x1f \\x7f~");
        row("C1 edges", "\xc2\x80\xc2\x9f\xc2\xa0", "\\xc2\\x80\\xc2\\x9f" + QString(QChar(0xa0)));
        row("marks, separators, overrides, isolates",
            "\xe2\x80\x8d\xe2\x80\x8e\xe2\x80\xa9\xe2\x80\xae\xe2\x80\xaf\xe2\x81\xa6\xe2\x81\xa9"
            "\xe2\x81\xb0",
            QString(QChar(0x200d)) + "\\xe2\\x80\\x8e\\xe2\\x80\\xa9\\xe2\\x80\\xae" +
                QChar(0x202f) + "\\xe2\\x81\\xa6\\xe2\\x81\\xa9" + QChar(0x2070));
        row("malformed UTF-8 escaped byte by byte",
            "\xe9\x80\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80\xe2(ab\xe2\x98",
            "\\xe9\\x80\\xc0\\xaf\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80\\xe2(ab\\xe2\\x98");
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
        row("version 2", E::bytes({2, 0}), "invalid");
        row("group cipher cut", kVersion + kCcmp.left(2), "invalid");
        row("up to the group cipher", kVersion + kCcmp, "akms 2 +0 caps -1");
        row("pairwise count zero", kVersion + kCcmp + count(0), "invalid");
        row("pairwise count overflowing", kVersion + kCcmp + count(0xffff) + kCcmp, "invalid");
        row("pairwise count one past", kVersion + kCcmp + count(2) + kCcmp + kCcmp.left(3),
            "invalid");
        row("pairwise count exactly fits", kVersion + kCcmp + count(2) + kCcmp + kCcmp,
            "akms 2 +0 caps -1");
        row("AKM count zero", kToPairwise + count(0), "invalid");
        row("one octet of AKM count", kToPairwise + char(1), "invalid");
        row("AKM count overflowing", kToPairwise + count(0x4000) + kPsk, "invalid");
        row("PSK and SAE with MFP",
            kToPairwise + count(2) + kPsk + E::bytes({0, 0x0f, 0xac, 8, 0x80, 0}),
            "akms 104 +0 caps 128");
        row("one octet after the AKMs", kToPairwise + count(1) + kPsk + char(0x80),
            "akms 4 +0 caps -1");
        row("vendor AKM and type 32 kept apart",
            kToPairwise + count(3) + E::bytes({0, 0x40, 0x96, 0, 0, 0x0f, 0xac, 32}) + kPsk,
            "akms 4 +2 caps -1");
        QTest::newRow("WPA PSK") << true << E::suites("\x00\x50\xf2", 2, {2})
                                 << "akms 4 +0 caps -1";
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
};

QTEST_GUILESS_MAIN(TestParsers)
#include "tst_ie_parsers.moc"
