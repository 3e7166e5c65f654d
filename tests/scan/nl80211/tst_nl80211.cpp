// nl80211 without a kernel: the decoders on messages as the kernel lays them out, and the
// bookkeeping of which scan results are fresh and who refreshes them.
#include "FakeKernel.h"
#include "scan/nl80211/Nl80211Decode.h"
#include "scan/nl80211/ScanFreshness.h"

#include <QRegularExpression>
#include <QTest>
#include <cerrno>
#include <cmath>

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

// Which decoder a row feeds; a value of 0 or more is the command for decodeScanEvent.
enum Decoder { Bss = -1, Interface = -2 };

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

constexpr int kWiphy = 3;

// Plays a scenario on `f` (tracking wiphy 3) and returns the answers to its questions, space
// separated. Each step is "<what>[@<seconds>][:<list>]":
//   start, named, end, abort [:MHz,...]  a scan event (named: for named networks only);
//   trigger[:EBUSY|ENETDOWN|EPERM]       our trigger sent and answered (accepted by default);
//   nm-ask, nm-ok, nm-no, nm-gone        NetworkManager asked, agreeing, refusing, absent.
// Questions: next (T trigger, A ask NetworkManager, - nothing), busy and done (y/n for a scan
// under way / completed), who (the refresher), note, and stale:<entry>,... with one letter
// per entry (S stale, k kept); an entry is MHz/<seconds heard>[j for joined] or MHz~<seconds
// ago> for one without a timestamp.
QString play(ScanFreshness &f, const QString &script) {
    static const QRegularExpression stepRe(
        QStringLiteral(R"(^([a-z-]+)(?:@([\d.]+))?(?::(.*))?$)"));
    static const QRegularExpression entryRe(QStringLiteral(R"(^(\d+)([/~])([\d.]+)(j?)$)"));
    const QHash<QString, int> errors{{"EBUSY", EBUSY}, {"ENETDOWN", ENETDOWN}, {"EPERM", EPERM}};
    const auto ns = [](const QString &seconds) {
        return std::llround(seconds.toDouble() * ScanFreshness::kSecond);
    };
    QStringList out;
    for (const QString &step : script.split(' ', Qt::SkipEmptyParts)) {
        const auto m = stepRe.match(step);
        const QString op = m.captured(1), list = m.captured(3);
        const qint64 at = ns(m.captured(2));
        static const QStringList kinds{"start", "end", "abort"};
        if (QString kind = QString(op).replace("named", "start"); kinds.contains(kind)) {
            ScanEvent e;
            e.kind = ScanEvent::Kind(kinds.indexOf(kind));
            e.wiphy = kWiphy;
            e.wildcardSsid = op != "named";
            for (const QString &mhz : list.split(',', Qt::SkipEmptyParts))
                e.frequenciesMhz << mhz.toInt();
            f.onEvent(e, at);
        } else if (op == "trigger") {
            f.triggerSent(at);
            f.triggerAnswered(errors.value(list), at);
        } else if (op == "nm-ask") {
            f.networkManagerAsked(at);
        } else if (op == "nm-ok" || op == "nm-no") {
            f.networkManagerAnswered(op == "nm-ok", {}, at);
        } else if (op == "nm-gone") {
            f.networkManagerUnavailable();
        } else if (op == "next") {
            out << QString(QString("-TA")[int(f.nextAction(at))]);
        } else if (op == "busy" || op == "done") {
            out << ((op == "busy" ? f.scanUnderWay(at) : f.hasCompletedScan()) ? "y" : "n");
        } else if (op == "who") {
            out << QStringList{"kernel", "networkmanager", "system"}[int(f.refresher())];
        } else if (op == "note") {
            out << (f.statusNote().isEmpty() ? QStringLiteral("none") : f.statusNote());
        } else if (op == "stale") {
            QString verdicts;
            for (const QString &entry : list.split(',')) {
                const auto e = entryRe.match(entry);
                BssEntry bss;
                bss.result.frequencyMhz = e.captured(1).toInt();
                bss.result.associated = !e.captured(4).isEmpty();
                if (e.captured(2) == "/")
                    bss.lastSeenBoottimeNs = ns(e.captured(3));
                else
                    bss.result.lastSeenMsAgo = ns(e.captured(3)) / 1000000;
                verdicts += e.hasMatch() ? (f.isStale(bss, at) ? 'S' : 'k') : '?';
            }
            out << verdicts;
        } else {
            out << "?" + step;
        }
    }
    return out.join(' ');
}

} // namespace

class TestNl80211 : public QObject {
    Q_OBJECT
private slots:
    void decode_data() {
        QTest::addColumn<int>("decoder");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        // --- scan table entries ---
        row("elements", Bss, plainBss(), "Home ch6/1 -45 2437MHz age1200 t5000000000 sec16");
        row("probe response elements win over beacon", Bss,
            bss({hex(NL80211_BSS_INFORMATION_ELEMENTS, "000550726f6265"),
                 hex(NL80211_BSS_BEACON_IES, "0006426561636f6e"),
                 text(NL80211_BSS_PRESP_DATA, "")}),
            "Probe ch0/0 0 probe");
        // mBm rounds half away from zero; 0-100 scales to -100..-50 dBm.
        row("mBm half", Bss, mbm(-4550), "- ch0/0 -46");
        row("associated", Bss, status(NL80211_BSS_STATUS_ASSOCIATED), "- ch0/0 0 joined");
        // Malformed entries are skipped with a reason, never read past the end.
        row("no BSS nest", Bss, msg({u32(NL80211_ATTR_IFINDEX, 3)}), "skip: no BSS attribute");
        row("long BSSID", Bss, bss({}, QByteArray::fromHex("0200000003aabb")),
            "skip: BSSID is 7 bytes");
        row("no BSSID", Bss, bss({u32(NL80211_BSS_FREQUENCY, 2412)}, {}), "skip: no BSSID");
        row("short frequency", Bss, bss({hex(NL80211_BSS_FREQUENCY, "0102")}),
            "skip: 02:00:00:00:03:aa: frequency is 2 bytes, expected 4");
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
        row("short ifindex", Interface, msg({text(NL80211_ATTR_IFINDEX, "\x03"), name("wlan0")}),
            "reject: ifindex is 1 bytes, expected 4");

        // --- scan events ---
        row("started with channels and wildcard", NL80211_CMD_TRIGGER_SCAN,
            msg({u32(NL80211_ATTR_WIPHY, 7), index(9),
                 nest(NL80211_ATTR_SCAN_FREQUENCIES, {u32(0, 2412), u32(1, 2437), u32(2, 5180)}),
                 nest(NL80211_ATTR_SCAN_SSIDS, {text(0, "")})}),
            "started 7/9 2412,2437,5180 all");
        row("named networks only", NL80211_CMD_NEW_SCAN_RESULTS,
            msg({u32(NL80211_ATTR_WIPHY, 7), nest(NL80211_ATTR_SCAN_SSIDS, {text(0, "Home")})}),
            "finished 7/-1  named");
    }
    void decode() {
        QFETCH(int, decoder);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(decoded(decoder, bytes), expected);
    }

    void scenario_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("answers");
        const auto row = [](const char *name, const char *script, const char *answers) {
            QTest::newRow(name) << QString::fromUtf8(script) << QString::fromUtf8(answers);
        };
        // Which entries count as no longer heard.
        row("nothing stale before a scan completed",
            "stale@100:2412/1 start@10:2412 stale@12:2412/1", "k k");
        // The start event read at 20 s: the scan may have begun a second earlier. Channels the
        // scan skipped and the joined network are kept.
        row("missed by the last scan is stale",
            "start@20:2412,5180 end@25:2412,5180 "
            "stale@26:2412/18,2412/19.5,2412/22,5180/2,2437/2,2412/2j",
            "SkkSkk");
        row("own trigger is an exact start",
            "trigger@20 start@22:2412 end@25:2412 stale@26:2412/20.5,2412/19.9", "kS");
        row("aborted and named scans judge nothing",
            "start@20:2412 abort@21 done named@30:2412,5180 end@35 done stale@36:2412/1", "n n k");
        row("age when no timestamp", "start@20:2412 end@25 stale@26:2412~3,2412~9", "kS");
        // Who refreshes, and when.
        row("triggers when idle, not while running",
            "next@1 trigger@1 busy@2 next@2 end@6 next@7 note", "T y - T none");
        row("passing failure keeps the kernel", "trigger@1:ENETDOWN who next@2", "kernel -");
        row("no permission asks NetworkManager, one request at a time",
            "trigger@1:EPERM who next@2 nm-ask@2 next@3 nm-ok@3 next@3 note",
            "networkmanager A - A none");
        row("without either the system refreshes, its scans still judge",
            "trigger@1:EPERM nm-gone who next@100 note start@200 end@205 stale@206:2412/150",
            "system - Results are refreshed by the system S");
    }
    void scenario() {
        QFETCH(QString, script);
        QFETCH(QString, answers);
        ScanFreshness f(kWiphy);
        QCOMPARE(play(f, script), answers);
    }

    // Each pause ends exactly on its bound.
    void pauseEndsOnItsBound_data() {
        using F = ScanFreshness;
        QTest::addColumn<QString>("script");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<int>("then");
        QTest::newRow("lost finish")
            << "trigger@1" << F::kSecond + F::kScanBound << int(F::Action::Trigger);
        QTest::newRow("passing failure")
            << "trigger@1:ENETDOWN" << F::kSecond + F::kRetryPause << int(F::Action::Trigger);
        QTest::newRow("NetworkManager refusal")
            << "trigger@1:EPERM nm-ask@2 nm-no@3" << 3 * F::kSecond + F::kNetworkManagerPause
            << int(F::Action::AskNetworkManager);
    }
    void pauseEndsOnItsBound() {
        QFETCH(QString, script);
        QFETCH(qint64, end);
        QFETCH(int, then);
        ScanFreshness f(kWiphy);
        play(f, script);
        QCOMPARE(f.nextAction(end - 1), ScanFreshness::Action::None);
        QCOMPARE(int(f.nextAction(end)), then);
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

QTEST_GUILESS_MAIN(TestNl80211)
#include "tst_nl80211.moc"
