#include "scan/ALUtilities.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class TestPreferences : public QObject {
    Q_OBJECT

    std::unique_ptr<Preferences> m_prefs;
    // Sets a value; a null text leaves the key absent.
    void set(const QString &key, const QString &text) {
        m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
        if (!text.isNull())
            m_prefs->setValue(key, text);
    }

private Q_SLOTS:
    // Absent, non-numeric, non-finite and non-positive read as the default;
    // a day at most.
    void pollingIntervalSeconds() {
        QStringList got;
        for (const char *stored : {"", "abc", "0", "-3", "nan", "inf", "2", "0.5", " 2 ", "86400",
                                   "1e10", static_cast<const char *>(nullptr)}) {
            set(Preferences::pollingIntervalKey, QString::fromLatin1(stored));
            got << QString::number(m_prefs->pollingIntervalSeconds());
        }
        QCOMPARE(got.join(' '), "5 5 5 5 5 5 2 0.5 2 86400 86400 5");
    }

    // Unit conversions at their edges: only exactly "Percent" shows percent; -100 dBm is 0 %
    // and -50 dBm 100 %, clamped; the radar's first 50 units cover r, every unit beyond five
    // times as far.
    void conversions() {
        QStringList got;
        for (const QString &unit : {QStringLiteral("Percent"), QStringLiteral("percent")}) {
            set(Preferences::displayUnitsKey, unit);
            got << QString::number(ALUtilities::getSignalstrengthForNetwork(-75, *m_prefs));
        }
        for (qint64 dbm : {-101, -100, -99, -51, -50, 7})
            got << QString::number(ALUtilities::signalInPercent(dbm));
        for (auto [s, r] : QList<std::pair<float, float>>{{0, 15}, {25, 15}, {51, 15}, {60, 90}})
            got << QString::number(ALUtilities::getRadiusForSignalValue(s, r));
        QCOMPARE(got.join(' '), "50 -75 0 0 2 98 100 100 0 7.5 16.5 180");
    }

    // Texts survive the settings file as they are; launch defaults overwrite what they cover,
    // leave the rest alone and are flushed at once (read while the store is still open).
    void settingsFileRoundTrips() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("airlume.ini"));
        const auto open = [&] {
            return Preferences(std::make_shared<SettingsPreferenceStore>(path));
        };
        QVERIFY(!open().has(Preferences::adapterKey));
        for (const QString &text : {QString(""), QStringLiteral("wlan0,wlan1"),
                                    QStringLiteral("@Invalid()"), QStringLiteral("one\ntwo")}) {
            {
                Preferences prefs = open();
                prefs.setValue(Preferences::adapterKey, text);
                prefs.flush();
            }
            QCOMPARE(open().value(Preferences::adapterKey), text);
        }
        Preferences prefs = open();
        prefs.setValue(Preferences::displayUnitsKey, QStringLiteral("Percent"));
        prefs.writeLaunchDefaults();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains("adapterValue=one\\ntwo\n") &&
                     text.contains("displayUnitsValue=dBm"),
                 qPrintable(text));
    }

    // A FIFO in the settings file's place would block the first read for good: the values
    // live in memory instead.
    void settingsFileThatIsAFifoIsNotOpened() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Airlume")));
        const QString user = dir.filePath(QStringLiteral("Airlume/Airlume.conf"));
        const QString ini = dir.filePath(QStringLiteral("airlume.ini"));
        for (const QString &path : {user, ini})
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        for (const auto &store : {std::make_shared<SettingsPreferenceStore>(),
                                  std::make_shared<SettingsPreferenceStore>(ini)}) {
            Preferences prefs(store);
            QVERIFY(!prefs.has(Preferences::adapterKey));
            prefs.setValue(Preferences::adapterKey, QStringLiteral("wlan1"));
            prefs.flush();
            QCOMPARE(prefs.value(Preferences::adapterKey), QStringLiteral("wlan1"));
        }
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
