#pragma once

#include "shell/LayoutModes.h"

#include <QHash>
#include <QWidget>
#include <functional>

class QVBoxLayout;

// The window's pane stack: the container whose panes the layout modes
// arrange top to bottom. The radar work a layout change asks for is handed
// to the radar views through the hooks.
class PaneStack : public QWidget, public LayoutHost {
    Q_OBJECT
public:
    struct RadarHooks {
        std::function<void()> endExpandedRadarAnimation;
        std::function<void()> clearRadarPlot;
        std::function<void()> radarView;
        std::function<void()> buildExpandedRadar;
    };

    explicit PaneStack(QWidget *parent = nullptr);

    // Registers a pane with the share of the height it takes beside others.
    void addPane(Pane pane, QWidget *view, int stretch);
    QWidget *pane(Pane pane) const { return m_panes.value(pane).view; }
    void setRadarHooks(RadarHooks hooks) { m_hooks = std::move(hooks); }

    void arrangePanes(const QList<Pane> &topToBottom) override;
    void endExpandedRadarAnimation() override { run(m_hooks.endExpandedRadarAnimation); }
    void clearRadarPlot() override { run(m_hooks.clearRadarPlot); }
    void radarView() override { run(m_hooks.radarView); }
    void buildExpandedRadar() override { run(m_hooks.buildExpandedRadar); }

Q_SIGNALS:
    void resized(const QSize &size);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    static void run(const std::function<void()> &hook) {
        if (hook)
            hook();
    }

    struct Entry {
        QWidget *view = nullptr;
        int stretch = 1;
    };
    QVBoxLayout *m_column = nullptr;
    QHash<Pane, Entry> m_panes;
    RadarHooks m_hooks;
};
