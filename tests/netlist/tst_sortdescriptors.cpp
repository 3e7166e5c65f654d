#include "netlist/SortDescriptors.h"
#include "scan/FakeInterface.h"

#include <QTest>

namespace {

// "ssid+i": key, direction, and "i" for a case-insensitive comparison.
QString describe(const SortDescriptor &d) {
    return d.key + (d.ascending ? QLatin1Char('+') : QLatin1Char('-')) +
           (d.comparison == SortDescriptor::Comparison::CaseInsensitive ? QStringLiteral("i")
                                                                        : QString());
}

QString describe(const QList<SortDescriptor> &list) {
    QStringList parts;
    for (const SortDescriptor &d : list)
        parts << describe(d);
    return parts.join(QLatin1Char(' '));
}

// Records from words "ssid/rssi/channel/frequency/vendor/security"; fields
// may be left off from the end, "-" leaves a text absent. Each record's
// BSSID numbers it in input order (…:01, …:02), so ties can be told apart.
NetworkList records(const QStringList &words) {
    NetworkList list;
    for (const QString &word : words) {
        const QStringList f = word.split(QLatin1Char('/'));
        auto text = [&](int i, const QString &fallback) {
            const QString v = f.value(i, fallback);
            return v == QLatin1String("-") ? QString() : v;
        };
        auto r = std::make_shared<NetworkModel>(makeNetwork(
            text(0, QString()),
            QStringLiteral("aa:bb:cc:dd:ee:%1").arg(list.size() + 1, 2, 10, QLatin1Char('0')),
            f.value(1, QStringLiteral("-50")).toInt(), f.value(2, QStringLiteral("6")).toInt()));
        r->frequency = text(3, r->frequency);
        r->vendor = text(4, r->vendor);
        r->security = text(5, r->security);
        list << r;
    }
    return list;
}

// The order of a list by each record's number: "3 1 2".
QString order(const NetworkList &list) {
    QStringList parts;
    for (const NetworkModelPtr &r : list)
        parts << QString::number(r->bssid.right(2).toInt());
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestSortDescriptors : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void prototypes_data();
    void prototypes();
    void headerClicks_data();
    void headerClicks();
    void sorting_data();
    void sorting();
};

void TestSortDescriptors::prototypes_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("descriptor");
    QTest::newRow("rssi") << "rssi"
                          << "rssi+";
    QTest::newRow("channel") << "channel"
                             << "channel+";
    QTest::newRow("frequency") << "frequency"
                               << "frequency+";
    QTest::newRow("vendor") << "vendor"
                            << "vendor+";
    QTest::newRow("ssid") << "ssid"
                          << "ssid+i";
    QTest::newRow("bssid") << "bssid"
                           << "bssid+i";
    QTest::newRow("networkMode") << "networkMode"
                                 << "networkMode+i";
    QTest::newRow("security") << "security"
                              << "security+i";
    QTest::newRow("networkType") << "networkType"
                                 << "networkType+i";
    QTest::newRow("width") << "width"
                           << "channelWidth+i";
    QTest::newRow("check") << "check"
                           << "rssi+";
    QTest::newRow("securityLock") << "securityLock"
                                  << "rssi+";
    QTest::newRow("unknown column") << "nonsense"
                                    << "rssi+";
}

void TestSortDescriptors::prototypes() {
    QFETCH(QString, column);
    QFETCH(QString, descriptor);
    QCOMPARE(describe(SortDescriptors::prototypeFor(column)), descriptor);
}

void TestSortDescriptors::headerClicks_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("descriptors");
    QTest::addColumn<bool>("ascending");
    QTest::newRow("one click") << QStringList{"ssid"} << "ssid+i" << true;
    QTest::newRow("second click reverses") << QStringList{"ssid", "ssid"} << "ssid-i" << false;
    QTest::newRow("third click restores")
        << QStringList{"ssid", "ssid", "ssid"} << "ssid+i" << true;
    QTest::newRow("earlier click breaks ties")
        << QStringList{"ssid", "channel"} << "channel+ ssid+i" << true;
    QTest::newRow("reversed tie-breaker stays reversed")
        << QStringList{"ssid", "ssid", "channel"} << "channel+ ssid-i" << true;
    QTest::newRow("clicking a tie-breaker again brings it first, ascending")
        << QStringList{"ssid", "ssid", "channel", "ssid"} << "ssid+i channel+" << true;
    QTest::newRow("three keys") << QStringList{"vendor", "channel", "bssid"}
                                << "bssid+i channel+ vendor+" << true;
    QTest::newRow("check then rssi share a key")
        << QStringList{"check", "rssi"} << "rssi-" << false;
    QTest::newRow("lock then check share a key")
        << QStringList{"securityLock", "check"} << "rssi-" << false;
}

void TestSortDescriptors::headerClicks() {
    QFETCH(QStringList, clicks);
    QFETCH(QString, descriptors);
    QFETCH(bool, ascending);
    SortDescriptors sort;
    for (const QString &column : clicks)
        sort.headerClicked(column);
    QCOMPARE(describe(sort.descriptors()), descriptors);
    QCOMPARE(sort.firstAscending(), ascending);
}

void TestSortDescriptors::sorting_data() {
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("order");

    const QStringList names = {"bravo", "Alpha", "charlie", "alpha"};
    QTest::newRow("no click keeps the order") << names << QStringList{} << "1 2 3 4";
    QTest::newRow("ssid ignores case, ties keep order")
        << names << QStringList{"ssid"} << "2 4 1 3";
    QTest::newRow("ssid descending") << names << QStringList{"ssid", "ssid"} << "3 1 2 4";
    QTest::newRow("hidden ssid first")
        << QStringList{"beta", "-", "alpha"} << QStringList{"ssid"} << "2 3 1";
    QTest::newRow("rssi ascending puts the weakest first")
        << QStringList{"a/-40", "b/-80", "c/-60"} << QStringList{"rssi"} << "2 3 1";
    QTest::newRow("rssi compares numbers, not texts")
        << QStringList{"a/-9", "b/-10", "c/-100"} << QStringList{"rssi"} << "3 2 1";
    QTest::newRow("check column sorts by rssi")
        << QStringList{"a/-40", "b/-80", "c/-60"} << QStringList{"check"} << "2 3 1";
    QTest::newRow("lock column sorts by rssi")
        << QStringList{"a/-40", "b/-80", "c/-60"} << QStringList{"securityLock"} << "2 3 1";
    QTest::newRow("channel compares numbers")
        << QStringList{"a/-50/11", "b/-50/1", "c/-50/100"} << QStringList{"channel"} << "2 1 3";
    QTest::newRow("frequency compares texts")
        << QStringList{"a/-50/6/5180", "b/-50/6/-1", "c/-50/6/2412", "d/-50/6/960"}
        << QStringList{"frequency"} << "2 3 1 4";
    QTest::newRow("vendor is case-sensitive")
        << QStringList{"a/-50/6/2437/acme", "b/-50/6/2437/Zeta", "c/-50/6/2437/Acme"}
        << QStringList{"vendor"} << "3 2 1";
    QTest::newRow("security ignores case")
        << QStringList{"a/-50/6/2437/x/wpa2 Personal", "b/-50/6/2437/x/None",
                       "c/-50/6/2437/x/WPA Personal"}
        << QStringList{"security"} << "2 3 1";
    QTest::newRow("earlier click breaks ties") << QStringList{"b/-70", "a/-60", "b/-50", "a/-80"}
                                               << QStringList{"rssi", "ssid"} << "4 2 1 3";
    QTest::newRow("reversed tie-breaker") << QStringList{"b/-70", "a/-60", "b/-50", "a/-80"}
                                          << QStringList{"rssi", "rssi", "ssid"} << "2 4 3 1";
}

void TestSortDescriptors::sorting() {
    QFETCH(QStringList, records);
    QFETCH(QStringList, clicks);
    QFETCH(QString, order);
    SortDescriptors sort;
    for (const QString &column : clicks)
        sort.headerClicked(column);
    NetworkList list = ::records(records);
    sort.sort(list);
    QCOMPARE(::order(list), order);
}

QTEST_GUILESS_MAIN(TestSortDescriptors)
#include "tst_sortdescriptors.moc"
