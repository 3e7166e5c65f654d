#include "netlist/CsvFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

bool writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestCsvFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // UTF-8 without a byte-order mark; a shorter text leaves nothing of the old.
    void writesUtf8AndReplaces() {
        QTemporaryDir dir;
        const QString path = dir.filePath("networks.csv");
        QVERIFY(writeBytes(path, QByteArray(1000, 'o')));
        const QString text = QString::fromUtf8("Connected,SSID\nTrue,Caf\xc3\xa9 \xe2\x98\x95\n");
        QString error = "untouched";
        QVERIFY(writeCsvFile(path, text, &error));
        QCOMPARE(error, "untouched");
        QCOMPARE(contents(path), text.toUtf8());
    }

    // Each failure names the path and a reason, and leaves the old file as it was
    // and no temporary file beside it. In a read-only folder no temporary file can
    // go beside the target: writing in place would not be atomic. A full disk
    // first shows as a short write without a reason; a file size limit (SIGXFSZ
    // ignored) stands in for it.
    void failedWriteKeepsTheOldFile() {
        const QByteArray old = "Connected,SSID\nTrue,Old \n";
        for (const QString target : {"missing/deeper/networks.csv", "old.csv/networks.csv",
                                     "folder.csv", "read-only/old.csv", "old.csv"}) {
            const bool readOnly = target.startsWith("read-only"), full = target == "old.csv";
            if (readOnly && geteuid() == 0) {
                qInfo("skipped %s: root writes into read-only folders", qPrintable(target));
                continue;
            }
            QTemporaryDir dir;
            QVERIFY(writeBytes(dir.filePath("old.csv"), old) &&
                    QDir(dir.path()).mkdir("folder.csv"));
            if (readOnly) {
                QVERIFY(QDir(dir.path()).mkdir("read-only") &&
                        writeBytes(dir.filePath(target), old));
                QVERIFY(QFile::setPermissions(dir.filePath("read-only"),
                                              QFile::ReadOwner | QFile::ExeOwner));
            }
            const QString path = dir.filePath(target);
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit limit = saved;
            limit.rlim_cur = full ? 64 : saved.rlim_cur;
            const auto handler = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &limit);
            QString error;
            const bool written = writeCsvFile(path, QString(10000, 'x'), &error);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, handler);
            QVERIFY2(!written, qPrintable(target));
            const QString named =
                QString("Could not save \"%1\": ").arg(QDir::toNativeSeparators(path));
            QVERIFY2(error.startsWith(named) && error.size() > named.size() + 1, qPrintable(error));
            if (full)
                QCOMPARE(error, named + "File too large.");
            QCOMPARE(target + ": " + contents(dir.filePath("old.csv")), target + ": " + old);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.csv"});
            if (readOnly) {
                QCOMPARE(contents(path), old);
                QFile::setPermissions(dir.filePath("read-only"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCsvFile)
#include "tst_csvfile.moc"
