#pragma once

#include "DrawnRadarPlacement.h"
#include "RadarPlacement.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class RadarAnimation;
class SharedInstanceClass;

// One radar on screen, normal or expanded: the still backdrop (cached), the
// sweep wedge or sonar ring, the drawn radar's own dots and the plotted dots
// and labels. The radar keeps its own proportions: the normal one scales to
// the space it gets, the expanded one is 500 points square, centred (smaller
// only when the window is). Each plot replaces the one before.
class RadarView : public QWidget {
    Q_OBJECT
public:
    RadarView(RadarKind kind, SharedInstanceClass &shared, QWidget *parent = nullptr);

    RadarKind kind() const { return m_kind; }
    // The size placement works with: the radar's own points.
    QSizeF placementSize() const;

    void setPercent(bool percent);
    void setPlot(const QList<RadarMark> &marks);
    const QList<RadarMark> &plot() const { return m_marks; }
    void setDrawnDots(const QList<DrawnRadarPlacement::Dot> &dots);
    const QList<DrawnRadarPlacement::Dot> &drawnDots() const { return m_drawnDots; }
    // The sweep to show; repaints follow its frames. Runs only while shown.
    void setAnimation(RadarAnimation *animation);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    qreal scale() const;
    QRectF radarRect() const; // the radar's square in widget coordinates
    void paintSweep(QPainter &painter) const;
    void paintMarks(QPainter &painter) const;
    void paintDrawnDots(QPainter &painter) const;
    QPixmap layer() const;
    void refreshLayers();
    // What a sweep frame must repaint: where the wedge was and where it is.
    void updateSweep();
    QRect wedgeRect() const;

    RadarKind m_kind;
    SharedInstanceClass &m_shared;
    bool m_percent = false;
    QList<RadarMark> m_marks;
    QList<DrawnRadarPlacement::Dot> m_drawnDots;
    QPointer<RadarAnimation> m_animation;
    QPixmap m_backdrop; // still: frame, scale, rings
    QPixmap m_dots;     // changes with each plot
    QRect m_lastWedge;
};
