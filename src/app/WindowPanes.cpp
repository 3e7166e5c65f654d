#include "WindowPanes.h"

#include "shell/Theme.h"

RoundedPane::RoundedPane(const QString &name, QWidget *parent)
    : QFrame(parent) {
    setObjectName(name);
    setStyleSheet(QStringLiteral("#%1 { background: %2; border-radius: 10px; }")
                      .arg(name, Theme::css(Theme::paneWhite)));
}
