#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"
#include "settings/SettingsForm.h"

#include <QTest>
#include <memory>

using SettingsForm::Box;

namespace {

class CountingStore : public MemoryPreferenceStore {
public:
    void sync() override { ++syncs; }
    int syncs = 0;
};

const QStringList storedKeys = {Preferences::adapterKey,     Preferences::displayUnitsKey,
                                Preferences::rssiMethodKey,  Preferences::sweepTypeKey,
                                Preferences::locateSoundKey, Preferences::pollingIntervalKey,
                                Preferences::vendorLookupKey};

// "key=value ..." for every key; an absent one reads "-".
QString storeContents(const Preferences &prefs) {
    QStringList parts;
    for (const QString &key : storedKeys)
        parts << key + QLatin1Char('=') + (prefs.has(key) ? prefs.value(key) : QStringLiteral("-"));
    return parts.join(QLatin1Char(' '));
}

QString shownTexts(const QHash<Box, QString> &shown) {
    QStringList parts;
    for (Box box : SettingsForm::boxes())
        parts << (shown.value(box).isNull() ? QStringLiteral("-") : shown.value(box));
    return parts.join(QLatin1Char('|'));
}

} // namespace

class TestSettingsForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void intervalItemText_data();
    void intervalItemText();
    void intervalValue_data();
    void intervalValue();
    void intervalItemsRoundTrip();
    void itemsOffered_data();
    void itemsOffered();

    void shownAfterLaunchDefaults();
    void shownWritesMissingDefaults();
    void shownStoredChoices();
    void shownUnknownTextShowsNoItem();

    void storeWritesEveryChosenBox();
    void storeSkipsBoxesWithoutChoice();
    void storedIntervalReadsBack_data();
    void storedIntervalReadsBack();

private:
    std::shared_ptr<CountingStore> m_store;
    std::unique_ptr<Preferences> m_prefs;
};

void TestSettingsForm::init() {
    m_store = std::make_shared<CountingStore>();
    m_prefs = std::make_unique<Preferences>(m_store);
}

void TestSettingsForm::intervalItemText_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("item");
    QTest::newRow("1 is singular") << "1"
                                   << "1 Second";
    QTest::newRow("2 is plural") << "2"
                                 << "2 Seconds";
    QTest::newRow("5") << "5"
                       << "5 Seconds";
    QTest::newRow("60") << "60"
                        << "60 Seconds";
    QTest::newRow("10 is not 1") << "10"
                                 << "10 Seconds";
}

void TestSettingsForm::intervalItemText() {
    QFETCH(QString, value);
    QFETCH(QString, item);
    QCOMPARE(SettingsForm::intervalItemText(value), item);
}

void TestSettingsForm::intervalValue_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("value");
    QTest::newRow("1 Second") << "1 Second"
                              << "1";
    QTest::newRow("10 Seconds") << "10 Seconds"
                                << "10";
    QTest::newRow("bare number") << "5"
                                 << "5";
}

void TestSettingsForm::intervalValue() {
    QFETCH(QString, item);
    QFETCH(QString, value);
    QCOMPARE(SettingsForm::intervalValue(item), value);
}

void TestSettingsForm::intervalItemsRoundTrip() {
    QStringList values;
    for (const QString &item : SettingsForm::items(Box::PollingInterval, {}))
        values << SettingsForm::intervalValue(item);
    QCOMPARE(values, SettingsForm::pollingSeconds);
    QCOMPARE(SettingsForm::items(Box::PollingInterval, {}).join(QLatin1Char(',')),
             "1 Second,2 Seconds,3 Seconds,5 Seconds,10 Seconds,15 Seconds,30 Seconds,60 Seconds");
}

void TestSettingsForm::itemsOffered_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("items");
    QTest::newRow("adapter") << int(Box::Adapter) << "wlan0,wlp3s0,Simulated";
    QTest::newRow("display unit") << int(Box::DisplayUnit) << "dBm,Percent";
    QTest::newRow("rssi method") << int(Box::RssiMethod) << "Accurate";
    QTest::newRow("sweep") << int(Box::Sweep) << "Radar,Sonar";
    QTest::newRow("locate sound") << int(Box::LocateSound) << "On,Off";
    QTest::newRow("vendor lookup") << int(Box::VendorLookup) << "On,Off";
}

void TestSettingsForm::itemsOffered() {
    QFETCH(int, box);
    QFETCH(QString, items);
    const QStringList adapters{QStringLiteral("wlan0"), QStringLiteral("wlp3s0"),
                               QStringLiteral("Simulated")};
    QCOMPARE(SettingsForm::items(static_cast<Box>(box), adapters).join(QLatin1Char(',')), items);
}

void TestSettingsForm::shownAfterLaunchDefaults() {
    m_prefs->writeLaunchDefaults();
    const auto shown = SettingsForm::shownItems(*m_prefs, QStringLiteral("wlan0"));
    QCOMPARE(shownTexts(shown), "wlan0|dBm|Accurate|Radar|On|5 Seconds|On");
}

// A fresh store: each key gets its default written, and the dialog shows it.
void TestSettingsForm::shownWritesMissingDefaults() {
    const int syncsBefore = m_store->syncs;
    const auto shown = SettingsForm::shownItems(*m_prefs, QStringLiteral("Simulated"));
    QCOMPARE(shownTexts(shown), "Simulated|dBm|Accurate|Radar|On|5 Seconds|On");
    QCOMPARE(storeContents(*m_prefs),
             "adapterValue=- displayUnitsValue=dBm rssiMethodValue=Accurate "
             "sweepTypeValue=Radar locateSoundValue=On pollingIntervalValue=5 "
             "vendorLookupValue=On");
    QCOMPARE(m_store->syncs, syncsBefore + 1);
}

void TestSettingsForm::shownStoredChoices() {
    m_prefs->setValue(Preferences::displayUnitsKey, Preferences::percent);
    m_prefs->setValue(Preferences::sweepTypeKey, Preferences::sonar);
    m_prefs->setValue(Preferences::locateSoundKey, Preferences::off);
    m_prefs->setValue(Preferences::pollingIntervalKey, QStringLiteral("1"));
    m_prefs->setValue(Preferences::vendorLookupKey, Preferences::off);
    m_prefs->setValue(Preferences::adapterKey, QStringLiteral("wlan9")); // not the one in use
    const auto shown = SettingsForm::shownItems(*m_prefs, QStringLiteral("wlan0"));
    QCOMPARE(shownTexts(shown), "wlan0|Percent|Accurate|Sonar|Off|1 Second|Off");
}

void TestSettingsForm::shownUnknownTextShowsNoItem() {
    m_prefs->setValue(Preferences::displayUnitsKey, QStringLiteral("percent")); // wrong case
    m_prefs->setValue(Preferences::pollingIntervalKey, QStringLiteral("7"));
    const auto shown = SettingsForm::shownItems(*m_prefs, QStringLiteral("wlan0"));
    QCOMPARE(shownTexts(shown), "wlan0|-|Accurate|Radar|On|-|On");
    // Showing does not overwrite a value that is there.
    QCOMPARE(m_prefs->value(Preferences::displayUnitsKey), "percent");
    QCOMPARE(m_prefs->value(Preferences::pollingIntervalKey), "7");
}

void TestSettingsForm::storeWritesEveryChosenBox() {
    m_prefs->writeLaunchDefaults();
    const int syncsBefore = m_store->syncs;
    SettingsForm::store(*m_prefs, {{Box::Adapter, QStringLiteral("wlp3s0")},
                                   {Box::DisplayUnit, QStringLiteral("Percent")},
                                   {Box::RssiMethod, QStringLiteral("Accurate")},
                                   {Box::Sweep, QStringLiteral("Sonar")},
                                   {Box::LocateSound, QStringLiteral("Off")},
                                   {Box::PollingInterval, QStringLiteral("10 Seconds")},
                                   {Box::VendorLookup, QStringLiteral("Off")}});
    QCOMPARE(storeContents(*m_prefs),
             "adapterValue=wlp3s0 displayUnitsValue=Percent rssiMethodValue=Accurate "
             "sweepTypeValue=Sonar locateSoundValue=Off pollingIntervalValue=10 "
             "vendorLookupValue=Off");
    QCOMPARE(m_store->syncs, syncsBefore + 1);
}

void TestSettingsForm::storeSkipsBoxesWithoutChoice() {
    m_prefs->writeLaunchDefaults();
    m_prefs->setValue(Preferences::pollingIntervalKey, QStringLiteral("7"));
    SettingsForm::store(*m_prefs, {{Box::DisplayUnit, QStringLiteral("Percent")},
                                   {Box::PollingInterval, QString()}});
    QCOMPARE(storeContents(*m_prefs),
             "adapterValue=- displayUnitsValue=Percent rssiMethodValue=Accurate "
             "sweepTypeValue=Radar locateSoundValue=On pollingIntervalValue=7 "
             "vendorLookupValue=-");
}

void TestSettingsForm::storedIntervalReadsBack_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<double>("seconds");
    QTest::newRow("1 Second") << "1 Second"
                              << "1" << 1.0;
    QTest::newRow("2 Seconds") << "2 Seconds"
                               << "2" << 2.0;
    QTest::newRow("60 Seconds") << "60 Seconds"
                                << "60" << 60.0;
}

// Choosing an item stores the bare number, the timer reads it as seconds and
// reopening the dialog shows the same item.
void TestSettingsForm::storedIntervalReadsBack() {
    QFETCH(QString, item);
    QFETCH(QString, stored);
    QFETCH(double, seconds);
    SettingsForm::store(*m_prefs, {{Box::PollingInterval, item}});
    QCOMPARE(m_prefs->value(Preferences::pollingIntervalKey), stored);
    QCOMPARE(m_prefs->pollingIntervalSeconds(), seconds);
    QCOMPARE(SettingsForm::shownItems(*m_prefs, QString()).value(Box::PollingInterval), item);
}

QTEST_GUILESS_MAIN(TestSettingsForm)
#include "tst_settingsform.moc"
