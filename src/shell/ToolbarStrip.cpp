#include "ToolbarStrip.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>

ToolbarStrip::ToolbarStrip(QWidget *parent)
    : QWidget(parent) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    QFont font = QApplication::font();
    font.setPointSize(ToolbarSelection::titlePointSize);
    for (ToolbarButton which : ToolbarSelection::buttons()) {
        auto *button = new QPushButton(ToolbarSelection::title(which), this);
        button->setObjectName(ToolbarSelection::title(which));
        button->setFont(font);
        button->setCursor(Qt::PointingHandCursor);
        button->setMinimumSize(92, 30);
        connect(button, &QPushButton::clicked, this,
                [this, which] { Q_EMIT buttonClicked(which); });
        m_buttons.insert(which, button);
        row->addWidget(button);
    }
    row->addStretch(1);
    select(m_selected);
}

void ToolbarStrip::select(ToolbarButton chosen) {
    m_selected = chosen;
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        applyLook(it.value(), ToolbarSelection::look(it.key(), chosen));
}

void ToolbarStrip::applyLook(QPushButton *button, const ToolbarButtonLook &look) {
    button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2;"
                                         " border: none; padding: 4px 16px; }")
                              .arg(Theme::css(look.background), Theme::css(look.title)));
}
