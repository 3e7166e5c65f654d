// The event loop of the window's thread is never held: NetworkManager answers every call after
// a second and, in the second run, every request to the driver runs out its time as well. A
// heartbeat timer measures the longest gap between its beats while the scan cycle polls, the
// interface asks NetworkManager for scans, and the power is switched off and on.
#include "FakeKernel.h"
#include "scan/ScanCycle.h"
#include "scan/nl80211/Nl80211Interface.h"
#include "settings/Preferences.h"
#include "support/NetworkManagerMock.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QtTest>
#include <algorithm>

class TestNoWait : public QObject, NetworkManagerMock {
    Q_OBJECT

    // Every method the client calls answers after a second.
    void slowDown(const QString &device) {
        const QString slow = QStringLiteral("time.sleep(1); ");
        const QString announce =
            "self.EmitSignal('" + Properties +
            "', 'PropertiesChanged', 'sa{sv}as', [args[0], {args[1]: args[2]}, []])";
        const QStringList methods[] = {
            {Properties, "GetAll", "s", "a{sv}", "ret = self.props[args[0]]"},
            {Properties, "Get", "ss", "v", "ret = self.props[args[0]][args[1]]"},
            {Properties, "Set", "ssv", "", "self.props[args[0]][args[1]] = args[2]; " + announce},
            {Nm, "GetDeviceByIpIface", "s", "o",
             "ret = self.get_device_by_ip_iface(self, args[0])"}};
        for (const QStringList &m : methods)
            REQUIRE(setMethod(ManagerPath, m[0], m[1], m[2], m[3], slow + m[4]));
        REQUIRE(setRequestScan(device, slow));
    }

private Q_SLOTS:
    void initTestCase() { startBus(); }
    void cleanupTestCase() { stopBus(); }
    void init() { openConnections(); }
    void cleanup() { closeConnections(); }

    void eventLoopIsNeverHeld_data() {
        QTest::addColumn<bool>("wedged");
        QTest::newRow("driver wedged") << true;
        QTest::newRow("driver answers") << false;
    }
    void eventLoopIsNeverHeld() {
        QFETCH(bool, wedged);
        REQUIRE(startMock());
        const QString device = addDevice("WiFi", QStringLiteral("wlan0"));
        REQUIRE(slowDown(device));

        auto kernel = std::make_shared<KernelState>();
        kernel->table = {FakeKernel::bss(1, "Home", -50, true)};
        kernel->stationSignal = -45;
        if (wedged) {
            kernel->error = ETIMEDOUT;
            kernel->delayMs = nl80211::CommandSocket::kReceiveTimeoutMs;
        }
        QStringList events; // power changes and switch outcomes
        int ticks = 0;
        qint64 longest = 0;
        QString scanError;
        QTemporaryDir sysfs; // no rfkill switch, interface down: off until NetworkManager tells
        {
            Nl80211Interface iface(std::make_unique<FakeKernel>(kernel), FakeKernel::wlan0(),
                                   {m_clientBus, {sysfs.path(), QStringLiteral("/nonexistent")}});
            Preferences prefs(std::make_shared<MemoryPreferenceStore>());
            prefs.writeLaunchDefaults();
            prefs.setValue(Preferences::pollingIntervalKey, QStringLiteral("1"));
            ScanCycle cycle([&iface]() -> WirelessInterface * { return &iface; }, prefs);
            connect(&iface, &WirelessInterface::poweredChanged, this,
                    [&](bool on) { events << (on ? "on" : "off"); });
            connect(&iface, &WirelessInterface::powerSwitchFinished, this,
                    [&](bool on, bool ok, const QString &error) {
                        events << QStringLiteral("switched %1 %2")
                                      .arg(on ? "on" : "off", ok ? "ok" : error);
                        if (!on && ok)
                            iface.setPowerAsync(true);
                    });
            connect(&cycle, &ScanCycle::tickFinished, this, [&] { ++ticks; });

            QElapsedTimer clock;
            clock.start();
            qint64 last = 0;
            const auto done = [&] { return ticks >= 4 && events.contains("switched on ok"); };
            QEventLoop loop; // the window's own kind of loop, with nothing sleeping between events
            QTimer beat;
            beat.setTimerType(Qt::PreciseTimer);
            connect(&beat, &QTimer::timeout, &loop, [&] {
                longest = std::max(longest, clock.elapsed() - last);
                last = clock.elapsed();
                if (done() || last > 40000)
                    loop.quit();
            });
            beat.start(10);
            cycle.pollingActivation();
            QTimer::singleShot(1500, &iface, [&iface] { iface.setPowerAsync(false); });
            loop.exec();
            QVERIFY(done());
            beat.stop();
            cycle.stopAction();
            scanError = cycle.lastScanError();
        }
        qInfo("longest gap between beats: %lld ms", longest);
        QVERIFY2(longest <= 250, qPrintable(QStringLiteral("held %1 ms").arg(longest)));
        QCOMPARE(events.join(", "), "on, off, switched off ok, on, switched on ok");
        if (wedged) {
            QCOMPARE(scanError, "wlan0: no answer from the kernel in time");
            QTest::qWait(kernel->delayMs + 500); // the request still out ends on its own
        } else {
            // Triggering is refused to an ordinary user, so scans were asked of NetworkManager.
            QCOMPARE(scanError, QString());
            QVERIFY(scans(device) > 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestNoWait)
#include "tst_nowait.moc"
