#include "scan/ALUtilities.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// A memory store that counts its syncs.
class CountingStore : public MemoryPreferenceStore {
public:
    void sync() override { ++syncs; }
    int syncs = 0;
};

} // namespace

class TestPreferences : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void launchDefaultsOverwrite();
    void pollingIntervalSeconds_data();
    void pollingIntervalSeconds();
    void isPercentIsExact_data();
    void isPercentIsExact();
    void settingsStoreRoundTrips_data();
    void settingsStoreRoundTrips();
    void settingsStoreAbsentKeyIsNull();
    void launchDefaultsReachTheFile();

    // ALUtilities: the signal in the chosen unit and the radar distance.
    void signalInPercent_data();
    void signalInPercent();
    void signalInChosenUnit_data();
    void signalInChosenUnit();
    void radiusForSignalValue_data();
    void radiusForSignalValue();

private:
    std::shared_ptr<CountingStore> m_store;
    std::unique_ptr<Preferences> m_prefs;
};

void TestPreferences::init() {
    m_store = std::make_shared<CountingStore>();
    m_prefs = std::make_unique<Preferences>(m_store);
}

void TestPreferences::launchDefaultsOverwrite() {
    const QStringList keys = {Preferences::displayUnitsKey,    Preferences::rssiMethodKey,
                              Preferences::sweepTypeKey,       Preferences::locateSoundKey,
                              Preferences::pollingIntervalKey, Preferences::adapterKey};
    m_prefs->setValue(Preferences::displayUnitsKey, Preferences::percent);
    m_prefs->setValue(Preferences::rssiMethodKey, QStringLiteral("Fast"));
    m_prefs->setValue(Preferences::sweepTypeKey, Preferences::sonar);
    m_prefs->setValue(Preferences::locateSoundKey, Preferences::off);
    m_prefs->setValue(Preferences::pollingIntervalKey, QStringLiteral("30"));
    m_prefs->setValue(Preferences::adapterKey, QStringLiteral("wlan1"));

    m_prefs->writeLaunchDefaults();

    QStringList values;
    for (const QString &key : keys)
        values << key + QLatin1Char('=') + m_prefs->value(key);
    QCOMPARE(values.join(QLatin1Char(' ')),
             "displayUnitsValue=dBm rssiMethodValue=Accurate sweepTypeValue=Radar "
             "locateSoundValue=On pollingIntervalValue=5 adapterValue=wlan1");
    QCOMPARE(m_store->syncs, 1);
    QVERIFY(!m_prefs->has(Preferences::vendorLookupKey));
}

void TestPreferences::pollingIntervalSeconds_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<double>("seconds");
    QTest::newRow("absent") << QString() << 5.0;
    QTest::newRow("empty") << "" << 5.0;
    QTest::newRow("abc") << "abc" << 5.0;
    QTest::newRow("0") << "0" << 5.0;
    QTest::newRow("-3") << "-3" << 5.0;
    QTest::newRow("nan") << "nan" << 5.0;
    QTest::newRow("inf") << "inf" << 5.0;
    QTest::newRow("-inf") << "-inf" << 5.0;
    QTest::newRow("2") << "2" << 2.0;
    QTest::newRow("0.5") << "0.5" << 0.5;
    QTest::newRow("blanks around 2") << " 2 " << 2.0;
    QTest::newRow("10") << "10" << 10.0;
    QTest::newRow("a day") << "86400" << 86400.0;
    QTest::newRow("past a day, clamped") << "1e10" << 86400.0;
}

void TestPreferences::pollingIntervalSeconds() {
    QFETCH(QString, stored);
    QFETCH(double, seconds);
    if (!stored.isNull())
        m_prefs->setValue(Preferences::pollingIntervalKey, stored);
    QCOMPARE(m_prefs->pollingIntervalSeconds(), seconds);
}

void TestPreferences::isPercentIsExact_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("percent");
    QTest::newRow("Percent") << "Percent" << true;
    QTest::newRow("percent") << "percent" << false;
    QTest::newRow("Percent with blank") << "Percent " << false;
    QTest::newRow("dBm") << "dBm" << false;
    QTest::newRow("absent") << QString() << false;
}

void TestPreferences::isPercentIsExact() {
    QFETCH(QString, unit);
    QFETCH(bool, percent);
    if (!unit.isNull())
        m_prefs->setValue(Preferences::displayUnitsKey, unit);
    QCOMPARE(m_prefs->isPercent(), percent);
}

void TestPreferences::settingsStoreRoundTrips_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << "Percent";
    QTest::newRow("empty") << "";
    QTest::newRow("number") << "0.5";
    QTest::newRow("comma") << "wlan0,wlan1";
    QTest::newRow("leading at") << "@Invalid()";
    QTest::newRow("blanks around") << " 5 ";
    QTest::newRow("quote and equals") << "a=\"b\"";
    QTest::newRow("line break") << "one\ntwo";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Caf\xc3\xa9 \xe2\x98\x95");
}

void TestPreferences::settingsStoreRoundTrips() {
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("airlume.ini"));
    {
        Preferences prefs(std::make_shared<SettingsPreferenceStore>(path));
        prefs.setValue(Preferences::adapterKey, text);
        prefs.flush();
    }
    Preferences reread(std::make_shared<SettingsPreferenceStore>(path));
    QVERIFY(reread.has(Preferences::adapterKey));
    QCOMPARE(reread.value(Preferences::adapterKey), text);
}

void TestPreferences::settingsStoreAbsentKeyIsNull() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Preferences prefs(
        std::make_shared<SettingsPreferenceStore>(dir.filePath(QStringLiteral("airlume.ini"))));
    QVERIFY(prefs.value(Preferences::adapterKey).isNull());
    QVERIFY(!prefs.has(Preferences::adapterKey));
    QCOMPARE(prefs.pollingIntervalSeconds(), Preferences::defaultPollingIntervalSeconds);
}

void TestPreferences::launchDefaultsReachTheFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("airlume.ini"));
    Preferences prefs(std::make_shared<SettingsPreferenceStore>(path));
    prefs.setValue(Preferences::adapterKey, QStringLiteral("wlan1"));
    prefs.writeLaunchDefaults();

    // Still open: what is on disk is what writeLaunchDefaults flushed.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList lines =
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    QCOMPARE(lines.join(QLatin1Char(' ')),
             "[General] adapterValue=wlan1 displayUnitsValue=dBm locateSoundValue=On "
             "pollingIntervalValue=5 rssiMethodValue=Accurate sweepTypeValue=Radar");
}

void TestPreferences::signalInPercent_data() {
    QTest::addColumn<qint64>("dbm");
    QTest::addColumn<qint64>("percent");
    QTest::newRow("0 no signal") << qint64(0) << qint64(0);
    QTest::newRow("-101") << qint64(-101) << qint64(0);
    QTest::newRow("-100") << qint64(-100) << qint64(0);
    QTest::newRow("-99") << qint64(-99) << qint64(2);
    QTest::newRow("-75") << qint64(-75) << qint64(50);
    QTest::newRow("-51") << qint64(-51) << qint64(98);
    QTest::newRow("-50") << qint64(-50) << qint64(100);
    QTest::newRow("-49") << qint64(-49) << qint64(100);
    QTest::newRow("-1") << qint64(-1) << qint64(100);
    QTest::newRow("positive") << qint64(7) << qint64(100);
}

void TestPreferences::signalInPercent() {
    QFETCH(qint64, dbm);
    QFETCH(qint64, percent);
    QCOMPARE(ALUtilities::signalInPercent(dbm), percent);
    m_prefs->setValue(Preferences::displayUnitsKey, Preferences::percent);
    QCOMPARE(ALUtilities::getSignalstrengthForNetwork(dbm, *m_prefs), percent);
}

void TestPreferences::signalInChosenUnit_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<qint64>("shown");
    QTest::newRow("Percent") << "Percent" << qint64(50);
    QTest::newRow("dBm") << "dBm" << qint64(-75);
    QTest::newRow("percent lower case") << "percent" << qint64(-75);
    QTest::newRow("Percent with blank") << "Percent " << qint64(-75);
    QTest::newRow("absent") << QString() << qint64(-75);
}

void TestPreferences::signalInChosenUnit() {
    QFETCH(QString, unit);
    QFETCH(qint64, shown);
    if (!unit.isNull())
        m_prefs->setValue(Preferences::displayUnitsKey, unit);
    QCOMPARE(ALUtilities::getSignalstrengthForNetwork(-75, *m_prefs), shown);
}

void TestPreferences::radiusForSignalValue_data() {
    QTest::addColumn<float>("signal");
    QTest::addColumn<float>("radius");
    QTest::addColumn<float>("distance");
    QTest::newRow("r15 s0") << 0.0f << 15.0f << 0.0f;
    QTest::newRow("r15 s25") << 25.0f << 15.0f << 7.5f;
    QTest::newRow("r15 s50") << 50.0f << 15.0f << 15.0f;
    QTest::newRow("r15 s51") << 51.0f << 15.0f << 16.5f;
    QTest::newRow("r15 s60") << 60.0f << 15.0f << 30.0f;
    QTest::newRow("r15 s90") << 90.0f << 15.0f << 75.0f;
    QTest::newRow("r90 s50") << 50.0f << 90.0f << 90.0f;
    QTest::newRow("r90 s60") << 60.0f << 90.0f << 180.0f;
}

void TestPreferences::radiusForSignalValue() {
    QFETCH(float, signal);
    QFETCH(float, radius);
    QFETCH(float, distance);
    QCOMPARE(ALUtilities::getRadiusForSignalValue(signal, radius), distance);
}

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
