#pragma once

#include "ToolbarSelection.h"

#include <QHash>
#include <QWidget>

class QPushButton;

// The strip of five toolbar buttons across the top of the main window. It
// draws the selection rule; what a button opens is the window's business.
class ToolbarStrip : public QWidget {
    Q_OBJECT
public:
    explicit ToolbarStrip(QWidget *parent = nullptr);

    QPushButton *button(ToolbarButton which) const { return m_buttons.value(which); }
    ToolbarButton selected() const { return m_selected; }

public Q_SLOTS:
    void select(ToolbarButton chosen);

Q_SIGNALS:
    void buttonClicked(ToolbarButton which);

private:
    static void applyLook(QPushButton *button, const ToolbarButtonLook &look);

    QHash<ToolbarButton, QPushButton *> m_buttons;
    ToolbarButton m_selected = ToolbarButton::Layout;
};
