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
        QTest::addColumn<QByteArray>("soft"); // null: no rfkill switch
        QTest::addColumn<QByteArray>("hard");
        QTest::addColumn<QString>("state");
        QTest::newRow("on") << QByteArray("0\n") << QByteArray("0\n") << "soft 0 hard 0";
        QTest::newRow("switched off") << QByteArray("1\n") << QByteArray("0\n") << "soft 1 hard 0";
        QTest::newRow("hardware switch")
            << QByteArray("0\n") << QByteArray("1\n") << "soft 0 hard 1";
        QTest::newRow("no switch") << QByteArray() << QByteArray() << "none";
    }
    void rfkillState() {
        QFETCH(QByteArray, soft);
        QFETCH(QByteArray, hard);
        QFETCH(QString, state);
        QTemporaryDir root;
        const QString phy = root.path() + QStringLiteral("/class/net/wlan0/phy80211");
        QDir().mkpath(phy);
        if (!soft.isNull()) {
            writeFile(phy + QStringLiteral("/rfkill3/soft"), soft);
            writeFile(phy + QStringLiteral("/rfkill3/hard"), hard);
        }
        const auto s = nl80211::rfkillState(QStringLiteral("wlan0"), root.path());
        QCOMPARE(s ? QStringLiteral("soft %1 hard %2").arg(s->softBlocked).arg(s->hardBlocked)
                   : QStringLiteral("none"),
                 state);
        QVERIFY(!nl80211::rfkillState(QStringLiteral("wlan9"), root.path()));
    }

    void interfaceFlags() {
        QTemporaryDir root;
        QString got;
        for (const char *flags : {"0x1003\n", "0x1002\n", "garbage\n", ""}) {
            const QString name = QStringLiteral("wlan%1").arg(got.size());
            if (*flags)
                writeFile(root.path() + QStringLiteral("/class/net/%1/flags").arg(name), flags);
            const auto up = interfaceUp(name, root.path());
            got += up ? (*up ? 'U' : 'd') : '-';
        }
        QCOMPARE(got, QStringLiteral("Ud--"));
    }

    void rfkillWriteBlocksEveryWlanRadio() {
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("rfkill"));
        QStringList events;
        for (bool on : {false, true}) {
            writeFile(device, {});
            QString error;
            QVERIFY2(setWlanRfkill(on, &error, device), qPrintable(error));
            QFile f(device);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray written = f.readAll();
            rfkill_event e{};
            std::memcpy(&e, written.constData(), std::min(sizeof e, size_t(written.size())));
            events << QStringLiteral("%1 bytes op %2 type %3 soft %4")
                          .arg(written.size())
                          .arg(e.op)
                          .arg(e.type)
                          .arg(e.soft);
        }
        // RFKILL_OP_CHANGE_ALL (3) on RFKILL_TYPE_WLAN (1), in the 8-byte version-1 event.
        QCOMPARE(events.join(" | "),
                 QStringLiteral("8 bytes op 3 type 1 soft 1 | 8 bytes op 3 type 1 soft 0"));
    }

    void rfkillRefusalIsExplained() {
        QString error;
        QVERIFY(!setWlanRfkill(false, &error, QStringLiteral("/nonexistent/rfkill")));
        QVERIFY2(error.contains(QStringLiteral("/nonexistent/rfkill")), qPrintable(error));
    }

    void errorsInWords() {
        for (const auto &[error, words] : {std::pair{EPERM, "CAP_NET_ADMIN"},
                                           {ENETDOWN, "rfkill"},
                                           {EBUSY, "already pending"},
                                           {ETIMEDOUT, "in time"},
                                           {ENODEV, "no such"}})
            QVERIFY2(errnoText(error).contains(QLatin1String(words)), qPrintable(errnoText(error)));
    }
};

QTEST_GUILESS_MAIN(TestNl80211System)
#include "tst_nl80211_system.moc"
