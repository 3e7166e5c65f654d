#include "scan/ALUtilities.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class TestPreferences : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Values read at their edges: an interval absent, non-numeric, non-finite or non-positive
    // reads as the default, a day at most; only exactly "Percent" shows percent; -100 dBm is
    // 0 % and -50 dBm 100 %, clamped.
    void conversions() {
        const auto prefs = [](const QString &key, const char *text) {
            Preferences p(std::make_shared<MemoryPreferenceStore>());
            if (text)
                p.setValue(key, QString::fromLatin1(text));
            return p;
        };
        QStringList got;
        for (const char *stored : {"abc", "0", "nan", "inf", "0.5", " 2 ", "86400", "1e10",
                                   static_cast<const char *>(nullptr)})
            got << QString::number(
                prefs(Preferences::pollingIntervalKey, stored).pollingIntervalSeconds());
        for (const char *unit : {"Percent", "percent"})
            got << QString::number(ALUtilities::getSignalstrengthForNetwork(
                -75, prefs(Preferences::displayUnitsKey, unit)));
        for (qint64 dbm : {-101, -99, -50, 7})
            got << QString::number(ALUtilities::signalInPercent(dbm));
        QCOMPARE(got.join(' '), "5 5 5 5 0.5 2 86400 86400 5 50 -75 0 2 100 100");
    }

    // Texts survive the settings file as they are; launch defaults overwrite what they cover,
    // leave the rest alone and are flushed at once (read while the store is still open).
    void settingsFileRoundTrips() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("airlume.ini"));
        const auto open = [&] {
            return Preferences(std::make_shared<SettingsPreferenceStore>(path));
        };
        for (const QString &text : {QStringLiteral("wlan0,wlan1"), QStringLiteral("@Invalid()"),
                                    QStringLiteral("one\ntwo")}) {
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
        const QString fifo = dir.filePath(QStringLiteral("airlume.ini"));
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        Preferences prefs(std::make_shared<SettingsPreferenceStore>(fifo));
        prefs.setValue(Preferences::adapterKey, QStringLiteral("wlan1"));
        prefs.flush();
        QCOMPARE(prefs.value(Preferences::adapterKey), QStringLiteral("wlan1"));
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
