#include "scan/NetworkModel.h"
#include "support/FakeInterface.h"

#include <QTest>
#include <memory>

namespace {

// fn's text for each value, joined by '|'.
template <typename T, typename F> QString texts(std::initializer_list<T> values, F fn) {
    QStringList out;
    for (const T &v : values)
        out << fn(v);
    return out.join('|');
}

// a, or both when the second way to the same text differs.
QString agree(const QString &a, const QString &b) {
    return a == b ? a : a + "!=" + b;
}

// A network announcing PHY and security codes given as texts ("4 11").
ScanResult withCodes(const QString &phy, const QString &security,
                     ScanResult n = makeNetwork("Net", "aa:bb:cc:dd:ee:01", -50)) {
    for (const QString &code : phy.split(' ', Qt::SkipEmptyParts))
        n.phyModes.set(code.toUInt());
    for (const QString &code : security.split(' ', Qt::SkipEmptyParts))
        n.securityModes.set(code.toUInt());
    return n;
}

std::unique_ptr<FakeInterface> joined(int security, int phy) {
    auto iface = std::make_unique<FakeInterface>();
    iface->join(makeNetwork("Home", "aa:bb:cc:dd:ee:01", -48, 36, Band::Ghz5, ChannelWidth::Mhz160),
                security, phy);
    return iface;
}

// Every field of a record; a null text reads "-".
QString summary(const NetworkModel &r) {
    QStringList f = {r.ssid,        r.bssid,    r.channelWidth, r.frequency,
                     r.networkMode, r.security, r.vendor,       r.networkType};
    for (QString &s : f)
        s = s.isNull() ? QStringLiteral("-") : s;
    for (qint64 n : {r.rssi, r.channel, r.channelBand, r.activePHY, r.availableCount, r.count,
                     qint64(r.signalStrengthArray.size())})
        f << QString::number(n);
    return f.join('|');
}

} // namespace

class TestNetworkModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every field of a scanned, a hidden, a joined and an idle record; -100 dBm and below is
    // the noise floor.
    void records() {
        const ScanResult cafe = withCodes( // a n ac, WPA2 Personal
            "1 4 5", "4",
            makeNetwork("Cafe", "aa:bb:cc:dd:ee:07", -61, 149, Band::Ghz5, ChannelWidth::Mhz80));
        QCOMPARE(summary(NetworkModel(cafe)), "Cafe|aa:bb:cc:dd:ee:07|80 MHz|5745|802.11ac|WPA2 "
                                              "Personal|Unknown|Access Point|-61|149|2|5|0|0|0");
        QCOMPARE(summary(NetworkModel(makeNetwork(QString(), "aa:bb:cc:dd:ee:08", -100))),
                 "-|aa:bb:cc:dd:ee:08|20 MHz|2437|None|Unknown|Unknown|No Access|-100|6|1|0|0|0|0");
        QCOMPARE(summary(NetworkModel(*joined(Security::WPAWPA2Personal, PhyMode::AX))),
                 "Home|aa:bb:cc:dd:ee:01|160 MHz|5180|802.11ax|WPA/"
                 "WPA2 Personal|Unknown|Access Point|-48|36|2|6|0|0|0");
        QCOMPARE(NetworkModel(makeNetwork("N", "b", -99)).networkType, "Access Point");
        QCOMPARE(summary(NetworkModel(FakeInterface())),
                 "-|-|unknown|-1|None|None|Unknown|Access Point|0|0|0|0|0|0|0");
    }

    // Scanned: the highest PHY mode and the lowest (weakest) security code supported, so a
    // network also open reads "None"; codes 3 and 8 keep their trailing blank there (the
    // interface's text is trimmed); codes outside the known ones read "Unknown".
    void modeAndSecurityTexts() {
        QCOMPARE(texts({"1 2 3 4 5 6 7", "", "0 3", "4 8"},
                       [](const char *set) {
                           const ScanResult n = withCodes(set, "");
                           return agree(NetworkModel(n).networkMode,
                                        NetworkModel::networkModeForNetwork(n));
                       }),
                 "802.11be|None|802.11g|802.11n");
        QCOMPARE(texts({"11 4", "14 0", "15 14", "", "3", "8"},
                       [](const char *set) {
                           const ScanResult n = withCodes("", set);
                           return agree(NetworkModel(n).security,
                                        NetworkModel::securityStringForNetwork(n));
                       }),
                 "WPA2 Personal|None|OWE|Unknown|WPA/WPA2 Personal |WPA/WPA2 Enterprise ");
        QCOMPARE(texts({-1, 8, 16},
                       [](int code) {
                           const auto iface = joined(code, code);
                           return agree(NetworkModel(*iface).networkMode,
                                        NetworkModel::networkModeForInterface(*iface)) +
                                  ',' +
                                  agree(NetworkModel(*iface).security,
                                        NetworkModel::securityStringForInterface(*iface));
                       }),
                 "Unknown,Unknown|Unknown,WPA/WPA2 Enterprise|Unknown,Unknown");
    }
};

QTEST_GUILESS_MAIN(TestNetworkModel)
#include "tst_networkmodel.moc"
