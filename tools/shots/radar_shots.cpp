// Renders the radars with the demo scenario into PNG files, for looking at
// them as a user would: radar_shots OUTPUT_DIR. Not a test. With "--run" it
// keeps the pane's radar on screen with its sweep turning, to measure its
// cost from outside.
#include "RunFor.h"
#include "app/SharedInstanceClass.h"
#include "radar/LocateState.h"
#include "radar/RadarController.h"
#include "radar/RadarView.h"
#include "scan/ScanCycle.h"
#include "scan/sim/SimulatedInterface.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QString out =
        argc > 1 && argv[1][0] != '-' ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QString error;
    auto radio = SimulatedInterface::fromFile(SimulatedInterface::demoScenarioPath(), &error);
    if (!radio) {
        qWarning("%s", qPrintable(error));
        return 1;
    }
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    prefs.writeLaunchDefaults();
    ScanCycle cycle([&] { return radio.get(); }, prefs);
    LocateState locate;
    cycle.setLocateHooks({[&] { return locate.locateArray; }, [&] { return locate.locateModel; }});
    for (int i = 0; i < 3; ++i) {
        cycle.pollingStarts();
        runFor(50);
    }
    SharedInstanceClass &shared = SharedInstanceClass::sharedInstance();
    RadarController radar(
        prefs, shared,
        {[&] { return cycle.connectedNetwork() ? cycle.connectedNetwork()->bssid : QString(); },
         &locate,
         {}});

    QWidget pane;
    pane.setStyleSheet("background: white;");
    pane.resize(260, 260);
    RadarView *view = radar.normalView(&pane);
    view->setGeometry(10, 10, 240, 240);
    pane.show();
    radar.setPolling(true);
    if (app.arguments().contains("--run")) {
        radar.radarView(cycle.removeDuplicateElements());
        return app.exec();
    }
    const auto shoot = [&](QWidget *w, const QString &name) {
        runFor(1300);
        w->grab().save(QDir(out).filePath(name));
    };
    for (const auto &[unit, sweep, name] :
         {std::tuple{Preferences::dBm, Preferences::radar, "radar-normal-dbm-radar.png"},
          std::tuple{Preferences::percent, Preferences::radar, "radar-normal-percent-radar.png"},
          std::tuple{Preferences::dBm, Preferences::sonar, "radar-normal-dbm-sonar.png"},
          std::tuple{Preferences::percent, Preferences::sonar, "radar-normal-percent-sonar.png"}}) {
        prefs.setValue(Preferences::displayUnitsKey, unit);
        prefs.setValue(Preferences::sweepTypeKey, sweep);
        radar.radarView(cycle.removeDuplicateElements());
        shoot(&pane, name);
    }

    prefs.setValue(Preferences::displayUnitsKey, Preferences::dBm);
    prefs.setValue(Preferences::sweepTypeKey, Preferences::radar);
    radar.radarView(cycle.removeDuplicateElements());
    locate.locateModel = cycle.scanedResults().value(3);
    locate.locateArray = {locate.locateModel};
    radar.plotOnNormalRadar(locate.locateArray);
    shoot(&pane, "radar-normal-locate.png");
    locate.locateArray = {};
    radar.placeOnDrawnRadar(cycle.removeDuplicateElements());
    radar.plotOnNormalRadar(cycle.removeDuplicateElements());
    shoot(&pane, "radar-normal-after-locate.png");

    pane.hide();
    for (const auto &[unit, sweep, name] :
         {std::tuple{Preferences::dBm, Preferences::radar, "radar-expanded-dbm-radar.png"},
          std::tuple{Preferences::percent, Preferences::sonar,
                     "radar-expanded-percent-sonar.png"}}) {
        prefs.setValue(Preferences::displayUnitsKey, unit);
        prefs.setValue(Preferences::sweepTypeKey, sweep);
        radar.radarButtonAction(cycle.removeDuplicateElements());
        RadarView *expanded = radar.expandedView();
        expanded->resize(700, 560);
        expanded->show();
        shoot(expanded, name);
    }
    return 0;
}
