#include "DropDownPanelHost.h"

#include "PanelEntryButton.h"
#include "ViewTag.h"

#include <QFrame>
#include <QHBoxLayout>

DropDownPanelHost::DropDownPanelHost(QWidget *parent)
    : QWidget(parent) {
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(8);
    m_row->addStretch(1);
    setFixedHeight(50);
}

void DropDownPanelHost::addKeptView(QWidget *view) {
    ViewTag::set(view, ViewTag::kept);
    view->setParent(this);
    m_row->addWidget(view);
}

void DropDownPanelHost::rebuild(const QList<MenuEntry> &entries, const ActionHandler &handler) {
    removeUnkeptViews();
    m_panel = nullptr;
    if (entries.isEmpty())
        return;

    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("dropDownPanel"));
    m_panel->setStyleSheet(
        QStringLiteral("#dropDownPanel { background: white; border-radius: 4px; }"));
    auto *entriesRow = new QHBoxLayout(m_panel);
    entriesRow->setContentsMargins(4, 2, 4, 2);
    entriesRow->setSpacing(2);
    for (const MenuEntry &entry : entries) {
        auto *button = new PanelEntryButton(entry, m_panel);
        const MenuAction action = entry.action;
        connect(button, &QPushButton::clicked, this, [handler, action] {
            if (handler)
                handler(action);
        });
        entriesRow->addWidget(button);
    }
    m_row->insertWidget(0, m_panel);
}

// An entry may rebuild the panel it sits on (Stop offers Start), so views are
// detached at once and deleted only when control is back in the event loop.
void DropDownPanelHost::removeUnkeptViews() {
    const QList<QWidget *> views = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *view : views) {
        if (ViewTag::of(view) == ViewTag::kept)
            continue;
        m_row->removeWidget(view);
        view->hide();
        view->setParent(nullptr);
        view->deleteLater();
    }
}
