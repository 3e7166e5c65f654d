#include "NetworkCellDelegate.h"

#include "NetworkTableModel.h"
#include "shell/Theme.h"

#include <QApplication>
#include <QPainter>
#include <QSvgRenderer>

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
