#include <QProcess>
#include <QtTest>

// The airlume program started as a user starts it: from a terminal without a
// display, or with a bad source. It never hangs, says why it stops, and only
// help and version reach standard output.
class TestAppStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startFailures_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("platform"); // empty: no display at all
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        const QString usage = "\nusage: airlume [--source";
        const auto row = [](const char *name, const char *args, const char *platform, int code,
                            const QString &said) {
            QTest::newRow(name) << QString(args) << QString(platform) << code << said;
        };
        row("help without display", "--help", "", 0, "usage: airlume [--source");
        row("version without display", "--version", "", 0, "airlume 0.");
        row("unknown option", "--bogus", "", 2, "airlume: Unknown option 'bogus'." + usage);
        row("bad source without display", "--source=usb", "", 2, "unknown source \"usb\"");
        row("missing scenario", "--source=scenario:/nonexistent/x.json", "offscreen", 2,
            "airlume: /nonexistent/x.json: ");
        row("no display", "", "", 1, "airlume: no display");
    }

    void startFailures() {
        QFETCH(QString, args);
        QFETCH(QString, platform);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (!platform.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(AIRLUME_APP), args.split(' ', Qt::SkipEmptyParts));
        QVERIFY(process.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QCOMPARE(process.exitCode(), exitCode);
        QVERIFY2((exitCode == 0 ? out : err).contains(said), qPrintable(out + err));
        QCOMPARE(out.isEmpty(), exitCode != 0);
    }
};

QTEST_GUILESS_MAIN(TestAppStart)
#include "tst_appstart.moc"
