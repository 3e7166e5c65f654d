#include "NetworkCellDelegate.h"

#include "NetworkTableModel.h"
#include "shell/Theme.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QToolTip>

namespace {

constexpr int padlockSize = 16;

} // namespace

NetworkCellDelegate::NetworkCellDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
    , m_locked(std::make_unique<QSvgRenderer>(QStringLiteral(":/icons/ic_locked.svg")))
    , m_unlocked(std::make_unique<QSvgRenderer>(QStringLiteral(":/icons/ic_unlocked.svg"))) {}

NetworkCellDelegate::~NetworkCellDelegate() = default;

QColor NetworkCellDelegate::rowColour(int highlight) {
    switch (static_cast<NetworkTableModel::RowHighlight>(highlight)) {
    case NetworkTableModel::RowHighlight::Joined:
        return Theme::as<QColor>(Theme::orange);
    case NetworkTableModel::RowHighlight::Located:
        return Theme::as<QColor>(Theme::yellow);
    case NetworkTableModel::RowHighlight::None:
        break;
    }
    return {};
}

void NetworkCellDelegate::initStyleOption(QStyleOptionViewItem *option,
                                          const QModelIndex &index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QColor background = rowColour(index.data(NetworkTableModel::HighlightRole).toInt());
    if (background.isValid())
        option->backgroundBrush = background;
    option->palette.setColor(QPalette::Text, Theme::as<QColor>(Theme::black));
    option->palette.setColor(QPalette::HighlightedText, Theme::as<QColor>(Theme::black));
    option->state &= ~QStyle::State_HasFocus;
}

bool NetworkCellDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                    const QStyleOptionViewItem &option, const QModelIndex &index) {
    if (event->type() != QEvent::ToolTip || index.data(Qt::ToolTipRole).isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    // The style keeps a margin inside the text rectangle on either side.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, widget) + 1;
    if (!opt.text.isEmpty() &&
        opt.fontMetrics.horizontalAdvance(opt.text) > textRect.width() - 2 * margin) {
        QToolTip::showText(event->globalPos(), opt.text, view, opt.rect);
        return true;
    }
    QToolTip::hideText();
    return true;
}

void NetworkCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const {
    const QVariant open = index.data(NetworkTableModel::LockOpenRole);
    if (!open.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    paintPanel(painter, opt);
    paintPadlock(painter, opt.rect, open.toBool());
}

void NetworkCellDelegate::paintPanel(QPainter *painter, const QStyleOptionViewItem &option) const {
    QStyleOptionViewItem panel = option;
    panel.text.clear();
    panel.features &= ~QStyleOptionViewItem::HasDecoration;
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &panel, painter, widget);
}

void NetworkCellDelegate::paintPadlock(QPainter *painter, const QRect &cell, bool open) const {
    QRectF target(0, 0, padlockSize, padlockSize);
    target.moveCenter(QRectF(cell).center());
    (open ? m_unlocked : m_locked)->render(painter, target);
}
