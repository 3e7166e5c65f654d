#include "ScenarioJson.h"
#include "app/InterfaceSource.h"
#include "scan/FakeInterface.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QString kindName(SourceOption::Kind kind) {
    switch (kind) {
    case SourceOption::Kind::Auto:
        return QStringLiteral("auto");
    case SourceOption::Kind::Nl80211:
        return QStringLiteral("nl80211");
    case SourceOption::Kind::Scenario:
        return QStringLiteral("scenario");
    }
    return {};
}

// Stands for openSource: real adapters are fakes named like the request;
// "wlan-broken" refuses; auto finds no radio and falls back to a scenario.
struct Opener {
    QStringList calls;

    InterfaceSource::Opener function() {
        return [this](const SourceOption &option, QString *error, bool *usageError,
                      QString *note) -> std::unique_ptr<WirelessInterface> {
            calls << kindName(option.kind) + QLatin1Char(':') + option.argument;
            *usageError = false;
            if (option.kind == SourceOption::Kind::Nl80211) {
                if (option.argument == QLatin1String("wlan-broken")) {
                    *error = QStringLiteral("interface is down");
                    return nullptr;
                }
                auto fake = std::make_unique<FakeInterface>();
                fake->name = option.argument;
                return fake;
            }
            if (option.kind == SourceOption::Kind::Auto)
                *note = QStringLiteral("no Wi-Fi interface found; playing the demo scenario");
            return ScenarioJson::play({ScenarioJson::scan({"A:-50"})});
        };
    }
};

} // namespace

class TestInterfaceSource : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openedSource_data();
    void openedSource();
    void adapterListEndsWithSimulated_data();
    void adapterListEndsWithSimulated();
    void sameAdapterDoesNotReopen_data();
    void sameAdapterDoesNotReopen();
    void otherAdapterReopens();
    void refusedAdapterKeepsTheCurrent();
    void simulatedPlaysTheStartupScenario();
};

void TestInterfaceSource::openedSource_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("described");
    QTest::newRow("scenario") << "scenario:/data/flat.json"
                              << "Simulated|Airlume \u2014 Simulated|note=";
    QTest::newRow("auto without radio")
        << "auto"
        << "Simulated|Airlume \u2014 Simulated|note=no Wi-Fi interface found; playing the "
           "demo scenario";
    QTest::newRow("named radio") << "nl80211:wlp3s0"
                                 << "wlp3s0|Airlume \u2014 wlp3s0|note=";
}

void TestInterfaceSource::openedSource() {
    QFETCH(QString, source);
    QFETCH(QString, described);
    Opener opener;
    InterfaceSource interfaces(opener.function(), [] { return QStringList(); });
    QString error;
    bool usageError = false;
    QVERIFY(interfaces.open(*SourceOption::parse(source, &error), &error, &usageError));
    QVERIFY(interfaces.current());
    QCOMPARE(interfaces.adapterInUse() + QLatin1Char('|') + interfaces.windowTitle() +
                 QStringLiteral("|note=") + interfaces.note(),
             described);
}

void TestInterfaceSource::adapterListEndsWithSimulated_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("adapters");
    QTest::newRow("two radios, simulated in use")
        << "scenario:/x.json" << QStringList{"wlan0", "wlp3s0"} << "wlan0,wlp3s0,Simulated";
    QTest::newRow("no radios") << "scenario:/x.json" << QStringList{} << "Simulated";
    QTest::newRow("radio in use missing from the list")
        << "nl80211:wlan5" << QStringList{"wlan0"} << "wlan5,wlan0,Simulated";
}

void TestInterfaceSource::adapterListEndsWithSimulated() {
    QFETCH(QString, source);
    QFETCH(QStringList, listed);
    QFETCH(QString, adapters);
    Opener opener;
    InterfaceSource interfaces(opener.function(), [listed] { return listed; });
    QString error;
    bool usageError = false;
    QVERIFY(interfaces.open(*SourceOption::parse(source, &error), &error, &usageError));
    QCOMPARE(interfaces.adapters().join(QLatin1Char(',')), adapters);
}

void TestInterfaceSource::sameAdapterDoesNotReopen_data() {
    QTest::addColumn<QString>("choice");
    QTest::newRow("the one in use") << "wlan0";
    QTest::newRow("no choice stored") << QString();
    QTest::newRow("empty") << "";
}

void TestInterfaceSource::sameAdapterDoesNotReopen() {
    QFETCH(QString, choice);
    Opener opener;
    InterfaceSource interfaces(opener.function(), [] { return QStringList(); });
    QString error;
    bool usageError = false;
    QVERIFY(interfaces.open(*SourceOption::parse(QStringLiteral("nl80211:wlan0"), &error), &error,
                            &usageError));
    WirelessInterface *before = interfaces.current();
    QSignalSpy changed(&interfaces, &InterfaceSource::interfaceChanged);
    QVERIFY(!interfaces.applyAdapterChoice(choice));
    QCOMPARE(interfaces.current(), before);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(opener.calls.join(QLatin1Char(' ')), "nl80211:wlan0");
}

void TestInterfaceSource::otherAdapterReopens() {
    Opener opener;
    InterfaceSource interfaces(opener.function(), [] { return QStringList(); });
    QString error;
    bool usageError = false;
    QVERIFY(
        interfaces.open(*SourceOption::parse(QStringLiteral("auto"), &error), &error, &usageError));
    QSignalSpy changed(&interfaces, &InterfaceSource::interfaceChanged);
    QVERIFY(interfaces.applyAdapterChoice(QStringLiteral("wlp3s0")));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(interfaces.current()->interfaceName(), "wlp3s0");
    QCOMPARE(interfaces.windowTitle(), "Airlume \u2014 wlp3s0");
    QVERIFY(!interfaces.isSimulated());
    QVERIFY(interfaces.note().isEmpty()); // the fallback note is history
    QCOMPARE(opener.calls.join(QLatin1Char(' ')), "auto: nl80211:wlp3s0");
}

void TestInterfaceSource::refusedAdapterKeepsTheCurrent() {
    Opener opener;
    InterfaceSource interfaces(opener.function(), [] { return QStringList(); });
    QString error;
    bool usageError = false;
    QVERIFY(interfaces.open(*SourceOption::parse(QStringLiteral("nl80211:wlan0"), &error), &error,
                            &usageError));
    WirelessInterface *before = interfaces.current();
    QSignalSpy changed(&interfaces, &InterfaceSource::interfaceChanged);
    QSignalSpy refused(&interfaces, &InterfaceSource::adapterRefused);
    QTest::ignoreMessage(QtWarningMsg, "Cannot use adapter wlan-broken: interface is down");
    QVERIFY(!interfaces.applyAdapterChoice(QStringLiteral("wlan-broken")));
    QCOMPARE(interfaces.current(), before);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(refused.count(), 1);
    QCOMPARE(refused.at(0).at(0).toString(), "Cannot use adapter wlan-broken: interface is down");
}

// "Simulated" plays the scenario the program was started with, not the demo.
void TestInterfaceSource::simulatedPlaysTheStartupScenario() {
    Opener opener;
    InterfaceSource interfaces(opener.function(), [] { return QStringList(); });
    QString error;
    bool usageError = false;
    QVERIFY(
        interfaces.open(*SourceOption::parse(QStringLiteral("scenario:/data/flat.json"), &error),
                        &error, &usageError));
    QVERIFY(interfaces.applyAdapterChoice(QStringLiteral("wlan0")));
    QVERIFY(interfaces.applyAdapterChoice(InterfaceSource::simulatedAdapter));
    QVERIFY(interfaces.isSimulated());
    QCOMPARE(opener.calls.join(QLatin1Char(' ')),
             "scenario:/data/flat.json nl80211:wlan0 scenario:/data/flat.json");
}

QTEST_GUILESS_MAIN(TestInterfaceSource)
#include "tst_interfacesource.moc"
