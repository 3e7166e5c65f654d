#include "SignalGraph.h"

#include "GraphDataSource.h"
#include "SignalLegend.h"
#include "shell/Theme.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPdfWriter>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>
#include <qcustomplot.h>

namespace {

const QColor darkGray = Theme::as<QColor>(Theme::graphText);
const QColor lightGray = Theme::as<QColor>(Theme::graphLines);
constexpr double majorGridWidth = 0.5;
constexpr double minorGridWidth = 0.1;
constexpr int markerSize = 5;
constexpr int hoverReachPx = 8; // how far from a line the pointer may be

// Labels every `step` with a fixed number of minor divisions between them,
// whatever the axis length.
class FixedTicker : public QCPAxisTickerFixed {
public:
    FixedTicker(double step, int subTicks)
        : m_subTicks(subTicks) {
        setTickStep(step);
        setScaleStrategy(ssNone);
    }

protected:
    int getSubTickCount(double) override { return m_subTicks; }

private:
    int m_subTicks;
};

// A filled disc without outline, drawn once per colour: stamping a pixmap is
// several times faster than drawing thousands of ellipses at every replot.
QPixmap dotPixmap(const QColor &colour) {
    QPixmap dot(markerSize, markerSize);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(0, 0, markerSize, markerSize));
    return dot;
}

void styleAxis(QCPAxis *axis, double step, int subTicks) {
    axis->setTicker(QSharedPointer<FixedTicker>::create(step, subTicks));
    axis->setNumberFormat(QStringLiteral("f"));
    axis->setNumberPrecision(0); // whole numbers
    axis->setSubTickLength(0, 0);
    axis->setTickLabelFont(QFont(QFont().family(), 10));
    axis->setTickLabelColor(darkGray);
    axis->setLabelFont(QFont(QStringLiteral("Helvetica"), 11));
    axis->setLabelColor(darkGray);
    axis->setBasePen(QPen(darkGray, 1));
    axis->setTickPen(QPen(darkGray, 1));
    axis->grid()->setSubGridVisible(true);
    axis->grid()->setAntialiased(true);
    axis->grid()->setAntialiasedSubGrid(true);
    axis->grid()->setZeroLinePen(Qt::NoPen);
}

} // namespace

SignalGraph::SignalGraph(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("signalHistoryGraph"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_plot = new QCustomPlot(this);
    m_plot->setObjectName(QStringLiteral("hostView"));
    m_legend = new SignalLegend(this);
    // Room for the lines between the axis labels, however short the pane.
    m_plot->setMinimumHeight(90);
    column->addWidget(m_plot, 1);
    column->addWidget(m_legend);
    configureGraph();
    configureAxes(false, 1);
}

SignalGraph::~SignalGraph() = default;

QWidget *SignalGraph::plotArea() const {
    return m_plot;
}

// A white plot with a thin light-grey frame. The left and bottom margins grow
// with the labels; the top one holds the upper half of the highest Y label
// (QCustomPlot leaves out a label that the widget's edge would cut).
void SignalGraph::configureGraph() {
    m_plot->setBackground(Theme::as<QColor>(Theme::paneWhite));
    m_plot->setMouseTracking(true);
    QCPAxisRect *rect = m_plot->axisRect();
    rect->setupFullAxesBox(false);
    rect->setAutoMargins(QCP::msLeft | QCP::msBottom);
    rect->setMinimumMargins(QMargins(60, 14, 20, 0));
    rect->setMargins(QMargins(60, 14, 20, 0));
    for (QCPAxis *frame : {m_plot->xAxis2, m_plot->yAxis2}) {
        frame->setBasePen(QPen(lightGray, majorGridWidth));
        frame->setTicks(false);
        frame->setTickLabels(false);
        frame->grid()->setVisible(false);
    }
    // A short plot labels every other step, so the Y labels never overlap.
    // The ticks of this replot are already laid out: a new step shows from
    // the next one, queued at once.
    connect(m_plot, &QCustomPlot::afterLayout, this, [this] {
        const double step = m_plot->axisRect()->height() < 100 ? 40.0 : 20.0;
        const auto ticker = m_plot->yAxis->ticker().dynamicCast<QCPAxisTickerFixed>();
        if (!ticker || ticker->tickStep() == step)
            return;
        ticker->setTickStep(step);
        m_plot->replot(QCustomPlot::rpQueuedReplot);
    });
    m_plot->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_plot, &QWidget::customContextMenuRequested, this, &SignalGraph::showContextMenu);
    connect(m_plot, &QCustomPlot::mouseMove, this, [this](QMouseEvent *event) {
        showHover(event->position().toPoint(), event->globalPosition().toPoint());
    });
}

void SignalGraph::configureAxes(bool percent, int intervalSeconds) {
    m_percent = percent;
    m_interval = std::max(intervalSeconds, 1);
    const double span = double(GraphDataSource::numberOfRecordsForPlot(m_interval));

    QCPAxis *x = m_plot->xAxis;
    styleAxis(x, 10.0 * m_interval, 4);
    x->setRange(0, span);
    x->setRangeReversed(true); // age 0, the newest sample, at the right
    x->setLabel(QStringLiteral("Time (sec)"));
    // Time lines are all of the faint kind.
    x->grid()->setPen(QPen(lightGray, minorGridWidth));
    x->grid()->setSubGridPen(QPen(lightGray, minorGridWidth));

    QCPAxis *y = m_plot->yAxis;
    styleAxis(y, 20.0, 1);
    if (percent)
        y->setRange(0, 100);
    else
        y->setRange(-100, -20);
    y->setLabel(percent ? QStringLiteral("RSSI(%)") : QStringLiteral("RSSI(dBm)"));
    y->grid()->setPen(QPen(lightGray, majorGridWidth));
    y->grid()->setSubGridPen(QPen(lightGray, minorGridWidth));
    m_plot->xAxis2->setRange(x->range());
    m_plot->yAxis2->setRange(y->range());

    for (const Plot &plot : std::as_const(m_plots))
        plot.graph->setScatterSkip(m_interval - 1);
    replot();
}

SignalGraph::Plot *SignalGraph::findPlot(const QString &bssid) {
    for (Plot &plot : m_plots)
        if (plot.bssid == bssid)
            return &plot;
    return nullptr;
}

// One line of width 1 in the network's colour; the scatter skip leaves a dot
// on records 0, N, 2N, ...: the data keys are the record indexes, so the
// skip counts exactly those.
void SignalGraph::configurePlots(const QString &bssid, const QString &labelText,
                                 const QColor &colour) {
    Plot *plot = findPlot(bssid);
    if (!plot) {
        m_plots.append({bssid, labelText, colour, m_plot->addGraph(), {}});
        plot = &m_plots.last();
        plot->graph->setAdaptiveSampling(false);
    }
    plot->labelText = labelText;
    plot->colour = colour;
    plot->graph->setPen(QPen(colour, 1.0));
    plot->graph->setScatterStyle(QCPScatterStyle(dotPixmap(colour)));
    plot->graph->setScatterSkip(m_interval - 1);
    rearrangeNetworkLabels();
}

void SignalGraph::removePlot(const QString &bssid) {
    for (qsizetype i = 0; i < m_plots.size(); ++i) {
        if (m_plots.at(i).bssid != bssid)
            continue;
        m_plot->removeGraph(m_plots.at(i).graph);
        m_plots.removeAt(i);
        rearrangeNetworkLabels();
        replot();
        return;
    }
}

QStringList SignalGraph::plottedBssids() const {
    QStringList out;
    for (const Plot &plot : m_plots)
        out << plot.bssid;
    return out;
}

void SignalGraph::setPlotValues(const QString &bssid, const QList<double> &values) {
    Plot *plot = findPlot(bssid);
    if (!plot)
        return;
    QList<QCPGraphData> points;
    points.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        points.append(QCPGraphData(double(i), values.at(i)));
    plot->graph->data()->set(points, true);
    plot->values = values;
}

void SignalGraph::replot() {
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void SignalGraph::replotNow() {
    m_plot->replot(QCustomPlot::rpImmediateRefresh);
}

void SignalGraph::rearrangeNetworkLabels() {
    QList<SignalLegend::Entry> entries;
    for (const Plot &plot : std::as_const(m_plots))
        entries.append({plot.labelText, plot.colour});
    m_legend->rearrangeNetworkLabels(entries);
}

QPointF SignalGraph::pixelOf(double ageSeconds, double value) const {
    return {m_plot->xAxis->coordToPixel(ageSeconds), m_plot->yAxis->coordToPixel(value)};
}

QString SignalGraph::hoverText(const QPoint &pos) const {
    // The newest record lies on the right edge: the pointer may be just past it.
    const QRect reach = m_plot->axisRect()->rect().adjusted(-hoverReachPx, -hoverReachPx,
                                                            hoverReachPx, hoverReachPx);
    if (!reach.contains(pos))
        return {};
    const qint64 index = qRound64(m_plot->xAxis->pixelToCoord(pos.x()));
    const Plot *nearest = nullptr;
    double nearestDistance = hoverReachPx;
    for (const Plot &plot : m_plots) {
        if (index < 0 || index >= plot.values.size() || std::isnan(plot.values.at(index)))
            continue;
        const double distance =
            std::abs(pixelOf(double(index), plot.values.at(index)).y() - pos.y());
        if (distance <= nearestDistance) {
            nearest = &plot;
            nearestDistance = distance;
        }
    }
    if (!nearest)
        return {};
    return GraphDataSource::hoverText(nearest->labelText.trimmed(), nearest->values.at(index),
                                      index, m_percent);
}

void SignalGraph::showHover(const QPoint &pos, const QPoint &globalPos) {
    const QString text = hoverText(pos);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalPos, text, m_plot);
}

void SignalGraph::showContextMenu(const QPoint &pos) {
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("Save Graph As..."), this, &SignalGraph::saveGraphAs);
    menu->popup(m_plot->mapToGlobal(pos));
}

void SignalGraph::saveGraphAs() {
    QString path;
    if (m_choosePath) {
        path = m_choosePath(this);
    } else {
        const QString png = QStringLiteral("PNG image (*.png)");
        const QString pdf = QStringLiteral("PDF document (*.pdf)");
        QString filter = png;
        path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Graph As..."),
                                            QStringLiteral("signal-history.png"),
                                            png + QStringLiteral(";;") + pdf, &filter);
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (!path.isEmpty() && suffix != QLatin1String("png") && suffix != QLatin1String("pdf"))
            path += filter == pdf ? QStringLiteral(".pdf") : QStringLiteral(".png");
    }
    if (path.isEmpty())
        return;
    QString error;
    if (!saveGraph(path, &error))
        QMessageBox::warning(this, QStringLiteral("Save Graph As..."), error);
}

// The plot is drawn as vectors (so a PDF stays sharp), the legend band below it.
bool SignalGraph::paintGraph(QPaintDevice &device) const {
    QCPPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.setRenderHint(QPainter::Antialiasing);
    m_plot->toPainter(&painter, m_plot->width(), m_plot->height());
    painter.translate(0, m_plot->height());
    m_legend->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return painter.end();
}

bool SignalGraph::saveGraph(const QString &path, QString *error) const {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QSize size(m_plot->width(), m_plot->height() + m_legend->height());
    bool ok = false;
    if (suffix == QLatin1String("pdf")) {
        QPdfWriter writer(path);
        writer.setResolution(96); // one widget pixel per device unit
        writer.setPageMargins(QMarginsF());
        writer.setPageSize(QPageSize(QSizeF(size) * 72.0 / 96.0, QPageSize::Point));
        writer.setTitle(QStringLiteral("Signal history"));
        ok = paintGraph(writer) && QFileInfo(path).size() > 0;
    } else if (suffix == QLatin1String("png")) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        ok = paintGraph(image) && image.save(path, "PNG");
    } else {
        if (error)
            *error = QStringLiteral("Choose a file name ending in .png or .pdf.");
        return false;
    }
    if (!ok && error)
        *error = QStringLiteral("The graph could not be written to %1.").arg(path);
    return ok;
}
