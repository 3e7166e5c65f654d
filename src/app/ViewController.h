#pragma once

#include "radar/LocateState.h"
#include "scan/NetworkModel.h"
#include "settings/Preferences.h"
#include "shell/LayoutModes.h"
#include "shell/ToolbarMenus.h"
#include "shell/ToolbarSelection.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class ConnectionArea;
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
class SettingsChangeSequence;
class ToolbarStrip;
class VendorLookup;

// The main window and the composition root: it owns the preferences, the
// scan cycle, the plotting choices, the vendor look-up and locate state,
// builds the panes and wires them. The rules live in the objects it owns.
class ViewController : public QMainWindow {
    Q_OBJECT
public:
    // Asks for the export file; an empty answer cancels. Tests replace the
    // save dialog with it.
    using SavePathChooser = std::function<QString(QWidget *parent)>;

    ViewController(std::shared_ptr<PreferenceStore> store, InterfaceSource &source,
                   QNetworkAccessManager *network, QWidget *parent = nullptr);
    ~ViewController() override;

    // Builds the window's state and views in start-up order and queues the
    // first scan; the polling timer starts once its result is on screen.
    void viewDidLoad();

    Preferences &preferences() { return m_prefs; }
    ScanCycle &cycle() const { return *m_cycle; }
    PlottingState &plotting() const { return *m_plotting; }
    LocateState &locate() { return m_locate; }
    SettingsChangeSequence &settingsChange() const { return *m_settingsChange; }
    ToolbarStrip *toolbar() const { return m_toolbar; }
    DropDownPanelHost *panelHost() const { return m_panelHost; }
    NetworkGridPane *gridPane() const { return m_grid; }
    ConnectionArea *connectionArea() const { return m_connection; }
    PaneStack *paneStack() const { return m_paneStack; }
    LayoutModes &layouts() const { return *m_layouts; }
    // The display list as the table showed it last: what an export writes.
    const NetworkList &tableRows() const { return m_tableRows; }

    void setSavePathChooser(SavePathChooser chooser) { m_chooseSavePath = std::move(chooser); }

public Q_SLOTS:
    void layoutView();
    void helpButtonAction();
    void userGuideButtonAction();
    void glossaryButtonAction();
    void aboutButtonAction();
    void settingsButtonAction();
    void pollingButtonAction();
    void settingsAction();
    void settingsChanged();
    void exportNetworkAction();
    void exitLocate();
    void enableOrDisable();

Q_SIGNALS:
    // The window is on screen for the first time: the graph's one-second
    // sampler starts here.
    void viewDidAppear();
    void locateExited();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildWindow();
    void buildPaneStack(QWidget *central);
    QPushButton *buildLogoButton(QWidget *parent);
    QWidget *buildRadarAndConnectionPane();
    QWidget *buildHistoryPane();
    QWidget *buildExpandedRadarPane();
    void wireCycle();
    void wireSource();
    void showEmptyPanel(ToolbarButton button);
    void runMenuAction(MenuAction action);
    void showPowered(bool powered);
    void showStatus();
    void showInterface();
    QString askSavePath();

    Preferences m_prefs;
    InterfaceSource &m_source;
    std::unique_ptr<ScanCycle> m_cycle;
    std::unique_ptr<PlottingState> m_plotting;
    std::unique_ptr<VendorLookup> m_vendors;
    std::unique_ptr<SettingsChangeSequence> m_settingsChange;
    LocateState m_locate;
    NetworkList m_tableRows;
    SavePathChooser m_chooseSavePath;
    bool m_appeared = false;

    ToolbarStrip *m_toolbar = nullptr;
    DropDownPanelHost *m_panelHost = nullptr;
    QPushButton *m_logo = nullptr;
    PaneStack *m_paneStack = nullptr;
    LayoutModes *m_layouts = nullptr;
    NetworkGridPane *m_grid = nullptr;
    ConnectionArea *m_connection = nullptr;
    QLabel *m_statusLine = nullptr;
};
