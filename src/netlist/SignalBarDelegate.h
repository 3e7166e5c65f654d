#pragma once

#include "NetworkCellDelegate.h"

// The signal cell: the value in the display unit and, beside it, a level bar
// filled and coloured as the model computed (green, yellow at the warning
// value, red at the critical one). A cell without a signal stays empty.
class SignalBarDelegate : public NetworkCellDelegate {
    Q_OBJECT
public:
    using NetworkCellDelegate::NetworkCellDelegate;

    static QColor levelColour(int level);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    static void paintBar(QPainter *painter, const QRect &bar, double fill, const QColor &colour);
};
