#pragma once

#include <QStyledItemDelegate>
#include <memory>

class QSvgRenderer;

// Draws the network table's cells from the model's roles: the row colour
// (orange for the joined network, yellow for the located one), black text in
// every row, and the padlock of the security column. Whole rows are selected,
// so no cell gets a focus frame of its own; a cell too narrow for its text
// shows the whole text as its tooltip.
class NetworkCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit NetworkCellDelegate(QObject *parent = nullptr);
    ~NetworkCellDelegate() override;

    static QColor rowColour(int highlight); // invalid: the table's own background

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    // The cell's background and selection, without its text.
    void paintPanel(QPainter *painter, const QStyleOptionViewItem &option) const;

private:
    void paintPadlock(QPainter *painter, const QRect &cell, bool open) const;

    std::unique_ptr<QSvgRenderer> m_locked;
    std::unique_ptr<QSvgRenderer> m_unlocked;
};
