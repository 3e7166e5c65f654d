#pragma once

#include "radar/LocateState.h"
#include "scan/NetworkModel.h"
#include "settings/Preferences.h"
#include "shell/LayoutModes.h"
#include "shell/ToolbarMenus.h"
#include "shell/ToolbarSelection.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class ConnectionTestDialog;
class DropDownPanelHost;
class InterfaceSource;
class NetworkGridPane;
class PaneStack;
class PlottingState;
class PreferenceStore;
class QLabel;
class QPushButton;
class QNetworkAccessManager;
class QVBoxLayout;
class ScanCycle;
class SessionFiles;
class SettingsChangeSequence;
class TickDispatcher;
class ToolbarStrip;
class VendorLookup;
class WindowViews;
struct ScanTick;
class WirelessInterface;

// The main window and the composition root: it owns the preferences, the
// scan cycle and the dispatcher that hands its ticks to the views, the
// plotting choices, the vendor look-up and locate state, builds the panes and
// wires them. The rules live in the objects it owns.
class ViewController : public QMainWindow {
    Q_OBJECT
public:
    // Makes the connection test's window; tests give one that pings nothing.
    using ConnectionTestMaker = std::function<ConnectionTestDialog *(QWidget *parent)>;

    ViewController(std::shared_ptr<PreferenceStore> store, InterfaceSource &source,
                   QNetworkAccessManager *network, QWidget *parent = nullptr);
    ~ViewController() override;

    // Builds the window's state and views in start-up order and queues the
    // first scan; the polling timer starts once its result is on screen.
    void viewDidLoad();

    Preferences &preferences() { return m_prefs; }
    ScanCycle &cycle() const { return *m_cycle; }
    TickDispatcher &ticks() const { return *m_ticks; }
    PlottingState &plotting() const { return *m_plotting; }
    LocateState &locate() { return m_locate; }
    SettingsChangeSequence &settingsChange() const { return *m_settingsChange; }
    ToolbarStrip *toolbar() const { return m_toolbar; }
    DropDownPanelHost *panelHost() const { return m_panelHost; }
    NetworkGridPane *gridPane() const { return m_grid; }
    WindowViews &views() const { return *m_views; }
    PaneStack *paneStack() const { return m_paneStack; }
    LayoutModes &layouts() const { return *m_layouts; }
    // The rows the table shows, in its order: what an export writes.
    NetworkList tableRows() const;

    SessionFiles &files() const { return *m_files; }
    void setConnectionTestMaker(ConnectionTestMaker make) {
        m_makeConnectionTest = std::move(make);
    }

public Q_SLOTS:
    void layoutView();
    void helpButtonAction();
    void userGuideButtonAction();
    void glossaryButtonAction();
    void aboutButtonAction();
    void settingsButtonAction();
    void pollingButtonAction();
    void testsButtonAction();
    void connectionTestAction();
    void settingsAction();
    void settingsChanged();
    void exitLocate();
    void enableOrDisable();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildWindow();
    void buildPaneStack(QWidget *central);
    QPushButton *buildLogoButton(QWidget *parent);
    void wireCycle();
    void wireSource();
    void runMenuAction(MenuAction action);
    void showTick(const ScanTick &tick);
    void showPowered(bool powered);
    void showStatus(const QString &scanError);
    void showInterface();

    Preferences m_prefs;
    InterfaceSource &m_source;
    QPointer<WirelessInterface> m_poweredSource; // the interface whose power is shown
    std::unique_ptr<ScanCycle> m_cycle;
    std::unique_ptr<TickDispatcher> m_ticks;
    std::unique_ptr<PlottingState> m_plotting;
    std::unique_ptr<VendorLookup> m_vendors;
    std::unique_ptr<SettingsChangeSequence> m_settingsChange;
    std::unique_ptr<WindowViews> m_views;
    LocateState m_locate;
    ConnectionTestMaker m_makeConnectionTest;
    bool m_appeared = false;

    ToolbarStrip *m_toolbar = nullptr;
    DropDownPanelHost *m_panelHost = nullptr;
    QPushButton *m_logo = nullptr;
    PaneStack *m_paneStack = nullptr;
    LayoutModes *m_layouts = nullptr;
    NetworkGridPane *m_grid = nullptr;
    QLabel *m_statusLine = nullptr;
    QLabel *m_recordingSign = nullptr;
    SessionFiles *m_files = nullptr;
};
