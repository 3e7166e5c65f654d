#pragma once

#include "ToolbarMenus.h"

#include <QWidget>
#include <functional>

class QFrame;
class QHBoxLayout;

// The area below the toolbar where the chosen button's panel drops down.
// A rebuild removes every view of the host except those tagged
// ViewTag::kept, then adds a fresh white panel with one entry per item.
class DropDownPanelHost : public QWidget {
    Q_OBJECT
public:
    using ActionHandler = std::function<void(MenuAction)>;

    explicit DropDownPanelHost(QWidget *parent = nullptr);

    // Adds a view that every rebuild keeps, to the right of the panel.
    void addKeptView(QWidget *view);
    // Replaces the panel; an empty list leaves no panel at all.
    void rebuild(const QList<MenuEntry> &entries, const ActionHandler &handler);

    QFrame *panel() const { return m_panel; }

private:
    void removeUnkeptViews();

    QHBoxLayout *m_row = nullptr;
    QFrame *m_panel = nullptr;
};
