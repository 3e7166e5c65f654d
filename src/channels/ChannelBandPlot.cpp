#include "ChannelBandPlot.h"

#include "LabelPlacement.h"
#include "scan/WifiCodes.h"
#include "shell/Theme.h"

#include <QToolTip>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace {

const QColor darkGray = Theme::as<QColor>(Theme::graphText);
const QColor lightGray = Theme::as<QColor>(Theme::graphLines);
const QColor choiceGreen = Theme::as<QColor>(Theme::signalNormal);
const QColor widerBlue = Theme::as<QColor>(Theme::toolbarBlue);
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
    m_plot->setMinimumHeight(minimumPlotHeight(0));
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
    m_plot->yAxis->setLabel(QStringLiteral("Signal (dBm)"));
    // Rows and labels fit once the plot knows its size, before it draws.
    connect(m_plot, &QCustomPlot::afterLayout, this, [this] {
        // The axes worked out their ticks before this: a change shows from
        // the next replot on, queued at once.
        if (fitRows() | fitTicks())
            m_plot->replot(QCustomPlot::rpQueuedReplot);
        fitLabels();
    });

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
    m_choiceItems.clear();

    m_tickWidthPx = -1;
    m_plot->xAxis->setRange(scene.xMin, scene.xMax);
    m_plot->xAxis2->setRange(scene.xMin, scene.xMax);
    m_plot->xAxis->setLabel(QStringLiteral("%1 channel  -  %2 BSSIDs on %3 radios")
                                .arg(scene.title)
                                .arg(scene.shapes.size())
                                .arg(scene.radioCount));

    m_plot->setMinimumHeight(minimumPlotHeight(scene.best.size()));
    drawChoices();
    m_labels.clear();
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
        m_labels.append(label);
    }
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

// One row per rated width under the floor, each named on the signal axis:
// the best 20 MHz channels numbered, the first the boldest; for a wider
// width a bar over the 20 MHz channels of its best choice, with its name.
void ChannelBandPlot::drawChoices() {
    for (QCPAbstractItem *item : std::as_const(m_choiceItems))
        m_plot->removeItem(item);
    m_choiceItems.clear();
    auto yTicks = QSharedPointer<QCPAxisTickerText>::create();
    // The floor's own number would crowd the first row's name: its grid
    // line stays, unnamed.
    for (int dBm = floorDbm; dBm <= topDbm; dBm += m_signalStepDb)
        yTicks->addTick(dBm, dBm == floorDbm ? QString() : QString::number(dBm));
    double rowTop = floorDbm;
    const double gap = m_rowDb / choiceRowPx; // a pixel between rows
    for (const WidthChoices &width : m_scene.best) {
        const double top = rowTop - gap, bottom = rowTop - m_rowDb + gap;
        const double middle = (top + bottom) / 2;
        yTicks->addTick(middle, QStringLiteral("%1 MHz").arg(width.widthMhz));
        rowTop -= m_rowDb;
        for (qsizetype rank = 0; rank < width.best.size(); ++rank) {
            const ChannelOption &o = width.best[rank];
            const bool twenty = width.widthMhz == 20;
            if (!twenty && rank > 0)
                break;
            const double centre = channelPosition(o.band, (o.lowMhz + o.highMhz) / 2);
            // A 20 MHz mark sits under the channel's number: on 2.4 GHz,
            // where neighbouring channels overlap, one number wide; elsewhere
            // nearly the channel's own 20 MHz (four numbers). A wider bar
            // spans its outer 20 MHz channels' numbers.
            const double half =
                twenty
                    ? (o.band == Band::Ghz2_4 ? 0.45 : 1.8)
                    : (channelPosition(o.band, o.highMhz) - channelPosition(o.band, o.lowMhz)) / 2 -
                          0.2;
            auto *mark = new QCPItemRect(m_plot);
            mark->topLeft->setCoords(centre - half, top);
            mark->bottomRight->setCoords(centre + half, bottom);
            auto *text = new QCPItemText(m_plot);
            m_choiceItems << mark << text;
            text->position->setCoords(centre, middle);
            text->setFont(QFont(font().family(), 7, QFont::Bold));
            if (twenty) {
                QColor fill = choiceGreen;
                fill.setAlpha(255 - 60 * int(rank));
                mark->setBrush(fill);
                mark->setPen(Qt::NoPen);
                text->setText(QString::number(rank + 1));
                text->setColor(Qt::white);
            } else {
                mark->setBrush(Theme::as<QColor>(Theme::chosenTint));
                mark->setPen(QPen(widerBlue, 1));
                // Radar detection is told in the line under the plot: the
                // bar keeps to the channels, which fit in it.
                ChannelOption named = o;
                named.radar = false;
                text->setText(choiceText(named));
                text->setColor(widerBlue);
            }
        }
    }
    m_plot->yAxis->setTicker(yTicks);
    m_plot->yAxis->setRange(rowTop, topDbm);
    m_plot->yAxis2->setRange(rowTop, topDbm);
}

// Room for the axes' labels, 55 px of signal and the rows of choices.
int ChannelBandPlot::minimumPlotHeight(qsizetype rows) {
    return 100 + int(rows) * choiceRowPx;
}

double ChannelBandPlot::rowDbFor(int plotHeightPx, qsizetype rows) {
    const double signalSpanDb = topDbm - floorDbm;
    // Below ~3 rows' worth of signal area the rows take what is left.
    const double signalPx =
        std::max<double>(plotHeightPx - double(rows) * choiceRowPx, 3.0 * choiceRowPx);
    return choiceRowPx * signalSpanDb / signalPx;
}

// A short plot keeps its rows readable: each row its pixels, the signal axis
// numbered every 40 dB instead of 20 when 20 dB is too few pixels apart.
bool ChannelBandPlot::fitRows() {
    const int heightPx = m_plot->axisRect()->height();
    const double rowDb = rowDbFor(heightPx, m_scene.best.size());
    const double signalPx =
        heightPx * (topDbm - floorDbm) / (topDbm - floorDbm + rowDb * double(m_scene.best.size()));
    const int stepDb = signalPx / (topDbm - floorDbm) * 20 < 14 ? 40 : 20;
    if (std::abs(rowDb - m_rowDb) < 0.01 * m_rowDb && stepDb == m_signalStepDb)
        return false;
    m_rowDb = rowDb;
    m_signalStepDb = stepDb;
    drawChoices();
    return true;
}

// Channel numbers that would run into each other are thinned: each is named
// only if it stands clear of the last one named.
bool ChannelBandPlot::fitTicks() {
    const int widthPx = m_plot->axisRect()->width();
    if (widthPx == m_tickWidthPx)
        return false;
    m_tickWidthPx = widthPx;
    const QFontMetrics metrics(m_plot->xAxis->tickLabelFont());
    const int gapPx = metrics.horizontalAdvance(QLatin1Char('0')) / 2;
    auto xTicks = QSharedPointer<QCPAxisTickerText>::create();
    double lastRightPx = -1e9;
    for (const int channel : std::as_const(m_scene.tickChannels)) {
        const QString text = QString::number(channel);
        const double halfPx = metrics.horizontalAdvance(text) / 2.0;
        const double px = m_plot->xAxis->coordToPixel(channel);
        if (px - halfPx < lastRightPx + gapPx)
            continue;
        xTicks->addTick(channel, text);
        lastRightPx = px + halfPx;
    }
    m_plot->xAxis->setTicker(xTicks);
    return true;
}

// Strongest first, each label asks for the place just above its shape's top.
void ChannelBandPlot::fitLabels() {
    const QRectF bounds = m_plot->axisRect()->rect();
    QList<QRectF> wanted;
    for (qsizetype i = m_labels.size() - 1; i >= 0; --i) {
        const QCPItemText *label = m_labels[i];
        const BssShape &s = m_scene.shapes[i];
        const QFontMetricsF metrics(label->font());
        const QSizeF size(metrics.horizontalAdvance(label->text()) + 4, metrics.height());
        const QPointF anchor(m_plot->xAxis->coordToPixel((s.xLow + s.xHigh) / 2),
                             m_plot->yAxis->coordToPixel(s.signalDbm));
        wanted.append(QRectF(anchor - QPointF(size.width() / 2, size.height()), size));
    }
    const QList<std::optional<QRectF>> placed = ::placeLabels(wanted, bounds);
    for (qsizetype j = 0; j < placed.size(); ++j) {
        QCPItemText *label = m_labels[m_labels.size() - 1 - j];
        label->setVisible(placed[j].has_value());
        if (placed[j])
            label->position->setPixelPosition(
                QPointF(placed[j]->center().x(), placed[j]->bottom()));
    }
}

QStringList ChannelBandPlot::shownLabels() const {
    QStringList shown;
    for (qsizetype i = m_labels.size() - 1; i >= 0; --i)
        if (m_labels[i]->visible())
            shown << m_labels[i]->text();
    return shown;
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
