#pragma once

#include <QHeaderView>

// The network table's header: the application's blue with white titles, the
// first column pinned in place, and one column (the padlock) that freezes
// column moves: after a press on its header no column can be dragged until
// another header is pressed.
class TableHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit TableHeaderView(QWidget *parent = nullptr);

    void setMoveFreezingSection(int logicalIndex) { m_freezingSection = logicalIndex; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    void keepFirstColumn(int logicalIndex, int oldVisualIndex, int newVisualIndex);
    void drawSortArrow(QPainter *painter, const QRect &area) const;

    int m_freezingSection = -1;
    bool m_correcting = false;
};
