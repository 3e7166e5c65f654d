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
    void records() {
        const ScanResult cafe = withCodes( // a n ac, WPA2 Personal
            "1 4 5", "4",
            makeNetwork("Cafe", "aa:bb:cc:dd:ee:07", -61, 149, Band::Ghz5, ChannelWidth::Mhz80));
        QCOMPARE(summary(NetworkModel(cafe)), "Cafe|aa:bb:cc:dd:ee:07|80 MHz|5745|802.11ac|WPA2 "
                                              "Personal|Unknown|Access Point|-61|149|2|5|0|0|0");
        QCOMPARE(
            summary(NetworkModel(makeNetwork(QString(), "aa:bb:cc:dd:ee:08", -70))),
            "-|aa:bb:cc:dd:ee:08|20 MHz|2437|None|Unknown|Unknown|Access Point|-70|6|1|0|0|0|0");
        QCOMPARE(summary(NetworkModel(*joined(Security::WPAWPA2Personal, PhyMode::AX))),
                 "Home|aa:bb:cc:dd:ee:01|160 MHz|5180|802.11ax|WPA/"
                 "WPA2 Personal|Unknown|Access Point|-48|36|2|6|0|0|0");
        QCOMPARE(summary(NetworkModel(FakeInterface())),
                 "-|-|unknown|-1|None|None|Unknown|Access Point|0|0|0|0|0|0|0");
    }

    // -100 dBm and below is the noise floor; 0 means no value.
    void networkTypeFollowsNoiseFloor() {
        QCOMPARE(
            texts({-99, -100, 0},
                  [](int rssi) { return NetworkModel(makeNetwork("N", "b", rssi)).networkType; }),
            "Access Point|No Access|Access Point");
    }

    // Values are band * 1000 + channel.
    void frequencyAndWidthTexts() {
        QCOMPARE(texts({1001, 1013, 1014, 2036, 3001, 3002, 3005, 6, 4006},
                       [](int v) {
                           const ScanResult n = makeNetwork("N", "b", -50, v % 1000, v / 1000);
                           return agree(NetworkModel(n).frequency,
                                        QString::number(NetworkModel::getNetworkFrequency(n)));
                       }),
                 "2412|2472|2484|5180|5955|5935|5975|-1|-1");
        QCOMPARE(
            texts(
                {-1, 0, 1, 2, 3, 4, 5, 6},
                [](int w) {
                    return NetworkModel(makeNetwork("N", "b", -50, 36, Band::Ghz5, w)).channelWidth;
                }),
            "unknown|unknown|20 MHz|40 MHz|80 MHz|160 MHz|320 MHz|unknown");
    }

    // Scanned: the highest mode supported; joined: the interface's code.
    void phyModeTexts() {
        // a; b g; a n ac; a..be; nothing; code 0; 0 and g; n and a code above be
        QCOMPARE(texts({"1", "2 3", "1 4 5", "1 2 3 4 5 6 7", "", "0", "0 3", "4 8"},
                       [](const char *set) {
                           const ScanResult n = withCodes(set, "");
                           const NetworkModel r(n);
                           return agree(QString::number(r.activePHY) + r.networkMode,
                                        QString::number(NetworkModel::activePHYModeForNetwork(n)) +
                                            NetworkModel::networkModeForNetwork(n));
                       }),
                 "1802.11a|3802.11g|5802.11ac|7802.11be|0None|0None|3802.11g|4802.11n");
        QCOMPARE(texts({-1, 0, 1, 2, 3, 4, 5, 6, 7, 8},
                       [](int code) {
                           const auto iface = joined(Security::WPA2Personal, code);
                           return agree(agree(NetworkModel(*iface).networkMode,
                                              NetworkModel::networkModeForInterface(*iface)),
                                        NetworkModel::networkModeForactivePHYMode(code));
                       }),
                 "Unknown|None|802.11a|802.11b|802.11g|802.11n|802.11ac|802.11ax|802.11be|Unknown");
    }

    // Scanned: the lowest code supported, so a network also open reads "None";
    // codes 3 and 8 keep their trailing blank. Joined: trimmed.
    void securityTexts() {
        const auto scanned = [](const char *set) {
            const ScanResult n = withCodes("", set);
            return agree(NetworkModel(n).security, NetworkModel::securityStringForNetwork(n));
        };
        QCOMPARE(texts({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13",
                        "14", "15"},
                       scanned),
                 "None|WEP|WPA Personal|WPA/WPA2 Personal |WPA2 Personal|Personal|Dynamic WEP|"
                 "WPA Enterprise|WPA/WPA2 Enterprise |WPA2 Enterprise|Enterprise|WPA3 Personal|"
                 "WPA3 Enterprise|WPA2/WPA3 Personal|OWE|OWE Transition");
        // WPA3 + WPA2 Personal, OWE + open, OWE Transition + OWE, nothing
        QCOMPARE(texts({"11 4", "14 0", "15 14", ""}, scanned), "WPA2 Personal|None|OWE|Unknown");
        QCOMPARE(texts({-1, 0, 3, 8, 15, 16},
                       [](int code) {
                           const auto iface = joined(code, PhyMode::N);
                           return agree(NetworkModel(*iface).security,
                                        NetworkModel::securityStringForInterface(*iface));
                       }),
                 "Unknown|None|WPA/WPA2 Personal|WPA/WPA2 Enterprise|OWE Transition|Unknown");
    }
};

QTEST_GUILESS_MAIN(TestNetworkModel)
#include "tst_networkmodel.moc"
