#include "netlist/CsvExport.h"
#include "netlist/CsvFile.h"
#include "settings/Preferences.h"

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

NetworkModelPtr record(const QString &ssid, const QString &bssid, int rssi) {
    ScanResult r;
    r.ssid = ssid;
    r.bssid = bssid;
    r.rssiValue = rssi;
    r.channelNumber = 6;
    r.channelBand = Band::Ghz2_4;
    r.channelWidth = ChannelWidth::Mhz20;
    r.phyModes.set(PhyMode::G).set(PhyMode::N);
    r.securityModes.set(Security::WPA2Personal);
    return std::make_shared<NetworkModel>(r);
}

// Caps the size of files this process may write, as a full disk would; the
// kernel's SIGXFSZ is ignored so the write fails with EFBIG instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestCsvFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writesTheExportBytes_data();
    void writesTheExportBytes();
    void replacesAnExistingFile();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void diskFullKeepsTheOldFile();

private:
    QTemporaryDir m_dir;
};

void TestCsvFile::writesTheExportBytes_data() {
    QTest::addColumn<NetworkList>("records");
    QTest::addColumn<int>("connectedRow"); // -1: not joined
    QTest::newRow("empty list") << NetworkList{} << -1;
    QTest::newRow("joined, non-ASCII SSID, comma vendor")
        << NetworkList{record(QStringLiteral("Home"), QStringLiteral("00:1b:2c:00:00:01"), -48),
                       record(QString::fromUtf8("Caf\xc3\xa9 \xe2\x98\x95"),
                              QStringLiteral("00:1b:2c:00:00:02"), -70)}
        << 0;
}

void TestCsvFile::writesTheExportBytes() {
    QFETCH(NetworkList, records);
    QFETCH(int, connectedRow);
    for (const NetworkModelPtr &r : records)
        r->vendor = QStringLiteral("Acme, Inc.");
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    prefs.writeLaunchDefaults();
    const QString text = CsvExport::document(
        records, connectedRow < 0 ? NetworkModelPtr() : records.value(connectedRow), prefs);

    const QString path = m_dir.filePath(QStringLiteral("networks.csv"));
    QString error = QStringLiteral("untouched");
    QVERIFY(writeCsvFile(path, text, &error));
    QCOMPARE(error, "untouched");
    const QByteArray bytes = contents(path);
    QCOMPARE(bytes, text.toUtf8());
    QVERIFY(bytes.startsWith("Connected,SSID,")); // no byte-order mark
    QVERIFY(!bytes.contains('\r'));
    QCOMPARE(bytes.count('\n'), records.size() + 1);
}

void TestCsvFile::replacesAnExistingFile() {
    const QString path = m_dir.filePath(QStringLiteral("replace.csv"));
    QVERIFY(writeBytes(path, QByteArray(1000, 'o')));
    QVERIFY(writeCsvFile(path, QStringLiteral("short\n"), nullptr));
    QCOMPARE(contents(path), "short\n");
}

void TestCsvFile::failedWriteKeepsTheOldFile_data() {
    QTest::addColumn<QString>("folder"); // made read-only when "read-only" is in its name
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << "missing/deeper"
                                    << "networks.csv";
    QTest::newRow("a file where a folder should be") << "old.csv"
                                                     << "networks.csv";
    QTest::newRow("the target is a folder") << ""
                                            << "folder.csv";
    QTest::newRow("read-only folder") << "read-only"
                                      << "old.csv";
}

void TestCsvFile::failedWriteKeepsTheOldFile() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QByteArray old = "Connected,SSID\nTrue,Old \n";
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("old.csv")), old));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.csv")));
    const bool readOnly = folder.contains(QLatin1String("read-only"));
    if (readOnly) {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(QDir(dir.path()).mkdir(folder));
        QVERIFY(writeBytes(dir.filePath(folder + QLatin1Char('/') + name), old));
        QVERIFY(QFile::setPermissions(dir.filePath(folder), QFile::ReadOwner | QFile::ExeOwner));
    }
    const QString path =
        folder.isEmpty() ? dir.filePath(name) : dir.filePath(folder + QLatin1Char('/') + name);

    QString error;
    QVERIFY(!writeCsvFile(path, QStringLiteral("Connected,SSID\nFalse,New \n"), &error));
    const QString named = QStringLiteral("\"%1\": ").arg(QDir::toNativeSeparators(path));
    QVERIFY2(error.contains(named), qPrintable(error));
    QVERIFY2(error.size() > error.indexOf(named) + named.size() + 1, qPrintable(error)); // a reason
    QCOMPARE(contents(dir.filePath(QStringLiteral("old.csv"))), old);
    if (readOnly) {
        QCOMPARE(contents(path), old);
        QFile::setPermissions(dir.filePath(folder),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

void TestCsvFile::diskFullKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.csv"));
    const QByteArray old = "Connected,SSID\nTrue,Old \n";
    QVERIFY(writeBytes(path, old));
    QString error;
    bool written = true;
    {
        const FileSizeLimit limit(64);
        written = writeCsvFile(path, QString(10000, QLatin1Char('x')), &error);
    }
    QVERIFY(!written);
    QCOMPARE(error, QStringLiteral("Could not save \"%1\": File too large.").arg(path));
    QCOMPARE(contents(path), old);
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"full.csv"});
}

QTEST_GUILESS_MAIN(TestCsvFile)
#include "tst_csvfile.moc"
