#include "netlist/VendorFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

// The rule the index stands in for: the first line, in file order, that holds
// the prefix anywhere gives the vendor text.
QString firstMatchingLine(const QStringList &lines, const QString &bssid) {
    const QString prefix = VendorFile::prefixOf(bssid);
    for (const QString &line : lines) {
        if (line.contains(prefix))
            return VendorFile::vendorText(line, prefix);
    }
    return {};
}

QString bundledText() {
    QFile file(QStringLiteral(":/vendor/oui.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// A file with the awkward cases: a repeated prefix, a prefix inside another
// line's name, overlapping octet groups, a lower-case prefix, colons.
const QString trickyFile = QStringLiteral("00-1B-2C\tAcme Networks\r\n"
                                          "\n\n"
                                          "00-1B-2D:  Acme:  Networks \r\n"
                                          "00-1B-2C Second Acme\n"
                                          "11-22-33 Holder of 44-55-66 in its name\n"
                                          "44-55-66 Real owner\n"
                                          "77-88-99-AA Overlapping groups\n"
                                          "aa-bb-cc lower case\n"
                                          "DD-EE-FF\n"
                                          "AB-CD-EF Ends here");

} // namespace

class TestVendorFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanLines_data();
    void cleanLines();
    void prefixOf_data();
    void prefixOf();
    void vendorText_data();
    void vendorText();
    void indexAgreesWithFirstMatchingLine_data();
    void indexAgreesWithFirstMatchingLine();
    void emptyFileListsNothing();
    void bundledFileHasTheLineForm();
    void bundledIndexAgreesWithFirstMatchingLine();
};

void TestVendorFile::cleanLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("tabs and CRs removed")
        << QStringLiteral("00-1B-2C\t\tAcme\r\n") << QStringList{"00-1B-2CAcme", ""};
    QTest::newRow("runs of LF collapsed")
        << QStringLiteral("A\n\n\nB\r\n\r\nC") << QStringList{"A", "B", "C"};
    QTest::newRow("leading LF leaves one empty line")
        << QStringLiteral("\n\nA") << QStringList{"", "A"};
    QTest::newRow("inner blanks kept") << QStringLiteral("A  B ") << QStringList{"A  B "};
}

void TestVendorFile::cleanLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(VendorFile::cleanLines(text), lines);
}

void TestVendorFile::prefixOf_data() {
    QTest::addColumn<QString>("bssid");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("indexed");
    QTest::newRow("colons, lower case") << "00:1b:2c:11:22:33"
                                        << "00-1B-2C" << true;
    QTest::newRow("dashes") << "aa-bb-cc-dd-ee-ff"
                            << "AA-BB-CC" << true;
    QTest::newRow("short text") << "0:1b"
                                << "0-1B" << false;
    QTest::newRow("unpadded octets") << "0:1b:2c:d:e:f"
                                     << "0-1B-2C-" << false;
    QTest::newRow("not hex") << "0g:1b:2c:11:22:33"
                             << "0G-1B-2C" << false;
}

void TestVendorFile::prefixOf() {
    QFETCH(QString, bssid);
    QFETCH(QString, prefix);
    QFETCH(bool, indexed);
    QCOMPARE(VendorFile::prefixOf(bssid), prefix);
    QCOMPARE(VendorFile::isIndexedForm(prefix), indexed);
}

void TestVendorFile::vendorText_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("vendor");
    QTest::newRow("plain") << "00-1B-2C Acme Networks"
                           << "Acme Networks";
    // Colons go, the blank after one stays: one blank between the words.
    QTest::newRow("colons and blanks") << "00-1B-2C:  Acme: Networks "
                                       << "Acme Networks";
    QTest::newRow("inner blanks stay") << "00-1B-2C:  Acme:  Networks "
                                       << "Acme  Networks";
    QTest::newRow("prefix twice") << "00-1B-2C Acme 00-1B-2C"
                                  << "Acme";
    QTest::newRow("prefix alone") << "00-1B-2C"
                                  << "";
}

void TestVendorFile::vendorText() {
    QFETCH(QString, line);
    QFETCH(QString, vendor);
    const QString text = VendorFile::vendorText(line, QStringLiteral("00-1B-2C"));
    QCOMPARE(text, vendor);
    QVERIFY(!text.isNull()); // listed, even when the name is empty
}

void TestVendorFile::indexAgreesWithFirstMatchingLine_data() {
    QTest::addColumn<QString>("bssid");
    QTest::addColumn<QString>("vendor"); // null: not listed
    QTest::newRow("first of a repeated prefix") << "00:1b:2c:11:22:33"
                                                << "Acme Networks";
    QTest::newRow("colons and inner blanks") << "00:1B:2D:00:00:01"
                                             << "Acme  Networks";
    QTest::newRow("prefix inside an earlier line") << "44:55:66:00:00:01"
                                                   << "11-22-33 Holder of  in its name";
    QTest::newRow("line start") << "11:22:33:00:00:01"
                                << "Holder of 44-55-66 in its name";
    QTest::newRow("first overlapping group") << "77:88:99:00:00:01"
                                             << "-AA Overlapping groups";
    QTest::newRow("second overlapping group") << "88:99:aa:00:00:01"
                                              << "77- Overlapping groups";
    QTest::newRow("lower-case line does not match") << "aa:bb:cc:00:00:01" << QString();
    QTest::newRow("prefix without name") << "dd:ee:ff:00:00:01"
                                         << "";
    QTest::newRow("last line without LF") << "ab:cd:ef:00:00:01"
                                          << "Ends here";
    QTest::newRow("not listed") << "12:34:56:00:00:01" << QString();
}

void TestVendorFile::indexAgreesWithFirstMatchingLine() {
    QFETCH(QString, bssid);
    QFETCH(QString, vendor);
    VendorFile file;
    file.load(trickyFile);
    const QString found = file.vendorFor(bssid);
    QCOMPARE(found, vendor);
    QCOMPARE(found.isNull(), vendor.isNull());
    QCOMPARE(found, firstMatchingLine(file.lines(), bssid));
}

void TestVendorFile::emptyFileListsNothing() {
    VendorFile file;
    file.load(QString());
    QVERIFY(file.vendorFor(QStringLiteral("00:1b:2c:11:22:33")).isNull());
}

void TestVendorFile::bundledFileHasTheLineForm() {
    const QStringList lines = VendorFile::cleanLines(bundledText());
    QVERIFY2(lines.size() > 20000, qPrintable(QString::number(lines.size())));
    QCOMPARE(lines.last(), QString()); // the file ends in a line feed
    static const QRegularExpression form(
        QStringLiteral("\\A[0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]{2} \\S(.*\\S)?\\z"));
    QStringList bad;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (!form.match(lines[i]).hasMatch() || lines[i].contains(QLatin1String("&amp;")))
            bad.append(lines[i]);
    }
    QCOMPARE(bad.mid(0, 5).join(QLatin1Char('|')), QString());
}

void TestVendorFile::bundledIndexAgreesWithFirstMatchingLine() {
    VendorFile file;
    file.load(bundledText());
    const QStringList &lines = file.lines();
    QVERIFY(lines.size() > 20000);
    // A spread of listed prefixes (the literal rule is slow) and a few unlisted.
    QStringList bssids{QStringLiteral("12:34:56:00:00:00"), QStringLiteral("02:11:22:33:44:55"),
                       QStringLiteral("aa:bb:cc:00:00:01")};
    for (qsizetype i = 0; i < lines.size(); i += 499)
        bssids.append(lines[i].left(8).replace(QLatin1Char('-'), QLatin1Char(':')).toLower() +
                      QStringLiteral(":01:02:03"));
    QStringList differing;
    for (const QString &bssid : std::as_const(bssids)) {
        if (file.vendorFor(bssid) != firstMatchingLine(lines, bssid) ||
            file.vendorFor(bssid).isNull() != firstMatchingLine(lines, bssid).isNull())
            differing.append(bssid);
    }
    QCOMPARE(differing.join(QLatin1Char(' ')), QString());
    QVERIFY(!file.vendorFor(bssids.last()).isEmpty());
}

QTEST_APPLESS_MAIN(TestVendorFile)
#include "tst_vendorfile.moc"
