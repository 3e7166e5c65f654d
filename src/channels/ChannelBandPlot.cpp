#include "ChannelBandPlot.h"

#include "scan/WifiCodes.h"
#include "shell/Theme.h"

#include <QToolTip>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace {

const QColor darkGray = Theme::as<QColor>(Theme::graphText);
const QColor lightGray = Theme::as<QColor>(Theme::graphLines);
const QColor choiceGreen = Theme::as<QColor>(Theme::signalNormal);
constexpr int fillAlpha = 45; // shapes overlap: each stays visible through the others

QColor qcolor(const PlotColor &c, int alpha = 255) {
    QColor q = QColor::fromRgbF(float(c.red), float(c.green), float(c.blue));
    q.setAlpha(alpha);
    return q;
}

// A trapezoid from the floor to the signal: its sides slope over a tenth of
// its width (at most a channel number), as a transmit mask falls off.
void addStretch(QCustomPlot *plot, double low, double high, int signal, const QColor &colour) {
    if (high <= low)
        return;
    const double slope = std::min(1.0, (high - low) / 10);
    auto *curve = new QCPCurve(plot->xAxis, plot->yAxis);
    curve->setData({0, 1, 2, 3}, {low, low + slope, high - slope, high},
                   {double(ChannelBandPlot::floorDbm), double(signal), double(signal),
                    double(ChannelBandPlot::floorDbm)});
    curve->setPen(QPen(colour, 1.5));
    curve->setBrush(QColor(colour.red(), colour.green(), colour.blue(), fillAlpha));
    curve->setSelectable(QCP::stNone);
}

} // namespace

ChannelBandPlot::ChannelBandPlot(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("channelBandPlot"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    m_plot = new QCustomPlot(this);
    m_plot->setMinimumHeight(120);
    column->addWidget(m_plot);
    configurePlot();
}

ChannelBandPlot::~ChannelBandPlot() = default;

QWidget *ChannelBandPlot::plotArea() const {
    return m_plot;
}

void ChannelBandPlot::configurePlot() {
    m_plot->setBackground(Theme::as<QColor>(Theme::paneWhite));
    m_plot->setMouseTracking(true);
    m_plot->axisRect()->setupFullAxesBox(false);
    for (QCPAxis *frame : {m_plot->xAxis2, m_plot->yAxis2}) {
        frame->setBasePen(QPen(lightGray, 0.5));
        frame->setTicks(false);
        frame->setTickLabels(false);
        frame->grid()->setVisible(false);
    }
    for (QCPAxis *axis : {m_plot->xAxis, m_plot->yAxis}) {
        axis->setTickLabelColor(darkGray);
        axis->setLabelColor(darkGray);
        axis->setBasePen(QPen(darkGray, 1));
        axis->setTickPen(QPen(darkGray, 1));
        axis->setSubTicks(false);
        axis->grid()->setPen(QPen(lightGray, 0.3));
        axis->grid()->setZeroLinePen(Qt::NoPen);
    }
    auto yTicks = QSharedPointer<QCPAxisTickerFixed>::create();
    yTicks->setTickStep(20);
    yTicks->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    m_plot->yAxis->setTicker(yTicks);
    m_plot->yAxis->setRange(floorDbm - choiceStripDb, topDbm);
    m_plot->yAxis->setLabel(QStringLiteral("Signal (dBm)"));
    m_plot->yAxis2->setRange(floorDbm - choiceStripDb, topDbm);

    connect(m_plot, &QCustomPlot::mouseMove, this, [this](QMouseEvent *event) {
        const QString text = hoverText(event->position().toPoint());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPosition().toPoint(), text, m_plot);
    });
    connect(m_plot, &QCustomPlot::mousePress, this, [this](QMouseEvent *event) {
        const QString bssid = bssidAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && !bssid.isNull())
            Q_EMIT networkClicked(bssid);
    });
}

void ChannelBandPlot::showScene(const BandScene &scene) {
    m_scene = scene;
    m_plot->clearPlottables();
    m_plot->clearItems();

    auto xTicks = QSharedPointer<QCPAxisTickerText>::create();
    for (const int channel : scene.tickChannels)
        xTicks->addTick(channel, QString::number(channel));
    m_plot->xAxis->setTicker(xTicks);
    m_plot->xAxis->setRange(scene.xMin, scene.xMax);
    m_plot->xAxis2->setRange(scene.xMin, scene.xMax);
    m_plot->xAxis->setLabel(QStringLiteral("%1 channel  -  %2 BSSIDs on %3 radios")
                                .arg(scene.title)
                                .arg(scene.shapes.size())
                                .arg(scene.radioCount));

    // The best 20 MHz channels in a strip under the floor, numbered, the
    // first the boldest.
    const auto twenty = std::find_if(scene.best.cbegin(), scene.best.cend(),
                                     [](const WidthChoices &c) { return c.widthMhz == 20; });
    if (twenty != scene.best.cend()) {
        for (qsizetype rank = 0; rank < twenty->best.size(); ++rank) {
            const ChannelOption &o = twenty->best[rank];
            auto *mark = new QCPItemRect(m_plot);
            // Under the channel's number: on 2.4 GHz, where neighbouring
            // channels overlap, one number wide; elsewhere nearly the
            // channel's own 20 MHz (four numbers).
            const double centre = channelPosition(o.band, (o.lowMhz + o.highMhz) / 2);
            const double half = o.band == Band::Ghz2_4 ? 0.45 : 1.8;
            mark->topLeft->setCoords(centre - half, floorDbm - 1);
            mark->bottomRight->setCoords(centre + half, floorDbm - choiceStripDb + 1);
            QColor fill = choiceGreen;
            fill.setAlpha(255 - 60 * int(rank));
            mark->setBrush(fill);
            mark->setPen(Qt::NoPen);
            auto *number = new QCPItemText(m_plot);
            number->position->setCoords(centre, floorDbm - choiceStripDb / 2.0);
            number->setText(QString::number(rank + 1));
            number->setColor(Qt::white);
            number->setFont(QFont(font().family(), 8, QFont::Bold));
        }
    }

    for (const BssShape &s : scene.shapes) {
        const QColor colour = qcolor(s.colour);
        addStretch(m_plot, s.xLow, s.xHigh, s.signalDbm, colour);
        addStretch(m_plot, s.x2Low, s.x2High, s.signalDbm, colour);
        auto *label = new QCPItemText(m_plot);
        label->position->setCoords((s.xLow + s.xHigh) / 2, s.signalDbm);
        label->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        label->setText(s.label);
        label->setColor(colour.darker(120));
        label->setFont(QFont(font().family(), 8));
        label->setClipToAxisRect(true);
    }
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

QPoint ChannelBandPlot::pixelOf(double channel, double dBm) const {
    return QPointF(m_plot->xAxis->coordToPixel(channel), m_plot->yAxis->coordToPixel(dBm))
        .toPoint();
}

qsizetype ChannelBandPlot::shapeIndexAt(const QPoint &pos) const {
    if (!m_plot->axisRect()->rect().contains(pos))
        return -1;
    return shapeAt(m_scene, m_plot->xAxis->pixelToCoord(pos.x()),
                   m_plot->yAxis->pixelToCoord(pos.y()));
}

QString ChannelBandPlot::hoverText(const QPoint &pos) const {
    const qsizetype i = shapeIndexAt(pos);
    return i < 0 ? QString() : m_scene.shapes[i].hoverText;
}

QString ChannelBandPlot::bssidAt(const QPoint &pos) const {
    const qsizetype i = shapeIndexAt(pos);
    return i < 0 ? QString() : m_scene.shapes[i].bssid;
}
