#include "netlist/PlottingState.h"
#include "scan/FakeInterface.h"

#include <QTest>
#include <memory>

namespace {

NetworkModelPtr record(int n, const QList<qint64> &history = {}) {
    auto r = std::make_shared<NetworkModel>(
        makeNetwork(QStringLiteral("Net%1").arg(n),
                    QStringLiteral("aa:bb:cc:dd:ee:%1").arg(n, 2, 10, QLatin1Char('0')), -50));
    r->signalStrengthArray = history;
    return r;
}

// "ee:01 ee:02": the BSSIDs a map holds, sorted, by their last octet.
QString keys(const QHash<QString, NetworkModelPtr> &map) {
    QStringList list;
    for (const QString &bssid : map.keys())
        list << bssid.right(5);
    list.sort();
    return list.join(QLatin1Char(' '));
}

// Index of a colour among the fixed fourteen, 1-based; 0 when not one of them.
int colourNumber(const PlotColor &colour) {
    return static_cast<int>(ColorPool::initialColors().indexOf(colour)) + 1;
}

} // namespace

class TestPlottingState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void checkingPlotsWithTheFirstFreeColour();
    void uncheckingReturnsTheColourToTheEnd();
    void joinedNetworkPlottedOnceWithItsHistory();
    void recordWithoutBssidIsNeverPlotted_data();
    void recordWithoutBssidIsNeverPlotted();

private:
    QString maps() const;

    std::unique_ptr<ColorPool> m_pool;
    std::unique_ptr<PlottingState> m_plotting;
    QStringList m_log; // signals, in order
};

void TestPlottingState::init() {
    m_log.clear();
    m_pool = std::make_unique<ColorPool>([] { return 7u; });
    m_plotting = std::make_unique<PlottingState>(*m_pool);
    connect(m_plotting.get(), &PlottingState::configurePlotsRequested, this,
            [this](const QString &bssid) { m_log << "configure " + bssid.right(5); });
    connect(m_plotting.get(), &PlottingState::rearrangeNetworkLabelsRequested, this,
            [this] { m_log << QStringLiteral("rearrange"); });
    connect(m_plotting.get(), &PlottingState::legendLabelRemoved, this,
            [this](const QString &bssid) { m_log << "label off " + bssid.right(5); });
}

// "chosen: ... | sampled: ...".
QString TestPlottingState::maps() const {
    return QStringLiteral("chosen: %1 | sampled: %2")
        .arg(keys(m_plotting->plottingNetworksDict), keys(m_plotting->plottingNetworkDictionary));
}

void TestPlottingState::checkingPlotsWithTheFirstFreeColour() {
    const NetworkModelPtr a = record(1, {-50, -52});
    m_plotting->setPlotted(a, true);
    m_plotting->setPlotted(a, true); // already plotted: nothing new
    QCOMPARE(maps(), "chosen: ee:01 | sampled: ee:01");
    QCOMPARE(m_log.join(", "), "configure ee:01, rearrange");
    QVERIFY(a->signalStrengthArray.isEmpty()); // a fresh history
    QVERIFY(m_plotting->isPlotted(a->bssid));
    QCOMPARE(colourNumber(m_pool->colorFor(a->bssid)), 1);
    QCOMPARE(m_pool->availableColors.size(), 13);
}

void TestPlottingState::uncheckingReturnsTheColourToTheEnd() {
    const NetworkModelPtr a = record(1);
    const NetworkModelPtr b = record(2);
    m_plotting->setPlotted(a, true);
    m_plotting->setPlotted(b, true);
    a->signalStrengthArray = {-60, -61};
    m_log.clear();

    m_plotting->setPlotted(a, false);
    QCOMPARE(m_log.join(", "), "label off ee:01");
    QCOMPARE(maps(), "chosen: ee:02 | sampled: ee:02");
    QVERIFY(!m_plotting->isPlotted(a->bssid));
    QVERIFY(a->signalStrengthArray.isEmpty());
    QCOMPARE(m_pool->availableColors.size(), 13);
    QCOMPARE(colourNumber(m_pool->availableColors.last()), 1);
    m_plotting->setPlotted(a, true);
    QCOMPARE(colourNumber(m_pool->colorFor(a->bssid)), 3);
}

void TestPlottingState::joinedNetworkPlottedOnceWithItsHistory() {
    const NetworkModelPtr a = record(1, {-48, -49});
    m_plotting->plotJoinedNetwork(a);
    m_plotting->plotJoinedNetwork(a);
    QCOMPARE(maps(), "chosen: ee:01 | sampled: ee:01");
    QCOMPARE(a->signalStrengthArray, (QList<qint64>{-48, -49}));
    QCOMPARE(m_log.join(", "), "configure ee:01");
    QCOMPARE(colourNumber(m_pool->colorFor(a->bssid)), 1);
}

void TestPlottingState::recordWithoutBssidIsNeverPlotted_data() {
    QTest::addColumn<bool>("joined");
    QTest::newRow("checked") << false;
    QTest::newRow("joined") << true;
}

void TestPlottingState::recordWithoutBssidIsNeverPlotted() {
    QFETCH(bool, joined);
    const auto blank = std::make_shared<NetworkModel>(makeNetwork("Idle", QString(), -50));
    if (joined)
        m_plotting->plotJoinedNetwork(blank);
    else
        m_plotting->setPlotted(blank, true);
    QCOMPARE(maps(), "chosen:  | sampled: ");
    QVERIFY(m_pool->dict.isEmpty());
    QCOMPARE(m_log.join(", "), "");
    m_plotting->setPlotted(nullptr, true);
    QCOMPARE(m_log.join(", "), "");
}

QTEST_GUILESS_MAIN(TestPlottingState)
#include "tst_plottingstate.moc"
