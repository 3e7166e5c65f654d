#include "SignalBarDelegate.h"

#include "NetworkTableModel.h"
#include "SignalScale.h"
#include "shell/Theme.h"

#include <QPainter>

namespace {

constexpr int margin = 4;
constexpr int textWidth = 30; // the bar starts this far right of the value
constexpr int barWidth = 100;
constexpr int barHeight = 5;

} // namespace

QColor SignalBarDelegate::levelColour(int level) {
    switch (static_cast<SignalScale::Level>(level)) {
    case SignalScale::Level::Critical:
        return Theme::as<QColor>(Theme::signalCritical);
    case SignalScale::Level::Warning:
        return Theme::as<QColor>(Theme::signalWarning);
    case SignalScale::Level::Normal:
        break;
    }
    return Theme::as<QColor>(Theme::signalNormal);
}

void SignalBarDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    paintPanel(painter, opt);
    if (!index.data(NetworkTableModel::SignalValueRole).isValid())
        return;

    const QRect cell = opt.rect.adjusted(margin, 0, -margin, 0);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(QPalette::Text));
    painter->drawText(QRect(cell.left(), cell.top(), textWidth, cell.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, opt.text);
    const int barLeft = cell.left() + textWidth;
    const QRect bar(barLeft, cell.center().y() - barHeight / 2,
                    qMin(barWidth, cell.right() - barLeft + 1), barHeight);
    if (bar.width() > 0)
        paintBar(painter, bar, index.data(NetworkTableModel::SignalFillRole).toDouble(),
                 levelColour(index.data(NetworkTableModel::SignalLevelRole).toInt()));
    painter->restore();
}

void SignalBarDelegate::paintBar(QPainter *painter, const QRect &bar, double fill,
                                 const QColor &colour) {
    painter->fillRect(bar, Theme::as<QColor>(Theme::barTrack));
    QRect filled = bar;
    filled.setWidth(qRound(bar.width() * fill));
    painter->fillRect(filled, colour);
    painter->setPen(Theme::as<QColor>(Theme::barFrame));
    painter->drawRect(bar.adjusted(0, 0, -1, -1));
}

QSize SignalBarDelegate::sizeHint(const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const {
    const QSize text = NetworkCellDelegate::sizeHint(option, index);
    return {2 * margin + textWidth + barWidth, text.height()};
}
