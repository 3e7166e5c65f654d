#include "scan/nl80211/Nl80211Socket.h"
#include "scan/nl80211/RadioPower.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <linux/rfkill.h>

using namespace nl80211;

namespace {

void writeFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

} // namespace

// The radio's power from sysfs and /dev/rfkill, on a fake tree, and the words
// for the errors the kernel answers with.
class TestNl80211System : public QObject {
    Q_OBJECT
private slots:
    void rfkillState_data() {
        QTest::addColumn<QByteArray>("soft");
        QTest::addColumn<QByteArray>("hard");
        QTest::addColumn<bool>("softBlocked");
        QTest::addColumn<bool>("hardBlocked");
        QTest::newRow("on") << QByteArray("0\n") << QByteArray("0\n") << false << false;
        QTest::newRow("switched off") << QByteArray("1\n") << QByteArray("0\n") << true << false;
        QTest::newRow("hardware switch") << QByteArray("0\n") << QByteArray("1\n") << false << true;
    }
    void rfkillState() {
        QFETCH(QByteArray, soft);
        QFETCH(QByteArray, hard);
        QFETCH(bool, softBlocked);
        QFETCH(bool, hardBlocked);
        QTemporaryDir root;
        const QString rfkill = root.path() + QStringLiteral("/class/net/wlan0/phy80211/rfkill3");
        writeFile(rfkill + QStringLiteral("/soft"), soft);
        writeFile(rfkill + QStringLiteral("/hard"), hard);
        const auto state = nl80211::rfkillState(QStringLiteral("wlan0"), root.path());
        QVERIFY(state);
        QCOMPARE(state->softBlocked, softBlocked);
        QCOMPARE(state->hardBlocked, hardBlocked);
    }

    void noRfkillSwitch() {
        QTemporaryDir root;
        QDir().mkpath(root.path() + QStringLiteral("/class/net/wlan0/phy80211"));
        QVERIFY(!nl80211::rfkillState(QStringLiteral("wlan0"), root.path()));
        QVERIFY(!nl80211::rfkillState(QStringLiteral("wlan9"), root.path()));
    }

    void interfaceFlags() {
        QTemporaryDir root;
        writeFile(root.path() + QStringLiteral("/class/net/wlan0/flags"), "0x1003\n");
        writeFile(root.path() + QStringLiteral("/class/net/wlan1/flags"), "0x1002\n");
        writeFile(root.path() + QStringLiteral("/class/net/wlan2/flags"), "garbage\n");
        QCOMPARE(interfaceUp(QStringLiteral("wlan0"), root.path()), std::optional<bool>(true));
        QCOMPARE(interfaceUp(QStringLiteral("wlan1"), root.path()), std::optional<bool>(false));
        QVERIFY(!interfaceUp(QStringLiteral("wlan2"), root.path()));
        QVERIFY(!interfaceUp(QStringLiteral("wlan3"), root.path()));
    }

    void rfkillWriteBlocksEveryWlanRadio_data() {
        QTest::addColumn<bool>("on");
        QTest::newRow("off") << false;
        QTest::newRow("on") << true;
    }
    void rfkillWriteBlocksEveryWlanRadio() {
        QFETCH(bool, on);
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("rfkill"));
        writeFile(device, {});
        QString error;
        QVERIFY2(setWlanRfkill(on, &error, device), qPrintable(error));
        QFile f(device);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray written = f.readAll();
        QCOMPARE(written.size(), qsizetype(RFKILL_EVENT_SIZE_V1));
        rfkill_event event;
        std::memcpy(&event, written.constData(), sizeof event);
        QCOMPARE(int(event.op), int(RFKILL_OP_CHANGE_ALL));
        QCOMPARE(int(event.type), int(RFKILL_TYPE_WLAN));
        QCOMPARE(int(event.soft), on ? 0 : 1);
    }

    void rfkillRefusalIsExplained() {
        QString error;
        QVERIFY(!setWlanRfkill(false, &error, QStringLiteral("/nonexistent/rfkill")));
        QVERIFY2(error.contains(QStringLiteral("/nonexistent/rfkill")), qPrintable(error));
        QVERIFY(!error.isEmpty());
    }

    void errorsInWords_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("words");
        QTest::newRow("EPERM") << EPERM << QStringLiteral("CAP_NET_ADMIN");
        QTest::newRow("ENETDOWN") << ENETDOWN << QStringLiteral("rfkill");
        QTest::newRow("EBUSY") << EBUSY << QStringLiteral("already pending");
        QTest::newRow("ETIMEDOUT") << ETIMEDOUT << QStringLiteral("in time");
        QTest::newRow("ENODEV") << ENODEV << QStringLiteral("no such");
    }
    void errorsInWords() {
        QFETCH(int, error);
        QFETCH(QString, words);
        QVERIFY2(errnoText(error).contains(words), qPrintable(errnoText(error)));
    }
};

QTEST_GUILESS_MAIN(TestNl80211System)
#include "tst_nl80211_system.moc"
