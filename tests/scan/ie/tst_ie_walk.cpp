// The element walk: which elements it keeps, which it drops, where it stops.

#include "Elements.h"
#include "scan/ie/ElementWalk.h"

#include <QRegularExpression>
#include <QTest>

using ie::Slot;

namespace {

quint32 slotMask(std::initializer_list<Slot> kept) {
    quint32 mask = 0;
    for (const Slot s : kept)
        mask |= 1u << static_cast<unsigned>(s);
    return mask;
}

const char *const kWfa = "\x50\x6f\x9a";
const char *const kMicrosoft = "\x00\x50\xf2";

} // namespace

class TestElementWalk : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules("airlume.ie.debug=true"); }

    void walk_data() {
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<int>("elements");
        QTest::addColumn<int>("ignored");
        QTest::addColumn<bool>("truncated");
        QTest::addColumn<int>("leftover");
        QTest::addColumn<quint32>("kept");

        const QByteArray ht21(21, '\0'), ht22(22, '\0');
        QTest::newRow("empty") << QByteArray() << 0 << 0 << false << 0 << 0u;
        QTest::newRow("one stray byte") << QByteArray(1, '\0') << 0 << 0 << false << 1 << 0u;
        QTest::newRow("stray byte after an element")
            << QByteArray(Elements().ssid("a").raw({3})) << 1 << 0 << false << 1
            << slotMask({Slot::Ssid});
        QTest::newRow("length one past the end") << QByteArray(Elements().ssid("a").raw({3, 2, 6}))
                                                 << 1 << 0 << true << 3 << slotMask({Slot::Ssid});
        QTest::newRow("length exactly to the end")
            << QByteArray(Elements().ssid("a").raw({3, 1, 6})) << 2 << 0 << false << 0
            << slotMask({Slot::Ssid, Slot::DsParameterSet});
        QTest::newRow("truncated first element hides the rest")
            << QByteArray(Elements().raw({0, 40, 'x'}).ds(1)) << 0 << 0 << true << 6 << 0u;
        QTest::newRow("empty DS Parameter Set")
            << QByteArray(Elements().element(3, {})) << 1 << 1 << false << 0 << 0u;
        QTest::newRow("HT Operation one octet short")
            << QByteArray(Elements().element(61, ht21)) << 1 << 1 << false << 0 << 0u;
        QTest::newRow("HT Operation at its length")
            << QByteArray(Elements().element(61, ht22)) << 1 << 0 << false << 0
            << slotMask({Slot::HtOperation});
        QTest::newRow("BSS Load of 4 octets")
            << QByteArray(Elements().element(11, {1, 0, 9, 0})) << 1 << 1 << false << 0 << 0u;
        QTest::newRow("32-octet SSID") << QByteArray(Elements().ssid(QByteArray(32, 'a'))) << 1 << 0
                                       << false << 0 << slotMask({Slot::Ssid});
        QTest::newRow("33-octet SSID")
            << QByteArray(Elements().ssid(QByteArray(33, 'a'))) << 1 << 1 << false << 0 << 0u;
        QTest::newRow("duplicate SSID") << QByteArray(Elements().ssid("one").ssid("two")) << 2 << 1
                                        << false << 0 << slotMask({Slot::Ssid});
        QTest::newRow("unknown vendor OUIs")
            << QByteArray(Elements()
                              .vendor("\x00\x10\x18", 2, "\x02\x00")
                              .vendor("\x00\x0c\x43", 3, "\x00"))
            << 2 << 0 << false << 0 << 0u;
        QTest::newRow("WMM and WPS are not WPA")
            << QByteArray(Elements().wmm().wps()) << 2 << 0 << false << 0 << 0u;
        QTest::newRow("vendor element of OUI only")
            << QByteArray(Elements().element(221, {0x00, 0x50, 0xf2})) << 1 << 0 << false << 0
            << 0u;
        QTest::newRow("WPA without version")
            << QByteArray(Elements().vendor(kMicrosoft, 1, {})) << 1 << 1 << false << 0 << 0u;
        QTest::newRow("WPA and OWE transition")
            << QByteArray(Elements().wpa({2}).oweTransition("x")) << 2 << 0 << false << 0
            << slotMask({Slot::Wpa, Slot::OweTransition});
        QTest::newRow("OWE transition without SSID length")
            << QByteArray(Elements().vendor(kWfa, 0x1c, "\x02\x11\x22\x33\x44\x55")) << 1 << 1
            << false << 0 << 0u;
        QTest::newRow("extension without extension ID")
            << QByteArray(Elements().element(255, {})) << 1 << 1 << false << 0 << 0u;
        QTest::newRow("HE Capabilities one octet short")
            << QByteArray(Elements().extension(35, QByteArray(20, '\1'))) << 1 << 1 << false << 0
            << 0u;
        QTest::newRow("HE and EHT elements")
            << QByteArray(Elements().heCap().heOp(false, false).ehtCap().ehtOpWithoutInfo()) << 4
            << 0 << false << 0
            << slotMask({Slot::HeCapabilities, Slot::HeOperation, Slot::EhtCapabilities,
                         Slot::EhtOperation});
        QTest::newRow("unknown extension")
            << QByteArray(Elements().extension(200, "abc")) << 1 << 0 << false << 0 << 0u;
    }
    void walk() {
        QFETCH(QByteArray, ies);
        const ie::ElementSpans spans = ie::walkElements(asSpan(ies));
        QTEST(spans.elementCount, "elements");
        QTEST(spans.ignoredCount, "ignored");
        QTEST(spans.truncated, "truncated");
        QTEST(spans.leftoverBytes, "leftover");
        QTEST(spans.present, "kept");
    }

    void bodies() {
        const QByteArray ies = Elements().ssid("first").ssid("second").heOp(false, false).wpa({2});
        const ie::ElementSpans spans = ie::walkElements(asSpan(ies));
        const auto text = [&spans](Slot s) {
            return QByteArray(reinterpret_cast<const char *>(spans[s].data()),
                              qsizetype(spans[s].size()));
        };
        QCOMPARE(text(Slot::Ssid), QByteArray("first"));
        // Extension bodies start after the extension ID, vendor ones after OUI and type.
        QCOMPARE(spans[Slot::HeOperation].size(), 6u);
        QCOMPARE(spans[Slot::HeOperation][3], 0x2a);
        QCOMPARE(text(Slot::Wpa).left(2), QByteArray("\x01\x00", 2));
    }

    void logs_data() {
        QTest::addColumn<QByteArray>("ies");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("truncated")
            << QByteArray(Elements().raw({48, 9, 1, 0})) << "element 48 claims 9 octets";
        QTest::newRow("stray byte") << QByteArray(Elements().ds(1).raw({7})) << "1 stray octet";
        QTest::newRow("short") << QByteArray(Elements().element(192, {1, 42}))
                               << "ignoring element 192";
        QTest::newRow("duplicate") << QByteArray(Elements().ds(1).ds(2)) << "duplicate element 3";
    }
    void logs() {
        QFETCH(QByteArray, ies);
        QFETCH(QString, pattern);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(pattern));
        ie::walkElements(asSpan(ies));
    }
};

QTEST_GUILESS_MAIN(TestElementWalk)
#include "tst_ie_walk.moc"
