#include "WindowPanes.h"

#include "conninfo/PowerButtonLook.h"
#include "shell/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel *titleLabel(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    QFont font(QStringLiteral("Arial"), 13);
    font.setBold(true);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::windowBlue)));
    return label;
}

QLabel *noteLabel(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setFont(QFont(QStringLiteral("Arial"), 10));
    label->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::noteGrey)));
    label->setWordWrap(true);
    return label;
}

} // namespace

RoundedPane::RoundedPane(const QString &name, QWidget *parent)
    : QFrame(parent) {
    setObjectName(name);
    setStyleSheet(QStringLiteral("#%1 { background: %2; border-radius: 10px; }")
                      .arg(name, Theme::css(Theme::paneWhite)));
}

PlaceholderView::PlaceholderView(const QString &title, const QString &note, QWidget *parent)
    : QWidget(parent) {
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 10, 14, 10);
    column->addWidget(titleLabel(title, this));
    column->addStretch(1);
    QLabel *noteText = noteLabel(note, this);
    noteText->setAlignment(Qt::AlignCenter);
    column->addWidget(noteText);
    column->addStretch(1);
}

PowerButton::PowerButton(QWidget *parent)
    : QPushButton(parent) {
    setObjectName(QStringLiteral("enableButton"));
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(96, 30);
}

void PowerButton::showLook(const PowerButtonLook &look) {
    setText(look.title);
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; border: none;"
                                 " border-radius: 2px; padding: 4px 16px; }"
                                 "QPushButton:hover { background-color: %3; }")
                      .arg(Theme::css(look.background), Theme::css(look.titleColor),
                           Theme::css(Theme::hoverBlue)));
}

ConnectionArea::ConnectionArea(QWidget *parent)
    : QWidget(parent) {
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 10, 14, 12);
    column->addWidget(titleLabel(QStringLiteral("Connection"), this));
    column->addStretch(1);
    QLabel *note = noteLabel(QStringLiteral("The joined network and this computer's addresses "
                                            "will be shown here."),
                             this);
    note->setAlignment(Qt::AlignCenter);
    column->addWidget(note);
    column->addStretch(1);

    auto *adapterRow = new QHBoxLayout;
    m_adapter = new QLabel(this);
    m_adapter->setFont(QFont(QStringLiteral("Arial"), 11));
    m_adapter->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::bodyText)));
    adapterRow->addWidget(m_adapter, 1);
    m_power = new PowerButton(this);
    adapterRow->addWidget(m_power);
    column->addLayout(adapterRow);
}

void ConnectionArea::setAdapterName(const QString &name) {
    m_adapter->setText(QStringLiteral("Wi-Fi adapter: %1").arg(name));
}
