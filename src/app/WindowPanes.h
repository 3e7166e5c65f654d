#pragma once

#include <QFrame>

// A white pane with rounded corners (radius 10) on the window's dark blue.
class RoundedPane : public QFrame {
    Q_OBJECT
public:
    explicit RoundedPane(const QString &name, QWidget *parent = nullptr);
};
