#pragma once

#include <QFrame>
#include <QPushButton>

class QLabel;
struct PowerButtonLook;

// A white pane with rounded corners (radius 10) on the window's dark blue.
class RoundedPane : public QFrame {
    Q_OBJECT
public:
    explicit RoundedPane(const QString &name, QWidget *parent = nullptr);
};

// A pane's title and a line saying what the pane will show once its view is
// built; nothing pretends to be data.
class PlaceholderView : public QWidget {
    Q_OBJECT
public:
    PlaceholderView(const QString &title, const QString &note, QWidget *parent = nullptr);
};

// The connection panel's adapter power button.
class PowerButton : public QPushButton {
    Q_OBJECT
public:
    explicit PowerButton(QWidget *parent = nullptr);
    void showLook(const PowerButtonLook &look);
};

// The connection panel's area: its title, the adapter's name and the power
// button; the joined network and the host's addresses come with the panel.
class ConnectionArea : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionArea(QWidget *parent = nullptr);

    PowerButton *powerButton() const { return m_power; }
    void setAdapterName(const QString &name);

private:
    QLabel *m_adapter = nullptr;
    PowerButton *m_power = nullptr;
};
