#pragma once

#include "ConnectionPanelModel.h"
#include "NetworkSettingsCommand.h"

#include <QWidget>
#include <array>

class QFrame;
class QLabel;
class QPushButton;
struct PowerButtonLook;

// The connection panel: the joined network (name, BSSID, signal, channel,
// mode) and the host's addresses (MAC, IP, DNS server, gateway, external IP)
// in two framed groups, with the adapter's power button, a button that opens
// the desktop's network settings and, in locate mode, one that leaves it.
// It draws what ConnectionPanelModel decides; the window feeds it per tick.
class ConnectionPanel : public QWidget {
    Q_OBJECT
public:
    using SettingsChooser = std::function<std::optional<NetworkSettingsCommand::Command>()>;
    using Launcher = std::function<bool(const NetworkSettingsCommand::Command &)>;

    ConnectionPanel(const Preferences &prefs, ConnectionPanelModel::FactsReader readFacts,
                    QWidget *parent = nullptr);

    const ConnectionPanelModel &model() const { return m_model; }

    // One tick: the joined network's record, or null when not joined.
    void connectedToNetwork(const NetworkModelPtr &joined);
    void setExternalIP(const QString &address);
    void refreshSignal();
    // Every value back to "N/A".
    void reset();

    void setAdapterName(const QString &name);
    // "Disable" on orange while the adapter is on, "Enable" on green while off.
    void showPowered(bool powered);
    // While a power switch runs the button waits for its outcome.
    void setPowerSwitching(bool switching);
    void setLocating(bool locating);

    QPushButton *enableButton() const { return m_enableButton; }
    QPushButton *connectButton() const { return m_connectButton; }
    QPushButton *exitLocateButton() const { return m_exitLocateButton; }
    QString fieldText(ConnectionPanelModel::Field field) const;

    // Tests replace how the settings program is chosen and started.
    void setSettingsLauncher(SettingsChooser choose, Launcher launch);

Q_SIGNALS:
    void enableOrDisable(); // the power button was pressed
    void exitLocate();

private Q_SLOTS:
    void connectOrDisconnect();

private:
    QFrame *buildGroup(const QString &objectName, const QString &heading,
                       ConnectionPanelModel::Field first, ConnectionPanelModel::Field last);
    void showFields();
    static void styleButton(QPushButton *button, const QString &background);

    ConnectionPanelModel m_model;
    std::array<QLabel *, ConnectionPanelModel::fieldCount> m_values{};
    QLabel *m_adapterNameLabel = nullptr;
    QPushButton *m_enableButton = nullptr;
    QPushButton *m_connectButton = nullptr;
    QPushButton *m_exitLocateButton = nullptr;
    SettingsChooser m_chooseSettings;
    Launcher m_launch;
};
