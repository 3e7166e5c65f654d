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

    // Exactly "Percent" (case-sensitive) shows percent; anything else dBm.
    void signalInChosenUnit() {
        QStringList got;
        for (const QString &unit : {QStringLiteral("Percent"), QStringLiteral("percent"),
                                    QStringLiteral("Percent "), QStringLiteral("dBm"), QString()}) {
            set(Preferences::displayUnitsKey, unit);
            got << QString::number(m_prefs->isPercent()) + ':' +
                       QString::number(ALUtilities::getSignalstrengthForNetwork(-75, *m_prefs));
        }
        QCOMPARE(got.join(' '), "1:50 0:-75 0:-75 0:-75 0:-75");
    }

    void signalInPercent() {
        QStringList got;
        for (qint64 dbm : {0, -101, -100, -99, -75, -51, -50, -49, 7})
            got << QString::number(ALUtilities::signalInPercent(dbm));
        QCOMPARE(got.join(' '), "0 0 0 2 50 98 100 100 100");
    }

    // The first 50 units cover r, every unit beyond five times as far.
    void radiusForSignalValue() {
        QStringList got;
        for (auto [s, r] : QList<std::pair<float, float>>{
                 {0, 15}, {25, 15}, {50, 15}, {51, 15}, {60, 15}, {90, 15}, {60, 90}})
            got << QString::number(ALUtilities::getRadiusForSignalValue(s, r));
        QCOMPARE(got.join(' '), "0 7.5 15 16.5 30 75 180");
    }

    void settingsStoreRoundTrips() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("airlume.ini"));
        QVERIFY(!Preferences(std::make_shared<SettingsPreferenceStore>(path))
                     .has(Preferences::adapterKey));
        for (const QString &text :
             {QString(""), QStringLiteral("wlan0,wlan1"), QStringLiteral("@Invalid()"),
              QStringLiteral(" 5 "), QStringLiteral("a=\"b\""), QStringLiteral("one\ntwo"),
              QString::fromUtf8("Caf\xc3\xa9 \xe2\x98\x95")}) {
            {
                Preferences prefs(std::make_shared<SettingsPreferenceStore>(path));
                prefs.setValue(Preferences::adapterKey, text);
                prefs.flush();
            }
            const Preferences reread(std::make_shared<SettingsPreferenceStore>(path));
            QVERIFY(reread.has(Preferences::adapterKey));
            QCOMPARE(reread.value(Preferences::adapterKey), text);
        }
    }

    // They overwrite earlier values, leave the rest alone and are flushed.
    void launchDefaultsReachTheFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("airlume.ini"));
        Preferences prefs(std::make_shared<SettingsPreferenceStore>(path));
        for (const QString &key : {Preferences::displayUnitsKey, Preferences::rssiMethodKey,
                                   Preferences::sweepTypeKey, Preferences::locateSoundKey,
                                   Preferences::pollingIntervalKey, Preferences::adapterKey})
            prefs.setValue(key, QStringLiteral("old"));
        prefs.writeLaunchDefaults();
        // Still open: what is on disk is what writeLaunchDefaults flushed.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines.join(' '),
                 "[General] adapterValue=old displayUnitsValue=dBm locateSoundValue=On "
                 "pollingIntervalValue=5 rssiMethodValue=Accurate sweepTypeValue=Radar");
    }

    // A FIFO in the settings file's place would block the first read for good:
    // the values live in memory instead and the FIFO is left as it is.
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
        for (const QString &path : {user, ini}) {
            struct stat st {};
            QVERIFY(stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
        }
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
