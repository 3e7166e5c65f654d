#include "scan/nl80211/ScanFreshness.h"

#include <QTest>
#include <cerrno>

using namespace nl80211;

namespace {

constexpr qint64 s = ScanFreshness::kSecond;
constexpr int kWiphy = 3;

ScanEvent scanEvent(ScanEvent::Kind kind, QList<int> frequencies = {}, bool wildcard = true,
                    int wiphy = kWiphy) {
    ScanEvent e;
    e.kind = kind;
    e.wiphy = wiphy;
    e.frequenciesMhz = std::move(frequencies);
    e.wildcardSsid = wildcard;
    return e;
}

BssEntry heard(int frequency, qint64 lastSeenNs, bool associated = false) {
    BssEntry e;
    e.result.frequencyMhz = frequency;
    e.result.associated = associated;
    e.lastSeenBoottimeNs = lastSeenNs;
    return e;
}

// A wildcard scan on 2412 and 5180 MHz by someone else, seen starting at
// `start` and finishing at `end`.
void othersScan(ScanFreshness &f, qint64 start, qint64 end, bool wildcard = true) {
    f.onEvent(scanEvent(ScanEvent::Kind::Started, {2412, 5180}, wildcard), start);
    f.onEvent(scanEvent(ScanEvent::Kind::Finished, {2412, 5180}, wildcard), end);
}

} // namespace

class TestNl80211Freshness : public QObject {
    Q_OBJECT
private slots:
    // --- which entries count as no longer heard ---
    void nothingIsStaleBeforeAScanCompleted() {
        ScanFreshness f(kWiphy);
        QVERIFY(!f.isStale(heard(2412, 1 * s), 100 * s));
        f.onEvent(scanEvent(ScanEvent::Kind::Started, {2412}), 10 * s);
        QVERIFY(!f.isStale(heard(2412, 1 * s), 12 * s)); // still running
    }

    void missedByTheLastScanIsStale() {
        ScanFreshness f(kWiphy);
        othersScan(f, 20 * s, 25 * s);
        // Started event read at 20 s: the scan may have begun a second earlier.
        QVERIFY(f.isStale(heard(2412, 18 * s), 26 * s));
        QVERIFY(!f.isStale(heard(2412, 19500000000), 26 * s));
        QVERIFY(!f.isStale(heard(2412, 22 * s), 26 * s));
        QVERIFY(f.isStale(heard(5180, 2 * s), 26 * s));
    }

    void channelsTheScanSkippedAreKept() {
        ScanFreshness f(kWiphy);
        othersScan(f, 20 * s, 25 * s);
        QVERIFY(!f.isStale(heard(2437, 2 * s), 26 * s));
    }

    void scanWithoutChannelListCoversAll() {
        ScanFreshness f(kWiphy);
        f.onEvent(scanEvent(ScanEvent::Kind::Started), 20 * s);
        f.onEvent(scanEvent(ScanEvent::Kind::Finished), 25 * s);
        QVERIFY(f.isStale(heard(2437, 2 * s), 26 * s));
    }

    void joinedNetworkIsNeverStale() {
        ScanFreshness f(kWiphy);
        othersScan(f, 20 * s, 25 * s);
        QVERIFY(!f.isStale(heard(2412, 2 * s, true), 26 * s));
    }

    void ownTriggerIsAnExactStart() {
        ScanFreshness f(kWiphy);
        f.triggerSent(20 * s);
        f.triggerAnswered(0, 20 * s);
        // The event loop only read the start two seconds later.
        f.onEvent(scanEvent(ScanEvent::Kind::Started, {2412}), 22 * s);
        f.onEvent(scanEvent(ScanEvent::Kind::Finished, {2412}), 25 * s);
        QVERIFY(!f.isStale(heard(2412, 20500000000), 26 * s));
        QVERIFY(f.isStale(heard(2412, 19900000000), 26 * s));
    }

    void ownTriggerWithoutEvents() {
        // The answer arrives but the event socket never reported the start:
        // the finish still completes the scan from the trigger's time.
        ScanFreshness f(kWiphy);
        f.triggerSent(20 * s);
        f.triggerAnswered(0, 20 * s);
        f.onEvent(scanEvent(ScanEvent::Kind::Finished, {2412}), 25 * s);
        QVERIFY(f.hasCompletedScan());
        QVERIFY(f.isStale(heard(2412, 19 * s), 26 * s));
    }

    void abortedAndNamedScansJudgeNothing() {
        ScanFreshness f(kWiphy);
        f.onEvent(scanEvent(ScanEvent::Kind::Started, {2412}), 20 * s);
        f.onEvent(scanEvent(ScanEvent::Kind::Aborted), 21 * s);
        QVERIFY(!f.hasCompletedScan());
        othersScan(f, 30 * s, 35 * s, false);
        QVERIFY(!f.hasCompletedScan());
        QVERIFY(!f.isStale(heard(2412, 1 * s), 36 * s));
    }

    void laterNamedScanKeepsTheEarlierJudgement() {
        ScanFreshness f(kWiphy);
        othersScan(f, 20 * s, 25 * s);
        othersScan(f, 40 * s, 45 * s, false);
        QVERIFY(!f.isStale(heard(2412, 22 * s), 46 * s));
        QVERIFY(f.isStale(heard(2412, 10 * s), 46 * s));
    }

    void otherRadiosAreIgnored() {
        ScanFreshness f(kWiphy);
        f.onEvent(scanEvent(ScanEvent::Kind::Started, {2412}, true, kWiphy + 1), 20 * s);
        f.onEvent(scanEvent(ScanEvent::Kind::Finished, {2412}, true, kWiphy + 1), 25 * s);
        QVERIFY(!f.hasCompletedScan());
        QVERIFY(!f.scanUnderWay(21 * s));
    }

    void ageInMillisecondsWhenNoTimestamp() {
        ScanFreshness f(kWiphy);
        othersScan(f, 20 * s, 25 * s);
        BssEntry entry = heard(2412, -1);
        entry.result.lastSeenMsAgo = 3000; // seen at 23 s
        QVERIFY(!f.isStale(entry, 26 * s));
        entry.result.lastSeenMsAgo = 9000; // seen at 17 s
        QVERIFY(f.isStale(entry, 26 * s));
    }

    // --- who refreshes, and when ---
    void triggersWhenIdleNotWhileRunning() {
        ScanFreshness f(kWiphy);
        QCOMPARE(f.nextAction(1 * s), ScanFreshness::Action::Trigger);
        f.triggerSent(1 * s);
        f.triggerAnswered(0, 1 * s);
        QVERIFY(f.scanUnderWay(2 * s));
        QCOMPARE(f.nextAction(2 * s), ScanFreshness::Action::None);
        f.onEvent(scanEvent(ScanEvent::Kind::Finished), 6 * s);
        QCOMPARE(f.nextAction(7 * s), ScanFreshness::Action::Trigger);
        QVERIFY(f.statusNote().isEmpty());
    }

    void someoneElsesScanCountsAsRunning() {
        ScanFreshness f(kWiphy);
        f.onEvent(scanEvent(ScanEvent::Kind::Started), 1 * s);
        QCOMPARE(f.nextAction(2 * s), ScanFreshness::Action::None);
        f.onEvent(scanEvent(ScanEvent::Kind::Aborted), 3 * s);
        QCOMPARE(f.nextAction(3 * s), ScanFreshness::Action::Trigger);
    }

    void busyWaitsForTheRunningScan() {
        ScanFreshness f(kWiphy);
        f.triggerSent(1 * s);
        f.triggerAnswered(EBUSY, 1 * s);
        QCOMPARE(f.nextAction(2 * s), ScanFreshness::Action::None);
        f.onEvent(scanEvent(ScanEvent::Kind::Finished), 4 * s);
        QCOMPARE(f.nextAction(4 * s), ScanFreshness::Action::Trigger);
    }

    void lostFinishIsForgottenAfterTheBound() {
        ScanFreshness f(kWiphy);
        f.triggerSent(1 * s);
        f.triggerAnswered(0, 1 * s);
        QCOMPARE(f.nextAction(1 * s + ScanFreshness::kScanBound - 1), ScanFreshness::Action::None);
        QCOMPARE(f.nextAction(1 * s + ScanFreshness::kScanBound), ScanFreshness::Action::Trigger);
    }

    void passingFailurePausesTriggers() {
        ScanFreshness f(kWiphy);
        f.triggerSent(1 * s);
        f.triggerAnswered(ENETDOWN, 1 * s);
        QCOMPARE(f.nextAction(2 * s), ScanFreshness::Action::None);
        QCOMPARE(f.nextAction(1 * s + ScanFreshness::kRetryPause), ScanFreshness::Action::Trigger);
        QCOMPARE(f.refresher(), ScanFreshness::Refresher::Kernel);
    }

    void noPermissionAsksNetworkManager() {
        ScanFreshness f(kWiphy);
        f.triggerSent(1 * s);
        f.triggerAnswered(EPERM, 1 * s);
        QCOMPARE(f.refresher(), ScanFreshness::Refresher::NetworkManager);
        QCOMPARE(f.nextAction(2 * s), ScanFreshness::Action::AskNetworkManager);
        f.networkManagerAsked(2 * s);
        QCOMPARE(f.nextAction(3 * s), ScanFreshness::Action::None); // one request at a time
        f.networkManagerAnswered(true, {}, 3 * s);
        QCOMPARE(f.nextAction(3 * s), ScanFreshness::Action::AskNetworkManager);
        QVERIFY(f.statusNote().isEmpty());
    }

    void networkManagerRefusalWaitsOutItsLimit() {
        ScanFreshness f(kWiphy);
        f.triggerAnswered(EPERM, 1 * s);
        f.networkManagerAsked(2 * s);
        f.networkManagerAnswered(false, QStringLiteral("rate-limited"), 3 * s);
        QCOMPARE(f.nextAction(4 * s), ScanFreshness::Action::None);
        QCOMPARE(f.nextAction(3 * s + ScanFreshness::kNetworkManagerPause),
                 ScanFreshness::Action::AskNetworkManager);
    }

    void withoutEitherTheSystemRefreshes() {
        ScanFreshness f(kWiphy);
        f.triggerAnswered(EPERM, 1 * s);
        f.networkManagerUnavailable();
        QCOMPARE(f.refresher(), ScanFreshness::Refresher::System);
        QCOMPARE(f.nextAction(100 * s), ScanFreshness::Action::None);
        QCOMPARE(f.statusNote(), QStringLiteral("Results are refreshed by the system"));
        // The system's own scans still judge what is stale.
        othersScan(f, 200 * s, 205 * s);
        QVERIFY(f.isStale(heard(2412, 150 * s), 206 * s));
    }
};

QTEST_GUILESS_MAIN(TestNl80211Freshness)
#include "tst_nl80211_freshness.moc"
