#include "SignalLegend.h"

#include "LegendLayout.h"
#include "shell/Theme.h"

#include <QPainter>

namespace {

const QColor darkGray = Theme::as<QColor>(Theme::graphText);
constexpr int swatchSize = 7;
constexpr int swatchBottomGap = 5; // the swatch stands 5 above the label's foot
constexpr int textIndent = 4;      // the text's two leading blanks then clear the swatch

} // namespace

SignalLegend::SignalLegend(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("networkLabels"));
    setFont(QFont(QStringLiteral("Arial"), 10));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    rearrangeNetworkLabels({});
}

void SignalLegend::rearrangeNetworkLabels(const QList<Entry> &entries) {
    m_entries = entries;
    setFixedHeight(LegendLayout::bottomPadding(int(entries.size())));
    update();
}

void SignalLegend::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(),
                     Theme::as<QColor>(Theme::paneWhite)); // one white sheet with the plot above
    const QList<QRect> rects = LegendLayout::labelRects(int(m_entries.size()), width());
    const QFontMetrics metrics = fontMetrics();
    for (int i = 0; i < rects.size(); ++i) {
        const QRect &slot = rects.at(i);
        const Entry &entry = m_entries.at(i);
        painter.fillRect(QRect(slot.left(), slot.bottom() + 1 - swatchBottomGap - swatchSize,
                               swatchSize, swatchSize),
                         entry.colour);
        const QRect textRect = slot.adjusted(textIndent, 0, 0, 0);
        painter.setPen(darkGray);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(entry.text, Qt::ElideRight, textRect.width()));
    }
}
