#include "graph/PlottingState.h"
#include "support/FakeInterface.h"

#include <QTest>
#include <algorithm>

namespace {

QString describe(const PlotColor &c) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(c.red, 0, 'f', 4)
        .arg(c.green, 0, 'f', 4)
        .arg(c.blue, 0, 'f', 4)
        .arg(c.alpha, 0, 'f', 4);
}

QString bssid(int i) {
    return QStringLiteral("aa:bb:cc:dd:ee:%1").arg(i, 2, 16, QLatin1Char('0'));
}

// n records, BSSIDs ...:01, ...:02 in order.
NetworkList records(int n) {
    NetworkList list;
    for (int i = 1; i <= n; ++i)
        list << std::make_shared<NetworkModel>(makeNetwork(QStringLiteral("n"), bssid(i), -50));
    return list;
}

} // namespace

// The colour pool, and the plotting state that hands its colours out.
class TestPlotting : public QObject {
    Q_OBJECT

    QList<quint32> m_draws; // values the pool draws, in order
    int m_drawCount = 0;
    ColorPool m_pool;
    const QList<PlotColor> fixed = ColorPool::initialColors();

private Q_SLOTS:
    void init() {
        m_draws.clear();
        m_drawCount = 0;
        m_pool = ColorPool([this] {
            ++m_drawCount;
            return m_draws.isEmpty() ? 0u : m_draws.takeFirst();
        });
    }

    // Draws: hue (mod 256, /256), saturation and brightness (mod 128, /256,
    // + 0.5); values worked out by hand from the HSB definition. s = b = 0.5
    // for a hue inside each sixth of the wheel and either side of the 1/6 and
    // 5/6 sector edges (42.67, 213.33); then the most vivid, and draws that wrap.
    void randomColourWhenPoolIsEmpty() {
        for (int i = 0; i < 14; ++i)
            m_pool.getColors(bssid(i));
        QStringList got;
        for (const char *draws : {"0 0 0", "42 0 0", "43 0 0", "96 0 0", "150 0 0", "192 0 0",
                                  "213 0 0", "214 0 0", "255 0 0", "0 127 127", "384 128 128"}) {
            for (const QString &draw : QString(draws).split(' '))
                m_draws << draw.toUInt();
            const PlotColor c = m_pool.getColors(bssid(20));
            QCOMPARE(m_pool.colorFor(bssid(20)), c);
            got << describe(c).chopped(7);
        }
        QCOMPARE(m_drawCount, 33);
        QCOMPARE(
            got.join(" | "),
            "0.5000 0.2500 0.2500 | 0.5000 0.4961 0.2500 | 0.4980 0.5000 0.2500 | 0.2500 0.5000 "
            "0.3125 | 0.2500 0.3711 0.5000 | 0.3750 0.2500 0.5000 | 0.4980 0.2500 0.5000 | 0.5000 "
            "0.2500 0.4961 | 0.5000 0.2500 0.2559 | 0.9961 0.0039 0.0039 | 0.2500 0.5000 0.5000");
        // Saturation and brightness land in [0.5, 1) whatever the draws.
        for (quint32 draw : {0u, 127u, 128u, 0xFFFFFFFFu}) {
            for (quint32 hue = 0; hue < 256; ++hue) {
                m_draws = {hue, draw, draw};
                const PlotColor c = m_pool.getColors(bssid(20));
                const double hi = std::max({c.red, c.green, c.blue});
                const double saturation = (hi - std::min({c.red, c.green, c.blue})) / hi;
                QVERIFY2(hi >= 0.5 && hi < 1.0 && saturation >= 0.5 - 1e-9 && saturation < 1.0 &&
                             c.alpha == 1.0,
                         qPrintable(describe(c)));
            }
        }
    }

    // The fixed colours go first, in order, without a draw; a returned colour
    // waits behind the free ones; unknown or repeated returns change nothing;
    // a second request replaces the colour.
    void handOutAndReturn() {
        for (int i = 0; i < 2; ++i)
            QCOMPARE(m_pool.getColors(bssid(i)), fixed.at(i));
        for (const QString &b : {bssid(0), bssid(0), bssid(9), QString()})
            m_pool.returnColor(b);
        QVERIFY(!m_pool.hasColor(bssid(0)));
        QCOMPARE(m_pool.availableColors, fixed.mid(2) + fixed.mid(0, 1));
        QCOMPARE(m_pool.getColors(bssid(1)), fixed.at(2));
        QCOMPARE(m_pool.dict.size(), 1);
        m_pool.returnColor(bssid(1));
        QCOMPARE(m_pool.availableColors, fixed.mid(3) + fixed.mid(0, 1) + fixed.mid(2, 1));
        QCOMPARE(m_drawCount, 0);
    }

    // A network is plotted while it holds a colour; the graph follows the signals.
    void plottingState() {
        PlottingState plotting([] { return 7u; });
        const ColorPool &pool = plotting.colorPool();
        QStringList log;
        connect(&plotting, &PlottingState::configurePlotsRequested, this,
                [&](const QString &bssid) { log << "configure " + bssid.right(1); });
        connect(&plotting, &PlottingState::rearrangeNetworkLabelsRequested, this,
                [&] { log << "rearrange"; });
        connect(&plotting, &PlottingState::legendLabelRemoved, this,
                [&](const QString &bssid) { log << "label off " + bssid.right(1); });
        // Per network: "c" chosen, "s" sampled, its colour's number; the free colours.
        auto state = [&] {
            QStringList out;
            for (const QString n : {"1", "2", "3"}) {
                const QString bssid = "aa:bb:cc:dd:ee:0" + n, colours = "123456789abcdef";
                out << n + (plotting.plottingNetworksDict.contains(bssid) ? "c" : "") +
                           (plotting.plottingNetworkDictionary.contains(bssid) ? "s" : "") +
                           (pool.hasColor(bssid) ? colours.at(ColorPool::initialColors().indexOf(
                                                       pool.colorFor(bssid)))
                                                 : QChar('-'));
            }
            return out.join(' ') + " free " + QString::number(pool.availableColors.size());
        };
        const NetworkList r = records(3);
        r[0]->signalStrengthArray = {-50, -52};
        r[2]->signalStrengthArray = {-48, -49};
        plotting.setPlotted(r[0], true);
        plotting.setPlotted(r[0], true); // already plotted: nothing new
        plotting.plotJoinedNetwork(r[2]);
        plotting.plotJoinedNetwork(r[2]);
        QCOMPARE(state(), "1cs1 2- 3cs2 free 12");
        QVERIFY(r[0]->signalStrengthArray.isEmpty());  // a checked network starts afresh
        QCOMPARE(r[2]->signalStrengthArray.size(), 2); // the joined one keeps its history
        plotting.setPlotted(r[1], true);
        r[0]->signalStrengthArray = {-60};
        plotting.setPlotted(r[0], false); // its colour goes back to the end of the pool
        QVERIFY(r[0]->signalStrengthArray.isEmpty() && !plotting.isPlotted(r[0]->bssid));
        QCOMPARE(ColorPool::initialColors().indexOf(pool.availableColors.last()), 0);
        plotting.setPlotted(r[0], true);
        QCOMPARE(state(), "1cs4 2cs3 3cs2 free 11");
        QCOMPARE(log.join(", "), "configure 1, rearrange, configure 3, configure 2, rearrange, "
                                 "label off 1, configure 1, rearrange");
        // A record without a BSSID cannot be keyed: it is never plotted.
        log.clear();
        const NetworkList blank = records(1);
        blank[0]->bssid = QString();
        plotting.setPlotted(blank[0], true);
        plotting.plotJoinedNetwork(blank[0]);
        plotting.setPlotted(nullptr, true);
        plotting.plotJoinedNetwork(nullptr);
        QCOMPARE(state() + log.join(", "), "1cs4 2cs3 3cs2 free 11");
        QCOMPARE(pool.dict.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestPlotting)
#include "tst_plotting.moc"
