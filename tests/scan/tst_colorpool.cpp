#include "scan/ColorPool.h"

#include <QTest>
#include <algorithm>
#include <memory>

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

} // namespace

class TestColorPool : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void fixedColoursComeFirstInOrder();
    void randomColourOnlyWhenPoolIsEmpty();
    void randomColourConversion_data();
    void randomColourConversion();
    void randomColourStaysBright_data();
    void randomColourStaysBright();
    void returnedColourGoesToTheEnd();
    void returningUnknownBssidDoesNothing();
    void secondRequestReplacesTheColour();

private:
    // Values the pool draws, in order; each draw also counts.
    QList<quint32> m_draws;
    int m_drawCount = 0;
    std::unique_ptr<ColorPool> m_pool;
};

void TestColorPool::init() {
    m_draws.clear();
    m_drawCount = 0;
    m_pool = std::make_unique<ColorPool>([this] {
        ++m_drawCount;
        return m_draws.isEmpty() ? 0u : m_draws.takeFirst();
    });
}

void TestColorPool::fixedColoursComeFirstInOrder() {
    const QList<PlotColor> fixed = ColorPool::initialColors();
    QCOMPARE(fixed.size(), 14);
    QCOMPARE(m_pool->availableColors, fixed);
    QCOMPARE(describe(fixed.at(0)), "0.6118 0.6196 0.2863 1.0000"); // 156,158,73
    QCOMPARE(describe(fixed.at(13)), "0.8000 0.8000 0.8000 1.0000");

    for (int i = 0; i < fixed.size(); ++i) {
        QCOMPARE(m_pool->getColors(bssid(i)), fixed.at(i));
        QCOMPARE(m_pool->colorFor(bssid(i)), fixed.at(i));
    }
    QVERIFY(m_pool->availableColors.isEmpty());
    QCOMPARE(m_pool->dict.size(), 14);
    QCOMPARE(m_drawCount, 0);
}

void TestColorPool::randomColourOnlyWhenPoolIsEmpty() {
    for (int i = 0; i < 14; ++i)
        m_pool->getColors(bssid(i));
    QCOMPARE(m_drawCount, 0);

    m_draws = {0, 127, 127};
    const PlotColor fifteenth = m_pool->getColors(bssid(14));
    QVERIFY(m_drawCount > 0);
    QVERIFY(!ColorPool::initialColors().contains(fifteenth));
    QCOMPARE(m_pool->colorFor(bssid(14)), fifteenth);
    QVERIFY(fifteenth.red > fifteenth.green && fifteenth.red > fifteenth.blue);
}

// Draws in order: hue (mod 256, /256), saturation and brightness (mod 128,
// /256, + 0.5). Expected values worked out by hand from the HSB definition.
void TestColorPool::randomColourConversion_data() {
    QTest::addColumn<quint32>("hue");
    QTest::addColumn<quint32>("saturation");
    QTest::addColumn<quint32>("brightness");
    QTest::addColumn<QString>("rgba");
    // s = b = 0.5: the strongest channel is 0.5, the weakest 0.25.
    QTest::newRow("hue 0 red") << 0u << 0u << 0u << "0.5000 0.2500 0.2500 1.0000";
    QTest::newRow("hue 0.25 yellow-green") << 64u << 0u << 0u << "0.3750 0.5000 0.2500 1.0000";
    QTest::newRow("hue 0.5 cyan") << 128u << 0u << 0u << "0.2500 0.5000 0.5000 1.0000";
    QTest::newRow("hue 0.75 violet") << 192u << 0u << 0u << "0.3750 0.2500 0.5000 1.0000";
    // Either side of the 1/6 and 5/6 sector edges (42.67 and 213.33 of 256).
    QTest::newRow("hue 42/256 below yellow") << 42u << 0u << 0u << "0.5000 0.4961 0.2500 1.0000";
    QTest::newRow("hue 43/256 past yellow") << 43u << 0u << 0u << "0.4980 0.5000 0.2500 1.0000";
    QTest::newRow("hue 213/256 below magenta") << 213u << 0u << 0u << "0.4980 0.2500 0.5000 1.0000";
    QTest::newRow("hue 214/256 past magenta") << 214u << 0u << 0u << "0.5000 0.2500 0.4961 1.0000";
    QTest::newRow("hue 255/256 nearly red") << 255u << 0u << 0u << "0.5000 0.2500 0.2559 1.0000";
    // Brightest and most saturated: 127/256 + 0.5 = 0.99609375.
    QTest::newRow("hue 0 vivid") << 0u << 127u << 127u << "0.9961 0.0039 0.0039 1.0000";
    // Only the low bits count.
    QTest::newRow("wrapped draws") << 256u + 128u << 128u << 128u << "0.2500 0.5000 0.5000 1.0000";
}

void TestColorPool::randomColourConversion() {
    QFETCH(quint32, hue);
    QFETCH(quint32, saturation);
    QFETCH(quint32, brightness);
    QFETCH(QString, rgba);
    for (int i = 0; i < 14; ++i)
        m_pool->getColors(bssid(i));
    m_draws = {hue, saturation, brightness};
    QCOMPARE(describe(m_pool->getColors(QStringLiteral("aa:bb:cc:dd:ee:ff"))), rgba);
    QCOMPARE(m_drawCount, 3);
}

void TestColorPool::randomColourStaysBright_data() {
    QTest::addColumn<quint32>("draw");
    QTest::newRow("0") << 0u;
    QTest::newRow("1") << 1u;
    QTest::newRow("127") << 127u;
    QTest::newRow("128") << 128u;
    QTest::newRow("255") << 255u;
    QTest::newRow("max") << 0xFFFFFFFFu;
}

// Saturation and brightness read back from the colour land in [0.5, 1)
// whatever the draws; hue sweeps the whole wheel.
void TestColorPool::randomColourStaysBright() {
    QFETCH(quint32, draw);
    for (int i = 0; i < 14; ++i)
        m_pool->getColors(bssid(i));
    for (quint32 hue = 0; hue < 256; ++hue) {
        m_draws = {hue, draw, draw};
        const PlotColor c = m_pool->getColors(QStringLiteral("aa:bb:cc:dd:ee:ff"));
        const double hi = std::max({c.red, c.green, c.blue});
        const double lo = std::min({c.red, c.green, c.blue});
        const double saturation = (hi - lo) / hi;
        QVERIFY2(hi >= 0.5 && hi < 1.0, qPrintable(describe(c)));
        QVERIFY2(saturation >= 0.5 - 1e-9 && saturation < 1.0, qPrintable(describe(c)));
        QCOMPARE(c.alpha, 1.0);
    }
}

void TestColorPool::returnedColourGoesToTheEnd() {
    const QList<PlotColor> fixed = ColorPool::initialColors();
    m_pool->getColors(bssid(0));
    m_pool->getColors(bssid(1));
    m_pool->returnColor(bssid(0));

    QVERIFY(!m_pool->hasColor(bssid(0)));
    QCOMPARE(m_pool->availableColors.size(), 13);
    QCOMPARE(m_pool->availableColors.first(), fixed.at(2));
    QCOMPARE(m_pool->availableColors.last(), fixed.at(0));

    // The twelve colours waiting ahead come out before the returned one.
    for (int i = 2; i < 14; ++i)
        QCOMPARE(m_pool->getColors(bssid(i)), fixed.at(i));
    QCOMPARE(m_pool->getColors(bssid(20)), fixed.at(0));
    QCOMPARE(m_drawCount, 0);
}

void TestColorPool::returningUnknownBssidDoesNothing() {
    m_pool->getColors(bssid(0));
    const QList<PlotColor> before = m_pool->availableColors;
    m_pool->returnColor(bssid(9));
    m_pool->returnColor(QString());
    QCOMPARE(m_pool->availableColors, before);
    QCOMPARE(m_pool->dict.size(), 1);

    // A second return of the same BSSID does not hand its colour out twice.
    m_pool->returnColor(bssid(0));
    m_pool->returnColor(bssid(0));
    QCOMPARE(m_pool->availableColors.size(), 14);
    QCOMPARE(m_pool->availableColors.count(ColorPool::initialColors().at(0)), 1);
}

void TestColorPool::secondRequestReplacesTheColour() {
    const QList<PlotColor> fixed = ColorPool::initialColors();
    QCOMPARE(m_pool->getColors(bssid(0)), fixed.at(0));
    QCOMPARE(m_pool->getColors(bssid(0)), fixed.at(1));
    QCOMPARE(m_pool->colorFor(bssid(0)), fixed.at(1));
    QCOMPARE(m_pool->dict.size(), 1);
    QCOMPARE(m_pool->availableColors.size(), 12);
    QVERIFY(!m_pool->availableColors.contains(fixed.at(0)));

    m_pool->returnColor(bssid(0));
    QCOMPARE(m_pool->availableColors.last(), fixed.at(1));
    QVERIFY(!m_pool->availableColors.contains(fixed.at(0)));
}

QTEST_GUILESS_MAIN(TestColorPool)
#include "tst_colorpool.moc"
