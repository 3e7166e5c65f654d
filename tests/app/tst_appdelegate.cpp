#include "ScenarioJson.h"
#include "app/AppDelegate.h"
#include "app/InterfaceSource.h"
#include "app/ViewController.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

class TestAppDelegate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void launchResetsFiveChoices();
    void windowOpensOnLaunch();
    void trayIconOnlyWithATray();
    void closingTheWindowQuits();

private:
    std::shared_ptr<MemoryPreferenceStore> m_store;
    std::unique_ptr<InterfaceSource> m_source;
    std::unique_ptr<AppDelegate> m_delegate;
};

void TestAppDelegate::init() {
    m_store = std::make_shared<MemoryPreferenceStore>();
    m_source = std::make_unique<InterfaceSource>(
        [](const SourceOption &, QString *, bool *,
           QString *) -> std::unique_ptr<WirelessInterface> {
            return ScenarioJson::play({ScenarioJson::scan({"A:-40"})});
        },
        [] { return QStringList(); });
    QString error;
    bool usageError = false;
    QVERIFY(m_source->open(SourceOption{}, &error, &usageError));
    m_delegate = std::make_unique<AppDelegate>(m_store, *m_source);
}

void TestAppDelegate::cleanup() {
    m_delegate.reset();
    m_source.reset();
}

// Choices from an earlier run: five are reset, the others kept.
void TestAppDelegate::launchResetsFiveChoices() {
    Preferences earlier(m_store);
    earlier.setValue(Preferences::displayUnitsKey, Preferences::percent);
    earlier.setValue(Preferences::rssiMethodKey, QStringLiteral("Fast"));
    earlier.setValue(Preferences::sweepTypeKey, Preferences::sonar);
    earlier.setValue(Preferences::locateSoundKey, Preferences::off);
    earlier.setValue(Preferences::pollingIntervalKey, QStringLiteral("30"));
    earlier.setValue(Preferences::adapterKey, QStringLiteral("wlan1"));
    earlier.setValue(Preferences::vendorLookupKey, Preferences::off);
    m_delegate->applicationDidFinishLaunching();

    QStringList values;
    for (const QString &key :
         {Preferences::displayUnitsKey, Preferences::rssiMethodKey, Preferences::sweepTypeKey,
          Preferences::locateSoundKey, Preferences::pollingIntervalKey, Preferences::adapterKey,
          Preferences::vendorLookupKey})
        values << earlier.value(key);
    QCOMPARE(values.join(QLatin1Char(' ')), "dBm Accurate Radar On 5 wlan1 Off");
}

void TestAppDelegate::windowOpensOnLaunch() {
    m_delegate->applicationDidFinishLaunching();
    ViewController *window = m_delegate->viewController();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), "Airlume \u2014 Simulated");
    QVERIFY(!window->windowIcon().isNull());
}

void TestAppDelegate::trayIconOnlyWithATray() {
    m_delegate->applicationDidFinishLaunching();
    QSystemTrayIcon *item = m_delegate->statusItem();
    QCOMPARE(item != nullptr, QSystemTrayIcon::isSystemTrayAvailable());
    if (item) {
        QVERIFY(item->isVisible());
        QVERIFY(!item->icon().isNull());
    }
}

// Closing the window ends the event loop (code 0). Should it not, a job that
// re-queues itself a hundred times ends it with 99 instead of hanging.
void TestAppDelegate::closingTheWindowQuits() {
    m_delegate->applicationDidFinishLaunching();
    ViewController *window = m_delegate->viewController();
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    int hops = 0;
    std::function<void()> giveUp = [&] {
        if (++hops == 100)
            QCoreApplication::exit(99);
        else
            QMetaObject::invokeMethod(qApp, giveUp, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(
        window,
        [&] {
            window->close();
            giveUp();
        },
        Qt::QueuedConnection);
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(lastClosed.count(), 1);
}

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
