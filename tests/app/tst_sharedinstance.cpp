#include "app/SharedInstanceClass.h"

#include <QTest>

// One process-wide object: the first test sees it untouched, and every test
// that changes it puts the value back.
class TestSharedInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freshValuesAndOneObject() {
        SharedInstanceClass &shared = SharedInstanceClass::sharedInstance();
        QCOMPARE(&shared, &SharedInstanceClass::sharedInstance());
        QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                     .arg(shared.maxValue)
                     .arg(shared.num)
                     .arg(shared.position)
                     .arg(shared.graphPadding),
                 "90 10 850 80");
        QVERIFY(shared.latencyDict.isEmpty() && shared.externalIP.isEmpty());
    }

    void expandedRadarOnlyAt220() {
        QStringList got;
        for (qint64 radius : {90, 219, 220, 221}) {
            SharedInstanceClass::sharedInstance().maxValue = radius;
            got << QString::number(SharedInstanceClass::sharedInstance().isExpandedRadar());
        }
        SharedInstanceClass::sharedInstance().maxValue = 90;
        QCOMPARE(got.join(' '), "0 0 1 0");
    }
};

QTEST_GUILESS_MAIN(TestSharedInstance)
#include "tst_sharedinstance.moc"
