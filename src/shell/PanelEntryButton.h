#pragma once

#include "ToolbarMenus.h"

#include <QPushButton>

// One drop-down entry: a flat button carrying the action, with the entry's
// icon and its title in Arial 11 pt.
class PanelEntryButton : public QPushButton {
    Q_OBJECT
public:
    explicit PanelEntryButton(const MenuEntry &entry, QWidget *parent = nullptr);

    const MenuEntry &entry() const { return m_entry; }

private:
    MenuEntry m_entry;
};
