// The channel view as the window uses it: a tick in, bands shown, the
// adapter's channel list honoured, hover and click naming the network.

#include "Records.h"
#include "channels/ChannelBandPlot.h"
#include "channels/ChannelsPane.h"
#include "graph/PlottingState.h"
#include "support/FakeInterface.h"

#include <QSignalSpy>
#include <QTest>
#include <qcustomplot.h>

namespace {

// An adapter whose kernel lists 2.4 GHz channels 1-11 with 6 disabled.
class ListingInterface : public FakeInterface {
public:
    void readAdapterChannels(QObject *context, ChannelsAnswer done) override {
        QList<AdapterChannel> list;
        for (int ch = 1; ch <= 11; ++ch)
            list.append({2407 + 5 * ch, ch == 6, false});
        QMetaObject::invokeMethod(
            context, [done, list] { done(list); }, Qt::QueuedConnection);
    }
};

} // namespace

class TestChannelsPane : public QObject {
    Q_OBJECT

private slots:
    void tickHoverClickChannelListAndLabels() {
        PlottingState plotting;
        ListingInterface iface;
        ChannelsPane pane(plotting, [&] { return &iface; });
        pane.resize(900, 400);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.showTick({record("00:00:00:00:00:01 2/1/20 -50", "Alpha"),
                       record("00:00:00:00:00:02 2/11/20 -60", "Beta")});
        ChannelBandPlot *plot = pane.bandPlot(Band::Ghz2_4);
        QVERIFY(plot->isVisible() && !pane.bandPlot(Band::Ghz5)->isVisible());
        // Before the adapter answers, the plan: channel 6 is the best choice.
        QVERIFY(pane.choicesText(Band::Ghz2_4).contains("<b>20 MHz:</b> 6, "));
        // Then the adapter's list, without the disabled channel 6: the free
        // 5 and 7, then 8, which overlaps the weaker Beta least.
        QTRY_VERIFY(pane.choicesText(Band::Ghz2_4).contains("<b>20 MHz:</b> 5, 7, 8"));

        const QPoint onAlpha = plot->pixelOf(1, -70);
        QVERIFY(plot->hoverText(onAlpha).startsWith("Alpha (00:00:00:00:00:01) channel 1"));
        QSignalSpy clicked(&pane, &ChannelsPane::networkClicked);
        QTest::mouseClick(plot->plotArea(), Qt::LeftButton, {}, plot->pixelOf(11, -65));
        QTest::mouseClick(plot->plotArea(), Qt::LeftButton, {}, plot->pixelOf(6, -65));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.first().first().toString(), "00:00:00:00:00:02");

        // Ten networks on one channel a decibel apart: their labels would lie
        // on one another, so the strongest keep theirs, stacked, and the
        // weakest lose theirs but still answer the pointer. (A weaker label
        // may find room lower down where a stronger one found none.)
        NetworkList list;
        QStringList strongestFirst;
        for (int i = 0; i < 10; ++i) {
            strongestFirst << QString("n%1").arg(i);
            list.append(record(QString("00:00:00:00:01:%1 2/6/20 -%2").arg(i + 10).arg(60 + i),
                               strongestFirst.last()));
        }
        pane.showTick(list);
        QTRY_VERIFY(plot->shownLabels().size() < 10); // once placed, as the plot is drawn
        QCOMPARE(plot->shownLabels().mid(0, 5), strongestFirst.mid(0, 5));
        QVERIFY(plot->hoverText(plot->pixelOf(6, -69.5)).startsWith("n9 "));
    }

    // A short, narrow 5 GHz plot: the width rows keep their pixels and the
    // channel numbers are thinned until none runs into the next.
    void shortNarrowPlotStaysReadable() {
        PlottingState plotting;
        ChannelsPane pane(plotting, {});
        pane.resize(520, 200);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.showTick(
            {record("00:00:00:00:00:01 5/36/80 -50"), record("00:00:00:00:00:02 5/100/160 -70")});
        auto *plot = qobject_cast<QCustomPlot *>(pane.bandPlot(Band::Ghz5)->plotArea());
        const auto rowSpacingPx = [plot] {
            QList<double> rowsPx;
            const QVector<QString> labels = plot->yAxis->tickVectorLabels();
            for (qsizetype i = 0; i < labels.size(); ++i)
                if (labels[i].endsWith("MHz"))
                    rowsPx << plot->yAxis->coordToPixel(plot->yAxis->tickVector()[i]);
            double least = rowsPx.size() == 4 ? 1e9 : 0;
            for (qsizetype i = 1; i < rowsPx.size(); ++i)
                least = std::min(least, std::abs(rowsPx[i] - rowsPx[i - 1]));
            return least;
        };
        QTRY_VERIFY(rowSpacingPx() >= ChannelBandPlot::choiceRowPx - 1);
        QTRY_VERIFY(plot->xAxis->tickVector().size() >= 4);
        const QFontMetrics metrics(plot->xAxis->tickLabelFont());
        const QVector<double> ticks = plot->xAxis->tickVector();
        const QVector<QString> xLabels = plot->xAxis->tickVectorLabels();
        for (qsizetype i = 1; i < ticks.size(); ++i)
            QVERIFY2(plot->xAxis->coordToPixel(ticks[i]) - plot->xAxis->coordToPixel(ticks[i - 1]) >
                         (metrics.horizontalAdvance(xLabels[i]) +
                          metrics.horizontalAdvance(xLabels[i - 1])) /
                             2.0,
                     qPrintable(xLabels[i]));
    }
};

QTEST_MAIN(TestChannelsPane)
#include "tst_channelspane.moc"
