// RSN and WPA element parsing, and the security set a network announces.

#include "Elements.h"
#include "scan/ie/ElementParser.h"
#include "scan/ie/RsnParser.h"

#include <QTest>

namespace {

constexpr quint16 kEss = 0x0001, kPrivate = 0x0011;
const QByteArray kVersion = Elements::bytes({1, 0});
const QByteArray kCcmp = Elements::bytes({0x00, 0x0f, 0xac, 4});
const QByteArray kPsk = Elements::bytes({0x00, 0x0f, 0xac, 2});
const QByteArray kCckm = Elements::bytes({0x00, 0x40, 0x96, 0});
QByteArray count(int n) {
    return Elements::bytes({n & 0xff, n >> 8});
}
// An RSN body up to and including the pairwise list, ready for its AKM part.
const QByteArray kToPairwise = kVersion + kCcmp + count(1) + kCcmp;

} // namespace

class TestSecurity : public QObject {
    Q_OBJECT

private slots:
    void rsn_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<quint32>("akms");
        QTest::addColumn<int>("otherAkms");
        QTest::addColumn<int>("capabilities");
        const quint32 dot1x = 1u << 1, psk = 1u << 2, sae = 1u << 8;
        const auto row = [](const char *name, const QByteArray &body, bool valid, quint32 akms = 0,
                            int other = 0, int caps = -1) {
            QTest::newRow(name) << body << valid << akms << other << caps;
        };
        row("version only", kVersion, true, dot1x);
        row("version 2", Elements::bytes({2, 0}), false);
        row("group cipher cut", kVersion + kCcmp.left(2), false);
        row("up to the group cipher", kVersion + kCcmp, true, dot1x);
        row("one octet of pairwise count", kVersion + kCcmp + char(1), false);
        row("pairwise count without list", kVersion + kCcmp + count(1), false);
        row("pairwise count zero", kVersion + kCcmp + count(0) + kCcmp, false);
        row("pairwise count overflowing", kVersion + kCcmp + count(0xffff) + kCcmp, false);
        row("pairwise count one past", kVersion + kCcmp + count(2) + kCcmp + kCcmp.left(3), false);
        row("pairwise count exactly fits", kVersion + kCcmp + count(2) + kCcmp + kCcmp, true,
            dot1x);
        row("up to the pairwise list", kToPairwise, true, dot1x);
        row("one octet of AKM count", kToPairwise + char(1), false);
        row("AKM count zero", kToPairwise + count(0), false);
        row("AKM count overflowing", kToPairwise + count(0x4000) + kPsk, false);
        row("AKM count one past", kToPairwise + count(2) + kPsk, false);
        row("PSK", kToPairwise + count(1) + kPsk, true, psk);
        row("PSK and SAE with MFP",
            kToPairwise + count(2) + kPsk + Elements::bytes({0, 0x0f, 0xac, 8, 0x80, 0}), true,
            psk | sae, 0, 0x80);
        row("one octet after the AKMs", kToPairwise + count(1) + kPsk + char(0x80), true, psk);
        row("vendor AKM kept apart", kToPairwise + count(2) + kCckm + kPsk, true, psk, 1);
        row("AKM type 32 kept apart", kToPairwise + count(1) + Elements::bytes({0, 0x0f, 0xac, 32}),
            true, 0, 1);
    }
    void rsn() {
        QFETCH(QByteArray, body);
        QFETCH(bool, valid);
        const ie::RsnInfo info = ie::parseRsn(asSpan(body));
        QCOMPARE(info.valid, valid);
        if (!valid)
            return;
        QTEST(info.akms, "akms");
        QTEST(info.otherAkms, "otherAkms");
        QTEST(info.capabilities, "capabilities");
    }

    void wpa_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<quint32>("akms");
        QTest::addColumn<int>("otherAkms");
        QTest::newRow("version only is 802.1X") << kVersion << (1u << 1) << 0;
        QTest::newRow("PSK") << Elements::suites(1, "\x00\x50\xf2", 2, {2}) << (1u << 2) << 0;
        QTest::newRow("RSN OUI is foreign")
            << Elements::suites(1, "\x00\x0f\xac", 2, {2}) << 0u << 1;
    }
    void wpa() {
        QFETCH(QByteArray, body);
        const ie::RsnInfo info = ie::parseWpa(asSpan(body));
        QVERIFY(info.valid);
        QTEST(info.akms, "akms");
        QTEST(info.otherAkms, "otherAkms");
    }

    void securitySet_data() {
        QTest::addColumn<int>("capability");
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<QList<int>>("modes");
        using namespace Security;
        const auto row = [](const char *name, quint16 capability, const Elements &e,
                            QList<int> modes) {
            QTest::newRow(name) << int(capability) << QByteArray(e) << modes;
        };
        row("open", kEss, Elements(), {None});
        row("open half of OWE transition", kEss, Elements().oweTransition("owe"),
            {None, OWETransition});
        row("OWE half of OWE transition", kPrivate,
            Elements().rsn({18}, 0xc0).oweTransition("open"), {OWE});
        row("OWE transition element with privacy is WEP", kPrivate, Elements().oweTransition("owe"),
            {WEP});
        row("WEP", kPrivate, Elements(), {WEP});
        row("WPA-PSK", kPrivate, Elements().wpa({2}), {WPAPersonal});
        row("WPA-PSK and RSN-PSK", kPrivate, Elements().wpa({2}).rsn({2}),
            {WPAWPA2Personal, WPA2Personal});
        row("RSN-PSK", kPrivate, Elements().rsn({2}), {WPA2Personal});
        row("RSN-PSK with FT and SHA256", kPrivate, Elements().rsn({2, 4, 6}), {WPA2Personal});
        row("SAE", kPrivate, Elements().rsn({8}, 0xc0), {WPA3Personal});
        row("SAE-EXT-KEY and FT-SAE", kPrivate, Elements().rsn({24, 9}, 0xc0), {WPA3Personal});
        row("PSK and SAE", kPrivate, Elements().rsn({2, 8}, 0x80), {WPA2WPA3Personal});
        row("WPA-PSK, RSN-PSK and SAE", kPrivate, Elements().wpa({2}).rsn({2, 8}),
            {WPAWPA2Personal, WPA2Personal, WPA2WPA3Personal});
        row("WPA-PSK and SAE", kPrivate, Elements().wpa({2}).rsn({8}), {WPAPersonal, WPA3Personal});
        row("WPA-802.1X", kPrivate, Elements().wpa({1}), {WPAEnterprise});
        row("WPA and RSN 802.1X", kPrivate, Elements().wpa({1}).rsn({1}),
            {WPAWPA2Enterprise, WPA2Enterprise});
        row("RSN 802.1X", kPrivate, Elements().rsn({1}), {WPA2Enterprise});
        row("RSN without AKM list", kPrivate, Elements().element(48, kVersion + kCcmp),
            {WPA2Enterprise});
        row("FT-802.1X", kPrivate, Elements().rsn({3}), {WPA2Enterprise});
        row("FILS", kPrivate, Elements().rsn({14, 15}), {WPA2Enterprise});
        row("802.1X-SHA256 alone", kPrivate, Elements().rsn({5}, 0xc0), {WPA3Enterprise});
        row("802.1X and 802.1X-SHA256", kPrivate, Elements().rsn({1, 5}, 0x80), {WPA2Enterprise});
        row("Suite B", kPrivate, Elements().rsn({11}), {WPA3Enterprise});
        row("Suite B 192", kPrivate, Elements().rsn({12}, 0xc0), {WPA3Enterprise});
        row("FT-802.1X-SHA384", kPrivate, Elements().rsn({13}), {WPA3Enterprise});
        row("802.1X and Suite B 192", kPrivate, Elements().rsn({1, 12}),
            {WPA2Enterprise, WPA3Enterprise});
        row("PSK and 802.1X", kPrivate, Elements().rsn({1, 2}), {WPA2Personal, WPA2Enterprise});
        row("OWE", kPrivate, Elements().rsn({18}, 0xc0), {OWE});
        row("RSN without privacy bit", kEss, Elements().rsn({2}), {WPA2Personal});
        row("RSN of one octet is ignored", kPrivate, Elements().element(48, {1}), {WEP});
        row("unreadable RSN is neither open nor WEP", kPrivate,
            Elements().element(48, kVersion + kCcmp + count(0xffff) + kCcmp), {});
        row("unreadable RSN beside WPA-PSK", kPrivate,
            Elements().wpa({2}).element(48, kVersion + kCcmp + count(3)), {WPAPersonal});
        row("vendor AKM only", kPrivate, Elements().element(48, kToPairwise + count(1) + kCckm),
            {});
    }
    void securitySet() {
        QFETCH(int, capability);
        QFETCH(QByteArray, ies);
        QTEST(codeList(ie::describeBss(quint16(capability), asSpan(ies), 2437).securityModes),
              "modes");
    }
};

QTEST_GUILESS_MAIN(TestSecurity)
#include "tst_ie_security.moc"
