#include "app/AppCommandLine.h"

#include <QTest>

class TestAppCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestAppCommandLine::parse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("parsed");
    QTest::newRow("nothing: auto") << QStringList{} << "run auto:";
    QTest::newRow("auto") << QStringList{"--source", "auto"} << "run auto:";
    QTest::newRow("nl80211 any") << QStringList{"--source", "nl80211"} << "run nl80211:";
    QTest::newRow("nl80211 named")
        << QStringList{"--source=nl80211:wlp3s0"} << "run nl80211:wlp3s0";
    QTest::newRow("scenario") << QStringList{"--source", "scenario:/tmp/demo.json"}
                              << "run scenario:/tmp/demo.json";
    QTest::newRow("single dash") << QStringList{"-source", "auto"} << "run auto:";
    QTest::newRow("help") << QStringList{"--help"} << "help";
    QTest::newRow("h") << QStringList{"-h"} << "help";
    QTest::newRow("version") << QStringList{"--version"} << "version";
    QTest::newRow("unknown source")
        << QStringList{"--source", "wifi"}
        << "error unknown source \"wifi\" (use auto, nl80211[:IFNAME] or scenario:FILE)";
    QTest::newRow("scenario without file")
        << QStringList{"--source", "scenario:"}
        << "error unknown source \"scenario:\" (use auto, nl80211[:IFNAME] or scenario:FILE)";
    QTest::newRow("stray argument")
        << QStringList{"demo.json"} << "error unexpected argument \"demo.json\"";
    QTest::newRow("unknown option")
        << QStringList{"--ticks", "3"} << "error Unknown option 'ticks'.";
    QTest::newRow("source without value")
        << QStringList{"--source"} << "error Missing value after '--source'.";
}

void TestAppCommandLine::parse() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, parsed);
    arguments.prepend(QStringLiteral("airlume"));
    const AppCommandLine::Parsed result = AppCommandLine::parse(arguments);
    QString text;
    switch (result.kind) {
    case AppCommandLine::Parsed::Kind::Run: {
        static const char *kinds[] = {"auto", "nl80211", "scenario"};
        text = QStringLiteral("run %1:%2")
                   .arg(QLatin1String(kinds[int(result.source.kind)]), result.source.argument);
        break;
    }
    case AppCommandLine::Parsed::Kind::Help:
        text = QStringLiteral("help");
        break;
    case AppCommandLine::Parsed::Kind::Version:
        text = QStringLiteral("version");
        break;
    case AppCommandLine::Parsed::Kind::Error:
        text = QStringLiteral("error ") + result.message;
        break;
    }
    QCOMPARE(text, parsed);
}

QTEST_GUILESS_MAIN(TestAppCommandLine)
#include "tst_appcommandline.moc"
