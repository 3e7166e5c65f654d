#include "AttributeBuilder.h"
#include "scan/nl80211/Nl80211Decode.h"

#include <QTest>
#include <linux/nl80211.h>

using namespace nl80211;

namespace {

const QByteArray kBssid = QByteArray::fromHex("0200000003aa");

// SSID "Home", DS parameter set channel 6, RSN with CCMP and PSK.
QByteArray homeElements() {
    return QByteArray::fromHex("0004486f6d65"
                               "030106"
                               "30140100000fac040100000fac040100000fac020000");
}

// A GET_SCAN dump message for one BSS; `fill` adds to the BSS nest.
template <typename Fill> QByteArray bssMessage(Fill fill) {
    AttributeBuilder b;
    b.u32(NL80211_ATTR_GENERATION, 7).u32(NL80211_ATTR_IFINDEX, 3).begin(NL80211_ATTR_BSS);
    fill(b);
    b.end();
    return b.data();
}

QByteArray plainBss(int mbm = -4500) {
    return bssMessage([&](AttributeBuilder &b) {
        b.bytes(NL80211_BSS_BSSID, kBssid)
            .u32(NL80211_BSS_FREQUENCY, 2437)
            .u16(NL80211_BSS_CAPABILITY, 0x0411)
            .s32(NL80211_BSS_SIGNAL_MBM, mbm)
            .u32(NL80211_BSS_SEEN_MS_AGO, 1200)
            .u64(NL80211_BSS_LAST_SEEN_BOOTTIME, 5000000000ULL)
            .bytes(NL80211_BSS_INFORMATION_ELEMENTS, homeElements());
    });
}

} // namespace

class TestNl80211Decode : public QObject {
    Q_OBJECT
private slots:
    // --- scan table entries ---
    void bssWithElements() {
        QString reason;
        const auto entry = decodeBss(span(plainBss()), &reason);
        QVERIFY2(entry, qPrintable(reason));
        const ScanResult &r = entry->result;
        QCOMPARE(r.bssid, QStringLiteral("02:00:00:00:03:aa"));
        QCOMPARE(r.ssid, QStringLiteral("Home"));
        QCOMPARE(r.frequencyMhz, 2437);
        QCOMPARE(r.channelNumber, 6);
        QCOMPARE(r.channelBand, int(Band::Ghz2_4));
        QCOMPARE(r.rssiValue, -45);
        QCOMPARE(r.lastSeenMsAgo, qint64(1200));
        QCOMPARE(entry->lastSeenBoottimeNs, qint64(5000000000LL));
        QCOMPARE(entry->ifindex, 3);
        QVERIFY(r.supportsSecurity(Security::WPA2Personal));
        QVERIFY(!r.associated);
        QVERIFY(!entry->signalFromPercent);
    }

    void bssWithoutElementsUsesTheFrequency() {
        const QByteArray msg = bssMessage([](AttributeBuilder &b) {
            b.bytes(NL80211_BSS_BSSID, kBssid)
                .u32(NL80211_BSS_FREQUENCY, 5180)
                .u16(NL80211_BSS_CAPABILITY, 0x0001);
        });
        const auto entry = decodeBss(span(msg), nullptr);
        QVERIFY(entry);
        QVERIFY(entry->result.ssid.isNull());
        QCOMPARE(entry->result.channelNumber, 36);
        QCOMPARE(entry->result.channelBand, int(Band::Ghz5));
        QCOMPARE(entry->result.rssiValue, 0); // no signal reported
        QCOMPARE(entry->lastSeenBoottimeNs, qint64(-1));
        QVERIFY(entry->result.supportsSecurity(Security::None));
    }

    void probeResponseElementsWinOverBeacon() {
        const QByteArray msg = bssMessage([](AttributeBuilder &b) {
            b.bytes(NL80211_BSS_BSSID, kBssid)
                .u32(NL80211_BSS_FREQUENCY, 2412)
                .bytes(NL80211_BSS_INFORMATION_ELEMENTS, QByteArray::fromHex("000550726f6265"))
                .bytes(NL80211_BSS_BEACON_IES, QByteArray::fromHex("0006426561636f6e"))
                .flag(NL80211_BSS_PRESP_DATA);
        });
        const auto entry = decodeBss(span(msg), nullptr);
        QVERIFY(entry);
        QCOMPARE(entry->result.ssid, QStringLiteral("Probe"));
        QVERIFY(entry->fromProbeResponse);
    }

    void beaconElementsWhenNoOthers() {
        const QByteArray msg = bssMessage([](AttributeBuilder &b) {
            b.bytes(NL80211_BSS_BSSID, kBssid)
                .u32(NL80211_BSS_FREQUENCY, 2412)
                .bytes(NL80211_BSS_BEACON_IES, QByteArray::fromHex("0006426561636f6e"));
        });
        const auto entry = decodeBss(span(msg), nullptr);
        QVERIFY(entry);
        QCOMPARE(entry->result.ssid, QStringLiteral("Beacon"));
        QVERIFY(!entry->fromProbeResponse);
    }

    void signalInMbmRounds_data() {
        QTest::addColumn<int>("mbm");
        QTest::addColumn<int>("dbm");
        QTest::newRow("whole") << -3000 << -30;
        QTest::newRow("half away from zero") << -4550 << -46;
        QTest::newRow("just under half") << -4549 << -45;
        QTest::newRow("positive") << 120 << 1;
    }
    void signalInMbmRounds() {
        QFETCH(int, mbm);
        QFETCH(int, dbm);
        const auto entry = decodeBss(span(plainBss(mbm)), nullptr);
        QVERIFY(entry);
        QCOMPARE(entry->result.rssiValue, dbm);
    }

    void unspecifiedSignalIsScaled_data() {
        QTest::addColumn<int>("unspec");
        QTest::addColumn<int>("dbm");
        QTest::newRow("nothing") << 0 << -100;
        QTest::newRow("middle") << 60 << -70;
        QTest::newRow("full") << 100 << -50;
        QTest::newRow("over the scale") << 200 << -50;
    }
    void unspecifiedSignalIsScaled() {
        QFETCH(int, unspec);
        QFETCH(int, dbm);
        const QByteArray msg = bssMessage([&](AttributeBuilder &b) {
            b.bytes(NL80211_BSS_BSSID, kBssid)
                .u32(NL80211_BSS_FREQUENCY, 2412)
                .u8(NL80211_BSS_SIGNAL_UNSPEC, static_cast<std::uint8_t>(unspec));
        });
        const auto entry = decodeBss(span(msg), nullptr);
        QVERIFY(entry);
        QCOMPARE(entry->result.rssiValue, dbm);
        QVERIFY(entry->signalFromPercent);
    }

    void mbmPreferredOverUnspecified() {
        const QByteArray msg = bssMessage([](AttributeBuilder &b) {
            b.bytes(NL80211_BSS_BSSID, kBssid)
                .u32(NL80211_BSS_FREQUENCY, 2412)
                .u8(NL80211_BSS_SIGNAL_UNSPEC, 90)
                .s32(NL80211_BSS_SIGNAL_MBM, -6100);
        });
        const auto entry = decodeBss(span(msg), nullptr);
        QVERIFY(entry);
        QCOMPARE(entry->result.rssiValue, -61);
        QVERIFY(!entry->signalFromPercent);
    }

    void associatedStatus_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("associated");
        QTest::newRow("authenticated only") << int(NL80211_BSS_STATUS_AUTHENTICATED) << false;
        QTest::newRow("associated") << int(NL80211_BSS_STATUS_ASSOCIATED) << true;
        QTest::newRow("ibss joined") << int(NL80211_BSS_STATUS_IBSS_JOINED) << true;
        QTest::newRow("unknown value") << 9 << false;
    }
    void associatedStatus() {
        QFETCH(int, status);
        QFETCH(bool, associated);
        const QByteArray msg = bssMessage([&](AttributeBuilder &b) {
            b.bytes(NL80211_BSS_BSSID, kBssid)
                .u32(NL80211_BSS_STATUS, static_cast<quint32>(status));
        });
        const auto entry = decodeBss(span(msg), nullptr);
        QVERIFY(entry);
        QCOMPARE(entry->result.associated, associated);
    }

    // --- malformed entries: skipped with a reason, never read past the end ---
    void noBssNestIsSkipped() {
        AttributeBuilder b;
        b.u32(NL80211_ATTR_IFINDEX, 3);
        QString reason;
        QVERIFY(!decodeBss(span(b.data()), &reason));
        QVERIFY(reason.contains(QStringLiteral("BSS")));
        QVERIFY(!decodeBss({}, &reason));
    }

    void badBssidIsSkipped_data() {
        QTest::addColumn<QByteArray>("bssid");
        QTest::addColumn<QString>("reasonPart");
        QTest::newRow("short") << QByteArray::fromHex("0200000003") << QStringLiteral("5 bytes");
        QTest::newRow("long") << QByteArray::fromHex("0200000003aabb") << QStringLiteral("7 bytes");
        QTest::newRow("absent") << QByteArray() << QStringLiteral("no BSSID");
    }
    void badBssidIsSkipped() {
        QFETCH(QByteArray, bssid);
        QFETCH(QString, reasonPart);
        const QByteArray msg = bssMessage([&](AttributeBuilder &b) {
            if (!bssid.isEmpty())
                b.bytes(NL80211_BSS_BSSID, bssid);
            b.u32(NL80211_BSS_FREQUENCY, 2412);
        });
        QString reason;
        QVERIFY(!decodeBss(span(msg), &reason));
        QVERIFY2(reason.contains(reasonPart), qPrintable(reason));
    }

    void shortNumberIsSkipped_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::newRow("frequency") << int(NL80211_BSS_FREQUENCY) << QStringLiteral("frequency");
        QTest::newRow("signal") << int(NL80211_BSS_SIGNAL_MBM) << QStringLiteral("signal");
        QTest::newRow("last seen")
            << int(NL80211_BSS_LAST_SEEN_BOOTTIME) << QStringLiteral("last seen");
        QTest::newRow("status") << int(NL80211_BSS_STATUS) << QStringLiteral("status");
    }
    void shortNumberIsSkipped() {
        QFETCH(int, type);
        QFETCH(QString, name);
        const QByteArray msg = bssMessage([&](AttributeBuilder &b) {
            b.bytes(NL80211_BSS_BSSID, kBssid).bytes(type, QByteArray("\x01\x02", 2));
        });
        QString reason;
        QVERIFY(!decodeBss(span(msg), &reason));
        QVERIFY2(reason.contains(name) && reason.contains(QStringLiteral("02:00:00:00:03:aa")),
                 qPrintable(reason));
    }

    void truncatedMessagesNeverCrash() {
        // Every cut of a good message: decoding either succeeds on what is
        // whole or skips the entry; AddressSanitizer catches any overread.
        const QByteArray whole = plainBss();
        int skipped = 0;
        for (qsizetype cut = 0; cut < whole.size(); ++cut) {
            QByteArray part = whole.left(cut);
            part.squeeze();
            QString reason;
            if (!decodeBss(span(part), &reason)) {
                ++skipped;
                QVERIFY(!reason.isEmpty());
            }
        }
        QVERIFY(skipped > 0);
    }

    void nestLengthPastTheEndIsIgnored() {
        QByteArray msg = plainBss();
        // The BSS nest header follows two 8-byte attributes; claim it is longer.
        const qsizetype nest = 16;
        const quint16 tooLong = static_cast<quint16>(msg.size() + 40);
        std::memcpy(msg.data() + nest, &tooLong, sizeof tooLong);
        QString reason;
        QVERIFY(!decodeBss(span(msg), &reason));
    }

    void truncatedElementsStillDecode() {
        const QByteArray msg = bssMessage([](AttributeBuilder &b) {
            // SSID "Home", then an element claiming 40 bytes with 2 present.
            b.bytes(NL80211_BSS_BSSID, kBssid)
                .u32(NL80211_BSS_FREQUENCY, 2412)
                .bytes(NL80211_BSS_INFORMATION_ELEMENTS,
                       QByteArray::fromHex("0004486f6d653028aabb"));
        });
        const auto entry = decodeBss(span(msg), nullptr);
        QVERIFY(entry);
        QCOMPARE(entry->result.ssid, QStringLiteral("Home"));
    }

    // --- interfaces ---
    void joinedStationInterface() {
        AttributeBuilder b;
        b.u32(NL80211_ATTR_IFINDEX, 5)
            .raw(NL80211_ATTR_IFNAME, "wlan7", 6)
            .u32(NL80211_ATTR_WIPHY, 7)
            .u32(NL80211_ATTR_IFTYPE, NL80211_IFTYPE_STATION)
            .bytes(NL80211_ATTR_MAC, QByteArray::fromHex("020000000700"))
            .bytes(NL80211_ATTR_SSID, QByteArray("LabHome"))
            .u32(NL80211_ATTR_WIPHY_FREQ, 2437)
            .u32(NL80211_ATTR_CHANNEL_WIDTH, NL80211_CHAN_WIDTH_40);
        QString reason;
        const auto entry = decodeInterface(span(b.data()), &reason);
        QVERIFY2(entry, qPrintable(reason));
        QCOMPARE(entry->name, QStringLiteral("wlan7"));
        QCOMPARE(entry->ifindex, 5);
        QCOMPARE(entry->wiphy, 7);
        QVERIFY(entry->isStation());
        QCOMPARE(entry->macAddress, QStringLiteral("02:00:00:00:07:00"));
        QVERIFY(entry->joined);
        QCOMPARE(entry->ssid, QStringLiteral("LabHome"));
        QCOMPARE(entry->frequencyMhz, 2437);
        QCOMPARE(entry->channelWidth, int(ChannelWidth::Mhz40));
    }

    void idleAndOtherInterfaces() {
        AttributeBuilder ap;
        ap.u32(NL80211_ATTR_IFINDEX, 2)
            .raw(NL80211_ATTR_IFNAME, "wlan0", 6)
            .u32(NL80211_ATTR_IFTYPE, NL80211_IFTYPE_AP);
        const auto accessPoint = decodeInterface(span(ap.data()), nullptr);
        QVERIFY(accessPoint && !accessPoint->isStation());

        AttributeBuilder idle;
        idle.u32(NL80211_ATTR_IFINDEX, 3)
            .raw(NL80211_ATTR_IFNAME, "wlan1", 6)
            .u32(NL80211_ATTR_IFTYPE, NL80211_IFTYPE_STATION);
        const auto station = decodeInterface(span(idle.data()), nullptr);
        QVERIFY(station && station->isStation());
        QVERIFY(!station->joined);
        QVERIFY(station->ssid.isNull());

        // A P2P device has no network interface: not a station to scan with.
        AttributeBuilder device;
        device.u32(NL80211_ATTR_WIPHY, 1).u32(NL80211_ATTR_IFTYPE, NL80211_IFTYPE_STATION);
        const auto noNetdev = decodeInterface(span(device.data()), nullptr);
        QVERIFY(noNetdev && !noNetdev->isStation());
    }

    void nameWithoutTerminatorStopsAtItsEnd() {
        AttributeBuilder b;
        b.u32(NL80211_ATTR_IFINDEX, 3).raw(NL80211_ATTR_IFNAME, "wlp2s0", 6);
        const auto entry = decodeInterface(span(b.data()), nullptr);
        QVERIFY(entry);
        QCOMPARE(entry->name, QStringLiteral("wlp2s0"));
    }

    void shortInterfaceNumberIsRejected() {
        AttributeBuilder b;
        b.raw(NL80211_ATTR_IFINDEX, "\x03", 1).raw(NL80211_ATTR_IFNAME, "wlan0", 6);
        QString reason;
        QVERIFY(!decodeInterface(span(b.data()), &reason));
        QVERIFY(reason.contains(QStringLiteral("ifindex")));
    }

    void channelWidths_data() {
        QTest::addColumn<int>("nl");
        QTest::addColumn<int>("code");
        QTest::newRow("20 no HT") << int(NL80211_CHAN_WIDTH_20_NOHT) << int(ChannelWidth::Mhz20);
        QTest::newRow("20") << int(NL80211_CHAN_WIDTH_20) << int(ChannelWidth::Mhz20);
        QTest::newRow("40") << int(NL80211_CHAN_WIDTH_40) << int(ChannelWidth::Mhz40);
        QTest::newRow("80") << int(NL80211_CHAN_WIDTH_80) << int(ChannelWidth::Mhz80);
        QTest::newRow("80+80") << int(NL80211_CHAN_WIDTH_80P80) << int(ChannelWidth::Mhz160);
        QTest::newRow("160") << int(NL80211_CHAN_WIDTH_160) << int(ChannelWidth::Mhz160);
        QTest::newRow("320") << int(NL80211_CHAN_WIDTH_320) << int(ChannelWidth::Mhz320);
        QTest::newRow("10") << int(NL80211_CHAN_WIDTH_10) << int(ChannelWidth::Unknown);
        QTest::newRow("out of range") << 99 << int(ChannelWidth::Unknown);
    }
    void channelWidths() {
        QFETCH(int, nl);
        QFETCH(int, code);
        QCOMPARE(channelWidthCode(nl), code);
    }

    // --- the joined station ---
    void stationSignalAndTxMode_data() {
        QTest::addColumn<int>("rateType");
        QTest::addColumn<int>("phy");
        QTest::newRow("legacy") << int(NL80211_RATE_INFO_BITRATE32) << int(PhyMode::None);
        QTest::newRow("HT") << int(NL80211_RATE_INFO_MCS) << int(PhyMode::N);
        QTest::newRow("VHT") << int(NL80211_RATE_INFO_VHT_MCS) << int(PhyMode::AC);
        QTest::newRow("HE") << int(NL80211_RATE_INFO_HE_MCS) << int(PhyMode::AX);
        QTest::newRow("EHT") << int(NL80211_RATE_INFO_EHT_MCS) << int(PhyMode::BE);
    }
    void stationSignalAndTxMode() {
        QFETCH(int, rateType);
        QFETCH(int, phy);
        AttributeBuilder b;
        b.u32(NL80211_ATTR_IFINDEX, 5)
            .begin(NL80211_ATTR_STA_INFO)
            .u8(NL80211_STA_INFO_SIGNAL, static_cast<std::uint8_t>(-30))
            .u8(NL80211_STA_INFO_SIGNAL_AVG, static_cast<std::uint8_t>(-31))
            .begin(NL80211_STA_INFO_TX_BITRATE)
            .u32(NL80211_RATE_INFO_BITRATE32, 1200);
        if (rateType != NL80211_RATE_INFO_BITRATE32)
            b.u8(rateType, 7);
        b.end().end();
        QString reason;
        const auto station = decodeStation(span(b.data()), &reason);
        QVERIFY2(station, qPrintable(reason));
        QCOMPARE(station->signalDbm, std::optional<int>(-30));
        QCOMPARE(station->signalAverageDbm, std::optional<int>(-31));
        QCOMPARE(station->txPhyMode, phy);
    }

    void stationWithoutInformation() {
        AttributeBuilder none;
        none.u32(NL80211_ATTR_IFINDEX, 5);
        QVERIFY(!decodeStation(span(none.data()), nullptr));

        AttributeBuilder noSignal;
        noSignal.begin(NL80211_ATTR_STA_INFO).u32(NL80211_STA_INFO_INACTIVE_TIME, 10).end();
        const auto station = decodeStation(span(noSignal.data()), nullptr);
        QVERIFY(station);
        QVERIFY(!station->signalDbm);
        QCOMPARE(station->txPhyMode, int(PhyMode::None));
    }

    // --- scan events ---
    void scanStartedWithChannelsAndWildcard() {
        AttributeBuilder b;
        b.u32(NL80211_ATTR_WIPHY, 7).u32(NL80211_ATTR_IFINDEX, 9);
        b.begin(NL80211_ATTR_SCAN_FREQUENCIES).u32(0, 2412).u32(1, 2437).u32(2, 5180).end();
        b.begin(NL80211_ATTR_SCAN_SSIDS).raw(0, "", 0).end();
        const ScanEvent e = decodeScanEvent(NL80211_CMD_TRIGGER_SCAN, span(b.data()));
        QCOMPARE(e.kind, ScanEvent::Kind::Started);
        QCOMPARE(e.wiphy, 7);
        QCOMPARE(e.ifindex, 9);
        QCOMPARE(e.frequenciesMhz, (QList<int>{2412, 2437, 5180}));
        QVERIFY(e.wildcardSsid);
    }

    void scanForNamedNetworksOnly() {
        AttributeBuilder b;
        b.u32(NL80211_ATTR_WIPHY, 7);
        b.begin(NL80211_ATTR_SCAN_SSIDS).raw(0, "Home", 4).end();
        const ScanEvent e = decodeScanEvent(NL80211_CMD_NEW_SCAN_RESULTS, span(b.data()));
        QCOMPARE(e.kind, ScanEvent::Kind::Finished);
        QVERIFY(!e.wildcardSsid);
        QVERIFY(e.frequenciesMhz.isEmpty());
    }

    void passiveScanHearsEveryone() {
        AttributeBuilder absent;
        absent.u32(NL80211_ATTR_WIPHY, 1);
        QVERIFY(decodeScanEvent(NL80211_CMD_NEW_SCAN_RESULTS, span(absent.data())).wildcardSsid);
        AttributeBuilder empty;
        empty.u32(NL80211_ATTR_WIPHY, 1).begin(NL80211_ATTR_SCAN_SSIDS).end();
        QVERIFY(decodeScanEvent(NL80211_CMD_NEW_SCAN_RESULTS, span(empty.data())).wildcardSsid);
    }

    void otherCommandsAreNoScanEvent() {
        AttributeBuilder b;
        b.u32(NL80211_ATTR_WIPHY, 1);
        QCOMPARE(decodeScanEvent(NL80211_CMD_SCAN_ABORTED, span(b.data())).kind,
                 ScanEvent::Kind::Aborted);
        QCOMPARE(decodeScanEvent(NL80211_CMD_CONNECT, span(b.data())).kind, ScanEvent::Kind::Other);
        QCOMPARE(decodeScanEvent(NL80211_CMD_NEW_SCAN_RESULTS, {}).wiphy, -1);
    }
};

QTEST_GUILESS_MAIN(TestNl80211Decode)
#include "tst_nl80211_decode.moc"
