#include "PanelEntryButton.h"

#include "Theme.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>

PanelEntryButton::PanelEntryButton(const MenuEntry &entry, QWidget *parent)
    : QPushButton(parent)
    , m_entry(entry) {
    setObjectName(entry.title);
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("PanelEntryButton { border: none; background: transparent; }"
                                 "PanelEntryButton:hover { background: %1; }")
                      .arg(Theme::css(Theme::hoverBlue)));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 4, 14, 4);
    row->setSpacing(8);

    auto *icon = new QLabel(this);
    icon->setPixmap(QIcon(ToolbarMenus::iconPath(entry.icon)).pixmap(22, 22));
    icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(icon);

    auto *title = new QLabel(entry.title, this);
    title->setFont(QFont(QStringLiteral("Arial"), 11));
    title->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::black)));
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(title);

    setMinimumHeight(34);
    setMinimumWidth(row->sizeHint().width());
}
