// The nl80211 interface over a stand-in kernel: its requests run on the worker thread and
// answer through the event loop; power without NetworkManager goes through rfkill, read from
// sysfs and /dev/rfkill on a fake tree.
#include "FakeKernel.h"
#include "scan/nl80211/Nl80211Interface.h"
#include "scan/nl80211/RadioPower.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <linux/rfkill.h>
#include <sys/stat.h>

namespace {

// No NetworkManager: a closed bus.
nl80211::Environment withoutNetworkManager(const QString &sysfsRoot, const QString &rfkillDevice) {
    return {QDBusConnection(QString()), {sysfsRoot, rfkillDevice}};
}

// "name/rssi[*]" per network of an answer (* for the associated one), or "!error".
QString describe(const ScanOutcome &outcome) {
    if (!outcome.networks)
        return '!' + outcome.error;
    QStringList parts;
    for (const ScanResult &r : *outcome.networks)
        parts
            << QStringLiteral("%1/%2%3").arg(r.ssid).arg(r.rssiValue).arg(r.associated ? "*" : "");
    return parts.join(' ');
}

// Asks for a scan (or a read) and waits for the answer; "inside" when it came within the call.
QString ask(WirelessInterface &iface, bool scan, QObject *context) {
    QString got;
    const auto done = [&](const ScanOutcome &outcome) { got = describe(outcome); };
    scan ? iface.scanForNetworks(context, done) : iface.readCurrentNetworks(context, done);
    if (!got.isNull())
        return QStringLiteral("inside");
    return QTest::qWaitFor([&] { return !got.isNull(); }, 10000) ? got
                                                                 : QStringLiteral("no answer");
}

void writeFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

} // namespace

class TestNl80211Interface : public QObject {
    Q_OBJECT

    std::shared_ptr<KernelState> m_kernel;
    QTemporaryDir m_sysfs;

    std::unique_ptr<Nl80211Interface> open(const QString &rfkillDevice = "/nonexistent/rfkill") {
        return std::make_unique<Nl80211Interface>(
            std::make_unique<FakeKernel>(m_kernel), FakeKernel::wlan0(),
            withoutNetworkManager(m_sysfs.path(), rfkillDevice));
    }

private Q_SLOTS:
    void init() {
        m_kernel = std::make_shared<KernelState>();
        m_kernel->table = {FakeKernel::bss(1, "Home", -50, true), FakeKernel::bss(2, "Cafe", -70)};
        m_kernel->stationSignal = -42;
    }

    // A scan reads interface, table and station and then asks for the next scan (refused to
    // an ordinary user; without NetworkManager the system refreshes). A read takes the
    // station's live signal for the joined network and changes nothing the interface reports.
    void scanThenRead() {
        auto iface = open();
        QCOMPARE(ask(*iface, true, this), "Home/-50* Cafe/-70");
        QCOMPARE(iface->ssid() + ' ' + iface->bssid(), "Home 02:00:00:00:00:01");
        QCOMPARE(iface->rssiValue(), -42);
        QTRY_COMPARE(iface->statusNote(), "Results are refreshed by the system");
        QCOMPARE(iface->readStatistics().heard,
                 (QStringList{"02:00:00:00:00:01", "02:00:00:00:00:02"}));

        m_kernel->stationSignal = -38;
        const QList<int> before = m_kernel->commands;
        QCOMPARE(ask(*iface, false, this), "Home/-38* Cafe/-70");
        QCOMPARE(m_kernel->commands.mid(before.size()),
                 (QList<int>{NL80211_CMD_GET_SCAN, NL80211_CMD_GET_STATION}));
        QCOMPARE(iface->rssiValue(), -42);
        QCOMPARE(iface->readStatistics().heard.size(), 2);
    }

    // Requests while one is out join it: a slow driver never collects a queue of reads.
    void requestsJoinTheOneOut() {
        m_kernel->delayMs = 100;
        auto iface = open();
        QStringList answers;
        for (int i = 0; i < 2; ++i) {
            iface->scanForNetworks(this,
                                   [&](const ScanOutcome &o) { answers << "s" + describe(o); });
            iface->readCurrentNetworks(this,
                                       [&](const ScanOutcome &o) { answers << "r" + describe(o); });
        }
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 4, 10000);
        QCOMPARE(answers.filter("Home/-50* Cafe/-70").size(), 2);
        QCOMPARE(answers.filter("Home/-42* Cafe/-70").size(), 2);
        QCOMPARE(m_kernel->count(NL80211_CMD_GET_SCAN), 2);
    }

    // A wedged driver: every request runs out its time on the worker; the answer is the
    // failure, and letting the interface go does not wait for the request still out.
    void wedgedDriver() {
        m_kernel->error = ETIMEDOUT;
        m_kernel->delayMs = 300;
        auto iface = open();
        QCOMPARE(ask(*iface, true, this), "!wlan0: no answer from the kernel in time");
        m_kernel->delayMs = 1500;
        iface->readCurrentNetworks(this, [](const ScanOutcome &) { QFAIL("answered when gone"); });
        QTRY_COMPARE(m_kernel->count(NL80211_CMD_GET_SCAN), 1); // the read is out
        QElapsedTimer timer;
        timer.start();
        iface.reset();
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        QTest::qWait(2000); // the worker ends and frees itself
    }

    // Without NetworkManager: the rfkill switch of the interface's wiphy, followed from the
    // rfkill device's events (a pipe stands in for it) and switched by writing to it.
    void powerThroughRfkill() {
        const QString soft = m_sysfs.filePath("class/net/wlan0/phy80211/rfkill0/soft");
        writeFile(soft, "0\n");
        writeFile(m_sysfs.filePath("class/net/wlan0/phy80211/rfkill0/hard"), "0\n");
        const QString device = m_sysfs.filePath("rfkill");
        QCOMPARE(::mkfifo(QFile::encodeName(device).constData(), 0600), 0);
        auto iface = open(device);
        QVERIFY(iface->powered());
        QSignalSpy changes(iface.get(), &WirelessInterface::poweredChanged);
        QSignalSpy finished(iface.get(), &WirelessInterface::powerSwitchFinished);
        writeFile(soft, "1\n"); // another program blocks the radio; the kernel announces it
        writeFile(device, QByteArray(RFKILL_EVENT_SIZE_V1, '\0'));
        QTRY_COMPARE(changes.count(), 1);
        QVERIFY(!iface->powered());

        writeFile(soft, "0\n"); // what the kernel shows once it has taken the write
        iface->setPowerAsync(true);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0), (QList<QVariant>{true, true, QString()}));
        QCOMPARE(changes.count(), 2);
        QVERIFY(iface->powered());
    }

    // The wiphy's rfkill switch ("soft hard", "" for none) and the interface's up flag
    // (garbage or absent: unknown).
    void readState() {
        QTemporaryDir root;
        QStringList got;
        for (const QByteArray state : {"00", "10", "01", ""}) {
            const QString phy = root.filePath("class/net/wlan%1/phy80211").arg(got.size());
            QDir().mkpath(phy);
            if (!state.isEmpty()) {
                writeFile(phy + "/rfkill3/soft", state.left(1) + '\n');
                writeFile(phy + "/rfkill3/hard", state.mid(1) + '\n');
            }
            const auto s =
                nl80211::rfkillState(QStringLiteral("wlan%1").arg(got.size()), root.path());
            got << (s ? QStringLiteral("%1%2").arg(s->softBlocked).arg(s->hardBlocked)
                      : QStringLiteral("-"));
        }
        QCOMPARE(got.join(' '), "00 10 01 -");
        QString flags;
        for (const char *content : {"0x1003\n", "0x1002\n", "garbage\n", ""}) {
            const QString name = QStringLiteral("eth%1").arg(flags.size());
            if (*content)
                writeFile(root.filePath("class/net/%1/flags").arg(name), content);
            const auto up = nl80211::interfaceUp(name, root.path());
            flags += up ? (*up ? 'U' : 'd') : '-';
        }
        QCOMPARE(flags, "Ud--");
    }

    // RFKILL_OP_CHANGE_ALL (3) on RFKILL_TYPE_WLAN (1), in the 8-byte version-1 event; a
    // device that cannot be opened is named in the error.
    void rfkillWriteBlocksEveryWlanRadio() {
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("rfkill"));
        QStringList events;
        for (bool on : {false, true}) {
            writeFile(device, {});
            QString error;
            QVERIFY2(nl80211::setWlanRfkill(on, &error, device), qPrintable(error));
            QFile f(device);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray written = f.readAll();
            rfkill_event e{};
            std::memcpy(&e, written.constData(), std::min(sizeof e, size_t(written.size())));
            events << QStringLiteral("%1:%2/%3/%4")
                          .arg(written.size())
                          .arg(e.op)
                          .arg(e.type)
                          .arg(e.soft);
        }
        QCOMPARE(events.join(' '), "8:3/1/1 8:3/1/0");
        QString error;
        QVERIFY(!nl80211::setWlanRfkill(false, &error, QStringLiteral("/nonexistent/rfkill")));
        QVERIFY2(error.contains(QStringLiteral("/nonexistent/rfkill")), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestNl80211Interface)
#include "tst_nl80211_interface.moc"
