#include "PanelEntryButton.h"

#include "Theme.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>

namespace {

// Pointer over an entry: light blue. The entry in force keeps a paler blue
// with a bar in the toolbar's blue, so it reads as chosen without a hover.
QString entryStyle() {
    return QStringLiteral("PanelEntryButton { border: none; background: transparent; }"
                          "PanelEntryButton[chosen=\"true\"] { background: %1;"
                          " border-bottom: 3px solid %2; }"
                          "PanelEntryButton:hover { background: %3; }")
        .arg(Theme::css(Theme::chosenTint), Theme::css(Theme::toolbarBlue),
             Theme::css(Theme::hoverBlue));
}

} // namespace

PanelEntryButton::PanelEntryButton(const MenuEntry &entry, QWidget *parent)
    : QPushButton(parent)
    , m_entry(entry) {
    setObjectName(QString(entry.title).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setProperty("chosen", entry.chosen);
    setAccessibleName(objectName());
    if (entry.chosen)
        setAccessibleDescription(QStringLiteral("chosen"));
    setStyleSheet(entryStyle());

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 4, 14, 4);
    row->setSpacing(8);

    auto *icon = new QLabel(this);
    icon->setPixmap(QIcon(ToolbarMenus::iconPath(entry.icon)).pixmap(22, 22));
    icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(icon);

    auto *title = new QLabel(entry.title, this);
    title->setFont(QFont(QStringLiteral("Arial"), 11));
    title->setStyleSheet(
        QStringLiteral("color: %1; background: transparent;").arg(Theme::css(Theme::black)));
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(title);

    setMinimumHeight(qMax(34, row->sizeHint().height()));
    setMinimumWidth(row->sizeHint().width());
}
