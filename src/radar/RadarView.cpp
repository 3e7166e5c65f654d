#include "RadarView.h"

#include "RadarAnimation.h"
#include "RadarBackdrop.h"
#include "app/SharedInstanceClass.h"
#include "shell/Theme.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

QFont arial(int pixels) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    return font;
}

QColor sweepGrey() {
    QColor grey = Theme::as<QColor>(Theme::radarGrey);
    grey.setAlphaF(0.5f);
    return grey;
}

} // namespace

RadarView::RadarView(RadarKind kind, SharedInstanceClass &shared, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_shared(shared) {
    setObjectName(kind == RadarKind::Expanded ? QStringLiteral("expandedRadar")
                                              : QStringLiteral("radar"));
    // Repaints cover the radar only; nothing behind it needs drawing.
    setAttribute(Qt::WA_OpaquePaintEvent, kind == RadarKind::Expanded);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSizeF RadarView::placementSize() const {
    const qreal side = RadarBackdrop::sideOf(m_kind);
    return {side, side};
}

QSize RadarView::sizeHint() const {
    return m_kind == RadarKind::Expanded ? QSize(520, 520) : QSize(220, 220);
}

QSize RadarView::minimumSizeHint() const {
    return m_kind == RadarKind::Expanded ? QSize(300, 300) : QSize(160, 160);
}

void RadarView::setPercent(bool percent) {
    if (percent == m_percent && !m_backdrop.isNull())
        return;
    m_percent = percent;
    m_backdrop = {};
    update();
}

void RadarView::setPlot(const QList<RadarMark> &marks) {
    m_marks = marks;
    m_dots = {};
    update();
}

void RadarView::setDrawnDots(const QList<DrawnRadarPlacement::Dot> &dots) {
    m_drawnDots = dots;
    m_dots = {};
    update();
}

void RadarView::setAnimation(RadarAnimation *animation) {
    if (m_animation)
        disconnect(m_animation, nullptr, this, nullptr);
    m_animation = animation;
    if (!animation)
        return;
    connect(animation, &RadarAnimation::frameChanged, this, &RadarView::updateSweep);
    animation->setShown(isVisible());
}

// The normal radar grows and shrinks with its pane; the expanded one keeps
// its 500 points unless the window is smaller.
qreal RadarView::scale() const {
    const qreal fit = std::min(width(), height()) / RadarBackdrop::sideOf(m_kind);
    return m_kind == RadarKind::Expanded ? std::min(1.0, fit) : fit;
}

QRectF RadarView::radarRect() const {
    const qreal side = RadarBackdrop::sideOf(m_kind) * scale();
    return {(width() - side) / 2, (height() - side) / 2, side, side};
}

void RadarView::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    m_backdrop = {};
    m_dots = {};
}

// A turning wedge repaints the part of the radar it leaves and enters only;
// a ring or a stop repaints the radar.
void RadarView::updateSweep() {
    if (!m_animation || !m_animation->showsWedge() || !m_animation->running()) {
        m_lastWedge = {};
        update(radarRect().toAlignedRect());
        return;
    }
    const QRect now = wedgeRect();
    update(m_lastWedge.isNull() ? radarRect().toAlignedRect() : now.united(m_lastWedge));
    m_lastWedge = now;
}

QRect RadarView::wedgeRect() const {
    const qreal side = RadarBackdrop::sideOf(m_kind);
    const qreal r = side / 2 - (m_kind == RadarKind::Expanded ? 20 : 10);
    QPainterPath pie(QPointF(side / 2, side / 2));
    pie.arcTo(QRectF(side / 2 - r, side / 2 - r, 2 * r, 2 * r), m_animation->wedgeAngle(),
              SweepState::wedgeDegrees);
    pie.closeSubpath();
    const QRectF square = radarRect();
    const QRectF box = pie.boundingRect();
    return QRectF(square.topLeft() + box.topLeft() * scale(), box.size() * scale())
        .toAlignedRect()
        .adjusted(-2, -2, 2, 2);
}

void RadarView::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (m_animation)
        m_animation->setShown(true);
}

void RadarView::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    if (m_animation)
        m_animation->setShown(false);
}

QPixmap RadarView::layer() const {
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap((radarRect().size() * ratio).toSize());
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The sweep turns between two still layers: the backdrop below, the dots
// and names above; each is drawn again only when it changes.
void RadarView::refreshLayers() {
    if (m_backdrop.isNull()) {
        m_backdrop = layer();
        QPainter p(&m_backdrop);
        p.scale(scale(), scale());
        RadarBackdrop::paint(p, m_kind, m_percent);
    }
    if (m_dots.isNull()) {
        m_dots = layer();
        QPainter p(&m_dots);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(scale(), scale());
        paintDrawnDots(p);
        paintMarks(p);
    }
}

void RadarView::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    if (m_kind == RadarKind::Expanded) {
        // The expanded radar stands on the white, rounded pane stack.
        p.fillRect(event->rect(), palette().color(QPalette::Window));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(rect()), 10, 10);
    } else if (!m_shared.isExpandedRadar()) {
        // The drawn radar's radius is what the sonar ring grows to; while the
        // expanded radar is shown, 220 stays (it also marks that layout).
        m_shared.maxValue = static_cast<qint64>(RadarBackdrop::drawnRadarRect().width() * 0.5);
    }
    refreshLayers();
    const QRectF square = radarRect();
    p.drawPixmap(square.topLeft(), m_backdrop);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(square.topLeft());
    p.scale(scale(), scale());
    paintSweep(p);
    p.restore();
    p.drawPixmap(square.topLeft(), m_dots);
}

void RadarView::paintSweep(QPainter &p) const {
    if (!m_animation)
        return;
    const qreal side = RadarBackdrop::sideOf(m_kind);
    const QPointF c(side / 2, side / 2);
    if (m_animation->showsWedge()) {
        // The wedge's radius: the view it turns in ends 10 points (expanded:
        // 20) inside the radar's edge.
        const qreal r = side / 2 - (m_kind == RadarKind::Expanded ? 20 : 10);
        p.setPen(Qt::NoPen);
        p.setBrush(sweepGrey());
        p.drawPie(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r),
                  qRound(m_animation->wedgeAngle() * 16), qRound(SweepState::wedgeDegrees * 16));
    }
    if (const qint64 radius = m_animation->ringRadius(); radius >= 0) {
        p.save();
        // The ring is drawn in a view 10 points inside the radar.
        p.setClipRect(QRectF(10, 10, side - 20, side - 20));
        p.setPen(QPen(Theme::as<QColor>(Theme::sonarRing), 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, qreal(radius), qreal(radius));
        p.restore();
    }
}

void RadarView::paintDrawnDots(QPainter &p) const {
    if (m_drawnDots.isEmpty())
        return;
    p.save();
    p.translate(RadarBackdrop::drawnRadarRect().topLeft());
    p.setFont(arial(10));
    for (const DrawnRadarPlacement::Dot &dot : m_drawnDots) {
        const QColor color = RadarBackdrop::colorOf(dot.color);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(dot.circle);
        if (dot.text.isEmpty())
            continue;
        p.setPen(color);
        p.drawText(dot.label, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, dot.text);
    }
    p.restore();
}

void RadarView::paintMarks(QPainter &p) const {
    for (const RadarMark &mark : m_marks) {
        const QColor color = RadarBackdrop::colorOf(mark.color);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(mark.dot, mark.cornerRadius, mark.cornerRadius);
        if (!mark.labelled || mark.text.isEmpty())
            continue;
        p.setPen(color);
        p.setFont(arial(mark.fontSize));
        p.drawText(mark.label,
                   (mark.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop |
                       Qt::TextSingleLine,
                   mark.text);
    }
}
