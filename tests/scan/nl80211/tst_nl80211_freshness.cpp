#include "scan/nl80211/ScanFreshness.h"

#include <QRegularExpression>
#include <QTest>
#include <cerrno>
#include <cmath>

using namespace nl80211;

namespace {

constexpr int kWiphy = 3;

// Plays a scenario on `f` (tracking wiphy 3) and returns the answers to its questions, space
// separated. Each step is "<what>[@<seconds>][:<list>]":
//   start, named, end, abort [:MHz,...]  a scan event (named: for named networks only);
//   other-start, other-end               the same on another radio;
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
        if (QString kind = QString(op).remove("other-").replace("named", "start");
            kinds.contains(kind)) {
            ScanEvent e;
            e.kind = ScanEvent::Kind(kinds.indexOf(kind));
            e.wiphy = op.startsWith("other") ? kWiphy + 1 : kWiphy;
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

class TestNl80211Freshness : public QObject {
    Q_OBJECT
private slots:
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
        row("scan without channel list covers all", "start@20 end@25 stale@26:2437/2", "S");
        row("own trigger is an exact start",
            "trigger@20 start@22:2412 end@25:2412 stale@26:2412/20.5,2412/19.9", "kS");
        row("own trigger without a start event", "trigger@20 end@25:2412 done stale@26:2412/19",
            "y S");
        row("aborted and named scans judge nothing",
            "start@20:2412 abort@21 done named@30:2412,5180 end@35 done stale@36:2412/1", "n n k");
        row("later named scan keeps the earlier judgement",
            "start@20:2412,5180 end@25 named@40 end@45 stale@46:2412/22,2412/10", "kS");
        row("other radios are ignored", "other-start@20:2412 busy@21 other-end@25 done", "n n");
        row("age when no timestamp", "start@20:2412 end@25 stale@26:2412~3,2412~9", "kS");
        // Who refreshes, and when.
        row("triggers when idle, not while running",
            "next@1 trigger@1 busy@2 next@2 end@6 next@7 note", "T y - T none");
        row("someone else's scan counts as running", "start@1 next@2 abort@3 next@3", "- T");
        row("busy waits for the running scan", "trigger@1:EBUSY next@2 end@4 next@4", "- T");
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
};

QTEST_GUILESS_MAIN(TestNl80211Freshness)
#include "tst_nl80211_freshness.moc"
