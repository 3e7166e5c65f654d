// Renders the channel view with the demo scenario into a PNG file, for
// looking at it as a user would: channel_shots OUTPUT_DIR. Not a test.
#include "RunFor.h"
#include "channels/ChannelsPane.h"
#include "graph/PlottingState.h"
#include "scan/ScanCycle.h"
#include "scan/sim/SimulatedInterface.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QDir>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QString error;
    auto radio = SimulatedInterface::fromFile(SimulatedInterface::demoScenarioPath(), &error);
    if (!radio) {
        qWarning("%s", qPrintable(error));
        return 1;
    }
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    prefs.writeLaunchDefaults();
    ScanCycle cycle([&] { return radio.get(); }, prefs);
    for (int i = 0; i < 3; ++i) {
        cycle.pollingStarts();
        runFor(50);
    }
    PlottingState plotting;
    ChannelsPane pane(plotting, [&] { return radio.get(); });
    // The joined network is plotted, as the window does; the rest keep
    // their own colours.
    if (const NetworkModelPtr joined = cycle.connectedNetwork())
        plotting.plotJoinedNetwork(joined);
    pane.resize(1280, 900);
    pane.show();
    pane.showTick(cycle.scanedResults());
    runFor(500);
    const QString path = QDir(out).filePath("channels-demo.png");
    pane.grab().save(path);
    qInfo("%s", qPrintable(path));
    return 0;
}
