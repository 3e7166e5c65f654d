#include "PaneStack.h"

#include <QResizeEvent>
#include <QVBoxLayout>

PaneStack::PaneStack(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("containerStackView"));
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(6);
}

void PaneStack::addPane(Pane pane, QWidget *view, int stretch) {
    view->setParent(this);
    view->hide();
    m_panes.insert(pane, {view, stretch});
}

void PaneStack::arrangePanes(const QList<Pane> &topToBottom) {
    while (QLayoutItem *item = m_column->takeAt(0))
        delete item;
    for (auto it = m_panes.cbegin(); it != m_panes.cend(); ++it)
        if (!topToBottom.contains(it.key()))
            it.value().view->hide();
    for (Pane pane : topToBottom) {
        const Entry entry = m_panes.value(pane);
        if (!entry.view)
            continue;
        m_column->addWidget(entry.view, entry.stretch);
        entry.view->show();
    }
}

void PaneStack::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    Q_EMIT resized(event->size());
}
