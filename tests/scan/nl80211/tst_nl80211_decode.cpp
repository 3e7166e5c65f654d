#include "NlMessages.h"
#include "scan/nl80211/Nl80211Decode.h"

#include <QTest>

using namespace nl80211;

namespace {

using namespace nlmsg;

// A GET_SCAN dump message for one BSS: the BSSID (unless null), then `attrs`.
const QByteArray kBssid = QByteArray::fromHex("0200000003aa");
QByteArray bss(const Attrs &attrs, const QByteArray &bssid = kBssid) {
    const Attrs id = bssid.isNull() ? Attrs{} : Attrs{{NL80211_BSS_BSSID, bssid}};
    return msg({u32(NL80211_ATTR_GENERATION, 7), u32(NL80211_ATTR_IFINDEX, 3),
                nest(NL80211_ATTR_BSS, id + attrs)});
}
// SSID "Home", DS parameter set channel 6, RSN with CCMP and PSK.
QByteArray plainBss() {
    return bss(
        {u32(NL80211_BSS_FREQUENCY, 2437), num<quint16>(NL80211_BSS_CAPABILITY, 0x0411),
         num<qint32>(NL80211_BSS_SIGNAL_MBM, -4500), u32(NL80211_BSS_SEEN_MS_AGO, 1200),
         num<quint64>(NL80211_BSS_LAST_SEEN_BOOTTIME, 5000000000ULL),
         hex(NL80211_BSS_INFORMATION_ELEMENTS, "0004486f6d65030106"
                                               "30140100000fac040100000fac040100000fac020000")});
}
const auto mbm = [](qint32 v) { return bss({num(NL80211_BSS_SIGNAL_MBM, v)}); };
const auto percent = [](quint8 v) { return bss({num(NL80211_BSS_SIGNAL_UNSPEC, v)}); };
const auto status = [](quint32 v) { return bss({u32(NL80211_BSS_STATUS, v)}); };
// GET_STATION: signal -30 and average -31 dBm, a tx rate with `mcs` (0: legacy).
QByteArray station(int mcs) {
    Attrs rate{u32(NL80211_RATE_INFO_BITRATE32, 1200)};
    if (mcs != 0)
        rate << num<quint8>(mcs, 7);
    return msg({u32(NL80211_ATTR_IFINDEX, 5),
                nest(NL80211_ATTR_STA_INFO, {num<qint8>(NL80211_STA_INFO_SIGNAL, -30),
                                             num<qint8>(NL80211_STA_INFO_SIGNAL_AVG, -31),
                                             nest(NL80211_STA_INFO_TX_BITRATE, rate)})});
}

// Which decoder a row feeds; a value of 0 or more is the command for decodeScanEvent.
enum Decoder { Bss = -1, Interface = -2, Station = -3 };

// What the decoder made of `bytes`, in one line. A BSS leaves out the fields at their default
// (BSSID 02:00:00:00:03:aa, ifindex 3, no frequency, age or timestamp, open).
QString decoded(int decoder, const QByteArray &bytes) {
    QString reason;
    const auto str = [](const QString &s) { return s.isNull() ? QByteArray("-") : s.toUtf8(); };
    if (decoder == Bss) {
        const auto e = decodeBss(span(bytes), &reason);
        if (!e)
            return QStringLiteral("skip: ") + reason;
        const ScanResult &r = e->result;
        QString out =
            QString::asprintf("%s ch%d/%d %d%s", str(r.ssid).data(), r.channelNumber, r.channelBand,
                              r.rssiValue, e->signalFromPercent ? "%" : "");
        const auto add = [&](bool when, const QString &text) { out += when ? " " + text : ""; };
        add(r.bssid != QLatin1String("02:00:00:00:03:aa"), r.bssid);
        add(e->ifindex != 3, QStringLiteral("if%1").arg(e->ifindex));
        add(r.frequencyMhz != 0, QStringLiteral("%1MHz").arg(r.frequencyMhz));
        add(r.lastSeenMsAgo != 0, QStringLiteral("age%1").arg(r.lastSeenMsAgo));
        add(e->lastSeenBoottimeNs != -1, QStringLiteral("t%1").arg(e->lastSeenBoottimeNs));
        add(r.securityModes != 1, QStringLiteral("sec%1").arg(r.securityModes.to_ulong()));
        add(r.associated, QStringLiteral("joined"));
        add(e->fromProbeResponse, QStringLiteral("probe"));
        return out;
    }
    if (decoder == Interface) {
        const auto e = decodeInterface(span(bytes), &reason);
        return e ? QString::asprintf("%s if%d phy%d %s %s %s %s %d w%d", e->name.toUtf8().data(),
                                     e->ifindex, e->wiphy, e->isStation() ? "station" : "other",
                                     str(e->macAddress).data(), e->joined ? "joined" : "idle",
                                     str(e->ssid).data(), e->frequencyMhz, e->channelWidth)
                 : QStringLiteral("reject: ") + reason;
    }
    if (decoder == Station) {
        const auto s = decodeStation(span(bytes), &reason);
        const auto dbm = [](std::optional<int> v) { return v ? QByteArray::number(*v) : "-"; };
        return s ? QString::asprintf("%s/%s phy%d", dbm(s->signalDbm).data(),
                                     dbm(s->signalAverageDbm).data(), s->txPhyMode)
                 : QStringLiteral("reject: ") + reason;
    }
    const ScanEvent e = decodeScanEvent(static_cast<std::uint8_t>(decoder), span(bytes));
    QStringList freqs;
    for (int f : e.frequenciesMhz)
        freqs << QString::number(f);
    const char *kinds[] = {"started", "finished", "aborted", "other"};
    return QString::asprintf("%s %d/%d %s %s", kinds[int(e.kind)], e.wiphy, e.ifindex,
                             freqs.join(',').toUtf8().data(), e.wildcardSsid ? "all" : "named");
}

void row(const char *name, int decoder, const QByteArray &bytes, const char *expected) {
    QTest::newRow(name) << decoder << bytes << QString::fromUtf8(expected);
}

} // namespace

class TestNl80211Decode : public QObject {
    Q_OBJECT
private slots:
    void decode_data() {
        QTest::addColumn<int>("decoder");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        // --- scan table entries ---
        row("elements", Bss, plainBss(), "Home ch6/1 -45 2437MHz age1200 t5000000000 sec16");
        row("channel from frequency", Bss, bss({u32(NL80211_BSS_FREQUENCY, 5180)}),
            "- ch36/2 0 5180MHz");
        row("probe response elements win over beacon", Bss,
            bss({hex(NL80211_BSS_INFORMATION_ELEMENTS, "000550726f6265"),
                 hex(NL80211_BSS_BEACON_IES, "0006426561636f6e"),
                 text(NL80211_BSS_PRESP_DATA, "")}),
            "Probe ch0/0 0 probe");
        row("beacon elements when no others", Bss,
            bss({hex(NL80211_BSS_BEACON_IES, "0006426561636f6e")}), "Beacon ch0/0 0");
        row("element past the end cut, SSID kept", Bss,
            bss({hex(NL80211_BSS_INFORMATION_ELEMENTS, "0004486f6d653028aabb")}), "Home ch0/0 0");
        // mBm rounds half away from zero; 0-100 scales to -100..-50 dBm.
        row("mBm half", Bss, mbm(-4550), "- ch0/0 -46");
        row("mBm just under half", Bss, mbm(-4549), "- ch0/0 -45");
        row("mBm positive", Bss, mbm(150), "- ch0/0 2");
        row("percent 0", Bss, percent(0), "- ch0/0 -100%");
        row("percent over the scale", Bss, percent(200), "- ch0/0 -50%");
        row("mBm preferred over percent", Bss,
            bss({num<quint8>(NL80211_BSS_SIGNAL_UNSPEC, 90), num(NL80211_BSS_SIGNAL_MBM, -6100)}),
            "- ch0/0 -61");
        row("authenticated only", Bss, status(NL80211_BSS_STATUS_AUTHENTICATED), "- ch0/0 0");
        row("associated", Bss, status(NL80211_BSS_STATUS_ASSOCIATED), "- ch0/0 0 joined");
        row("ibss joined", Bss, status(NL80211_BSS_STATUS_IBSS_JOINED), "- ch0/0 0 joined");
        // Malformed entries are skipped with a reason, never read past the end.
        row("no BSS nest", Bss, msg({u32(NL80211_ATTR_IFINDEX, 3)}), "skip: no BSS attribute");
        row("short BSSID", Bss, bss({}, QByteArray::fromHex("0200000003")),
            "skip: BSSID is 5 bytes");
        row("long BSSID", Bss, bss({}, QByteArray::fromHex("0200000003aabb")),
            "skip: BSSID is 7 bytes");
        row("no BSSID", Bss, bss({u32(NL80211_BSS_FREQUENCY, 2412)}, {}), "skip: no BSSID");
        row("short frequency", Bss, bss({hex(NL80211_BSS_FREQUENCY, "0102")}),
            "skip: 02:00:00:00:03:aa: frequency is 2 bytes, expected 4");
        row("short signal", Bss, bss({hex(NL80211_BSS_SIGNAL_MBM, "0102")}),
            "skip: 02:00:00:00:03:aa: signal (mBm) is 2 bytes, expected 4");
        row("short last seen", Bss, bss({hex(NL80211_BSS_LAST_SEEN_BOOTTIME, "0102")}),
            "skip: 02:00:00:00:03:aa: last seen is 2 bytes, expected 8");
        row("short status", Bss, bss({hex(NL80211_BSS_STATUS, "0102")}),
            "skip: 02:00:00:00:03:aa: status is 2 bytes, expected 4");
        // The BSS nest header follows two 8-byte attributes; claim it is longer.
        QByteArray tooLong = plainBss();
        const auto claimed = static_cast<quint16>(tooLong.size() + 40);
        std::memcpy(tooLong.data() + 16, &claimed, sizeof claimed);
        row("nest length past the end", Bss, tooLong, "skip: no BSS attribute");

        // --- interfaces ---
        const auto index = [](quint32 i) { return u32(NL80211_ATTR_IFINDEX, i); };
        const auto name = [](const char *n) { return Attr{NL80211_ATTR_IFNAME, QByteArray(n, 6)}; };
        const auto type = [](quint32 t) { return u32(NL80211_ATTR_IFTYPE, t); };
        row("joined station", Interface,
            msg({index(5), name("wlan7"), u32(NL80211_ATTR_WIPHY, 7), type(NL80211_IFTYPE_STATION),
                 hex(NL80211_ATTR_MAC, "020000000700"), text(NL80211_ATTR_SSID, "LabHome"),
                 u32(NL80211_ATTR_WIPHY_FREQ, 2437),
                 u32(NL80211_ATTR_CHANNEL_WIDTH, NL80211_CHAN_WIDTH_40)}),
            "wlan7 if5 phy7 station 02:00:00:00:07:00 joined LabHome 2437 w2");
        row("idle station", Interface, msg({index(3), name("wlan1"), type(NL80211_IFTYPE_STATION)}),
            "wlan1 if3 phy-1 station - idle - 0 w0");
        row("access point", Interface, msg({index(2), name("wlan0"), type(NL80211_IFTYPE_AP)}),
            "wlan0 if2 phy-1 other - idle - 0 w0");
        // A P2P device has no network interface: not a station to scan with.
        row("P2P device", Interface,
            msg({u32(NL80211_ATTR_WIPHY, 1), type(NL80211_IFTYPE_STATION)}),
            " if-1 phy1 other - idle - 0 w0");
        row("name without terminator stops at its end", Interface, msg({index(3), name("wlp2s0")}),
            "wlp2s0 if3 phy-1 other - idle - 0 w0");
        row("short ifindex", Interface, msg({text(NL80211_ATTR_IFINDEX, "\x03"), name("wlan0")}),
            "reject: ifindex is 1 bytes, expected 4");

        // --- the joined station: signal and the tx rate's kind ---
        row("legacy", Station, station(0), "-30/-31 phy0");
        row("HT", Station, station(NL80211_RATE_INFO_MCS), "-30/-31 phy4");
        row("VHT", Station, station(NL80211_RATE_INFO_VHT_MCS), "-30/-31 phy5");
        row("HE", Station, station(NL80211_RATE_INFO_HE_MCS), "-30/-31 phy6");
        row("EHT", Station, station(NL80211_RATE_INFO_EHT_MCS), "-30/-31 phy7");
        row("no signal", Station,
            msg({nest(NL80211_ATTR_STA_INFO, {u32(NL80211_STA_INFO_INACTIVE_TIME, 10)})}),
            "-/- phy0");
        row("no information", Station, msg({index(5)}), "reject: no station information");

        // --- scan events ---
        const QByteArray radio1 = msg({u32(NL80211_ATTR_WIPHY, 1)});
        row("started with channels and wildcard", NL80211_CMD_TRIGGER_SCAN,
            msg({u32(NL80211_ATTR_WIPHY, 7), index(9),
                 nest(NL80211_ATTR_SCAN_FREQUENCIES, {u32(0, 2412), u32(1, 2437), u32(2, 5180)}),
                 nest(NL80211_ATTR_SCAN_SSIDS, {text(0, "")})}),
            "started 7/9 2412,2437,5180 all");
        row("named networks only", NL80211_CMD_NEW_SCAN_RESULTS,
            msg({u32(NL80211_ATTR_WIPHY, 7), nest(NL80211_ATTR_SCAN_SSIDS, {text(0, "Home")})}),
            "finished 7/-1  named");
        // A passive scan (no SSID list, or an empty one) hears everyone.
        row("passive", NL80211_CMD_NEW_SCAN_RESULTS, radio1, "finished 1/-1  all");
        row("empty SSID list", NL80211_CMD_NEW_SCAN_RESULTS,
            msg({u32(NL80211_ATTR_WIPHY, 1), text(NL80211_ATTR_SCAN_SSIDS, "")}),
            "finished 1/-1  all");
        row("aborted", NL80211_CMD_SCAN_ABORTED, radio1, "aborted 1/-1  all");
        row("other command", NL80211_CMD_CONNECT, radio1, "other -1/-1  named");
        row("no attributes", NL80211_CMD_NEW_SCAN_RESULTS, {}, "finished -1/-1  all");
    }
    void decode() {
        QFETCH(int, decoder);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(decoded(decoder, bytes), expected);
    }

    void truncatedMessagesNeverCrash() {
        // Every cut of a good message: decoding either succeeds on what is whole or skips the
        // entry with a reason; AddressSanitizer catches any overread.
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

    // 80+80 counts as 160; widths without a code (10 MHz, unknown) read 0.
    void channelWidths() {
        const int widths[] = {
            NL80211_CHAN_WIDTH_20_NOHT, NL80211_CHAN_WIDTH_20,    NL80211_CHAN_WIDTH_40,
            NL80211_CHAN_WIDTH_80,      NL80211_CHAN_WIDTH_80P80, NL80211_CHAN_WIDTH_160,
            NL80211_CHAN_WIDTH_320,     NL80211_CHAN_WIDTH_10,    99};
        QString codes;
        for (int w : widths)
            codes += QString::number(channelWidthCode(w));
        QCOMPARE(codes, QStringLiteral("112344500"));
    }

    // A split GET_WIPHY message: bands and frequencies as position-indexed
    // nests; flags mark disabled and radar channels; a frequency entry
    // without its frequency, or cut short, is skipped.
    void wiphyChannels() {
        const Attr flag = {NL80211_FREQUENCY_ATTR_DISABLED, {}};
        const Attr radar = {NL80211_FREQUENCY_ATTR_RADAR, {}};
        const auto freqs = [](const Attrs &list) {
            return nest(0, {nest(NL80211_BAND_ATTR_FREQS, list)});
        };
        const QByteArray message =
            msg({u32(NL80211_ATTR_WIPHY, 0),
                 nest(NL80211_ATTR_WIPHY_BANDS,
                      {freqs({nest(0, {u32(NL80211_FREQUENCY_ATTR_FREQ, 2412)}),
                              nest(1, {u32(NL80211_FREQUENCY_ATTR_FREQ, 2484), flag}),
                              nest(2, {radar})}),
                       freqs({nest(0, {u32(NL80211_FREQUENCY_ATTR_FREQ, 5260), radar}),
                              nest(1, {num<quint16>(NL80211_FREQUENCY_ATTR_FREQ, 5280)})})})});
        QStringList got;
        for (const AdapterChannel &c : decodeWiphyChannels(span(message)))
            got << QString("%1%2%3")
                       .arg(c.frequencyMhz)
                       .arg(c.disabled ? "d" : "")
                       .arg(c.radar ? "r" : "");
        QCOMPARE(got.join(' '), "2412 2484d 5260r");
        QVERIFY(decodeWiphyChannels(span(msg({u32(NL80211_ATTR_WIPHY, 0)}))).isEmpty());
        // Cut anywhere, the message never reads past its end.
        for (qsizetype cut = 0; cut < message.size(); ++cut)
            decodeWiphyChannels(span(message.left(cut)));
    }
};

QTEST_GUILESS_MAIN(TestNl80211Decode)
#include "tst_nl80211_decode.moc"
