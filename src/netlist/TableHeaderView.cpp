#include "TableHeaderView.h"

#include "shell/Theme.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor headerFill = Theme::as<QColor>(Theme::toolbarBlue);
const QColor titleColour = Theme::as<QColor>(Theme::white);
constexpr int titlePadding = 4;
constexpr int arrowSize = 7;

} // namespace

TableHeaderView::TableHeaderView(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setSectionsMovable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QHeaderView::sectionMoved, this, &TableHeaderView::keepFirstColumn);
}

// Movability is decided before the press reaches QHeaderView, which starts a
// drag only when sections are movable at that moment.
void TableHeaderView::mousePressEvent(QMouseEvent *event) {
    const int pressed = logicalIndexAt(event->position().toPoint());
    if (pressed >= 0 && event->button() == Qt::LeftButton)
        setSectionsMovable(pressed != m_freezingSection);
    QHeaderView::mousePressEvent(event);
}

// A column dropped into the first place, or the first column dragged away,
// goes back; the correcting move must not be corrected again.
void TableHeaderView::keepFirstColumn(int, int oldVisualIndex, int newVisualIndex) {
    if (m_correcting || (oldVisualIndex != 0 && newVisualIndex != 0))
        return;
    m_correcting = true;
    if (newVisualIndex == 0)
        moveSection(0, oldVisualIndex);
    else
        moveSection(newVisualIndex, 0);
    m_correcting = false;
}

// The 1-pixel strip along the bottom is left unpainted: it reads as the line
// between the header and the first row.
void TableHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    const QRect area = rect.adjusted(0, 0, 0, -1);
    painter->save();
    painter->fillRect(area, headerFill);
    painter->setPen(headerFill.lighter(130));
    painter->drawLine(area.topRight(), area.bottomRight());

    QRect titleArea = area.adjusted(titlePadding, 1, -titlePadding, -1);
    if (isSortIndicatorShown() && sortIndicatorSection() == logicalIndex) {
        drawSortArrow(painter, titleArea);
        titleArea.setRight(titleArea.right() - arrowSize - titlePadding);
    }
    const QString title =
        model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    painter->setPen(titleColour);
    painter->drawText(titleArea, Qt::AlignLeft | Qt::AlignVCenter,
                      painter->fontMetrics().elidedText(title, Qt::ElideRight, titleArea.width()));
    painter->restore();
}

void TableHeaderView::drawSortArrow(QPainter *painter, const QRect &area) const {
    const qreal right = area.right();
    const qreal mid = area.center().y() + 0.5;
    const qreal half = arrowSize / 2.0;
    QPainterPath arrow;
    if (sortIndicatorOrder() == Qt::AscendingOrder) {
        arrow.moveTo(right - arrowSize, mid + half / 2);
        arrow.lineTo(right, mid + half / 2);
        arrow.lineTo(right - half, mid - half / 2);
    } else {
        arrow.moveTo(right - arrowSize, mid - half / 2);
        arrow.lineTo(right, mid - half / 2);
        arrow.lineTo(right - half, mid + half / 2);
    }
    arrow.closeSubpath();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(arrow, titleColour);
}
