#include "app/SharedInstanceClass.h"

#include <QTest>

// One process-wide object: the first test sees it untouched, and every test
// that changes it puts the value back.
class TestSharedInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freshValues();
    void sameObjectEveryTime();
    void expandedRadarOnlyAt220_data();
    void expandedRadarOnlyAt220();
    void cleanup();
};

void TestSharedInstance::freshValues() {
    const SharedInstanceClass &shared = SharedInstanceClass::sharedInstance();
    const QString values = QStringLiteral("maxValue=%1 num=%2 position=%3 graphPadding=%4")
                               .arg(shared.maxValue)
                               .arg(shared.num)
                               .arg(shared.position)
                               .arg(shared.graphPadding);
    QCOMPARE(values, "maxValue=90 num=10 position=850 graphPadding=80");
    QVERIFY(!shared.isExpandedRadar());
    QVERIFY(shared.latencyDict.isEmpty());
    QVERIFY(shared.externalIP.isEmpty());
}

void TestSharedInstance::sameObjectEveryTime() {
    SharedInstanceClass &first = SharedInstanceClass::sharedInstance();
    SharedInstanceClass &second = SharedInstanceClass::sharedInstance();
    QCOMPARE(&first, &second);
    first.position = 900;
    QCOMPARE(SharedInstanceClass::sharedInstance().position, 900);
    first.position = 850;
}

void TestSharedInstance::expandedRadarOnlyAt220_data() {
    QTest::addColumn<qint64>("maxValue");
    QTest::addColumn<bool>("expanded");
    QTest::newRow("90") << qint64(90) << false;
    QTest::newRow("219") << qint64(219) << false;
    QTest::newRow("220") << qint64(220) << true;
    QTest::newRow("221") << qint64(221) << false;
}

void TestSharedInstance::expandedRadarOnlyAt220() {
    QFETCH(qint64, maxValue);
    QFETCH(bool, expanded);
    SharedInstanceClass::sharedInstance().maxValue = maxValue;
    QCOMPARE(SharedInstanceClass::sharedInstance().isExpandedRadar(), expanded);
}

void TestSharedInstance::cleanup() {
    SharedInstanceClass::sharedInstance().maxValue = 90;
}

QTEST_GUILESS_MAIN(TestSharedInstance)
#include "tst_sharedinstance.moc"
