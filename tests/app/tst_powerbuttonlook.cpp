#include "app/PowerButtonLook.h"

#include <QTest>

class TestPowerButtonLook : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void look_data();
    void look();
};

void TestPowerButtonLook::look_data() {
    QTest::addColumn<bool>("powered");
    QTest::addColumn<QString>("look");
    QTest::newRow("on: Disable on orange") << true << "Disable on 255,165,0 in 255,255,255";
    QTest::newRow("off: Enable on green") << false << "Enable on 106,181,96 in 255,255,255";
}

void TestPowerButtonLook::look() {
    QFETCH(bool, powered);
    QFETCH(QString, look);
    const PowerButtonLook l = PowerButtonLook::forPowered(powered);
    const auto rgb = [](const Rgb &c) {
        return QStringLiteral("%1,%2,%3").arg(c.red).arg(c.green).arg(c.blue);
    };
    QCOMPARE(QStringLiteral("%1 on %2 in %3").arg(l.title, rgb(l.background), rgb(l.titleColor)),
             look);
}

QTEST_GUILESS_MAIN(TestPowerButtonLook)
#include "tst_powerbuttonlook.moc"
