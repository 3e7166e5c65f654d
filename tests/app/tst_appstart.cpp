#include <QProcess>
#include <QtTest>

// The airlume program started as a user starts it: from a terminal without a
// display, or with a bad source. It never hangs, and says why it stops.
class TestAppStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startFailures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("platform"); // empty: no display at all
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString usage = QStringLiteral("usage: airlume [--source");
        QTest::newRow("help without display") << QStringList{"--help"} << "" << 0 << usage << "";
        QTest::newRow("version without display")
            << QStringList{"--version"} << "" << 0 << "airlume "
            << "";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << "" << 2 << ""
                                        << "airlume: Unknown option 'bogus'.\n" + usage;
        QTest::newRow("unknown layout")
            << QStringList{"--layout=diagonal"} << "offscreen" << 2 << ""
            << "airlume: unknown layout \"diagonal\"";
        QTest::newRow("bad source without display") << QStringList{"--source=usb"} << "" << 2 << ""
                                                    << "airlume: unknown source \"usb\"";
        QTest::newRow("bad source on a screen")
            << QStringList{"--source=usb"} << "offscreen" << 2 << ""
            << "airlume: unknown source \"usb\"";
        QTest::newRow("missing scenario")
            << QStringList{"--source=scenario:/nonexistent/x.json"} << "offscreen" << 2 << ""
            << "airlume: /nonexistent/x.json: ";
        QTest::newRow("no display") << QStringList{} << "" << 1 << ""
                                    << "airlume: no display";
    }

    void startFailures() {
        QFETCH(QStringList, args);
        QFETCH(QString, platform);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (!platform.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(AIRLUME_APP), args);
        QVERIFY(process.waitForFinished(60000));
        const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(process.readAllStandardError());
        QCOMPARE(process.exitCode(), exitCode);
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
        // Qt may warn first about the platform (a missing runtime folder).
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
    }
};

QTEST_GUILESS_MAIN(TestAppStart)
#include "tst_appstart.moc"
