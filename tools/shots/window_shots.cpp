// Pictures of the whole window with the demo scenario, to look at as a user
// would and for the user guide: window_shots OUTPUT_DIR [SECONDS]. Not a test.
// Every layout at 1280 x 900 and 1024 x 700, then the graph after SECONDS
// (default 60) with three networks checked, in dBm and in Percent.
#include "RunFor.h"
#include "app/InterfaceSource.h"
#include "app/ViewController.h"
#include "graph/PlottingState.h"
#include "netlist/NetworkGridPane.h"
#include "scan/ScanCycle.h"
#include "scan/sim/SimulatedInterface.h"
#include "settings/PreferenceStore.h"
#include "shell/LayoutModes.h"

#include <QApplication>
#include <QDir>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    const int seconds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 60;
    InterfaceSource source;
    QString error;
    bool usageError = false;
    SourceOption demo;
    demo.kind = SourceOption::Kind::Scenario;
    demo.argument = SimulatedInterface::demoScenarioPath();
    if (!source.open(demo, &error, &usageError)) {
        qWarning("%s", qPrintable(error));
        return 1;
    }
    auto store = std::make_shared<MemoryPreferenceStore>();
    Preferences(store).writeLaunchDefaults();
    ViewController window(store, source, nullptr);
    window.viewDidLoad();
    window.show();
    runFor(3000);

    const auto shoot = [&](const QString &name) {
        runFor(1200);
        window.grab().save(out.filePath(name));
    };
    for (const QSize size : {QSize(1280, 900), QSize(1024, 700)}) {
        window.resize(size);
        for (const QString &layout : LayoutModes::optionNames()) {
            window.layouts().apply(*LayoutModes::fromOptionName(layout));
            shoot(QStringLiteral("window-%1-%2.png").arg(layout).arg(size.width()));
        }
    }

    window.resize(1280, 900);
    window.layouts().apply(LayoutMode::ShowAll);
    const NetworkList rows = window.tableRows();
    for (int i = 1; i < 3 && i < rows.size(); ++i)
        window.plotting().setPlotted(rows.at(i), true);
    runFor(seconds * 1000);
    shoot(QStringLiteral("graph-dbm.png"));
    window.preferences().setValue(Preferences::displayUnitsKey, Preferences::percent);
    window.settingsChanged();
    runFor(seconds * 1000);
    shoot(QStringLiteral("graph-percent.png"));

    // Locate mode on the fourth row, back in dBm.
    window.preferences().setValue(Preferences::displayUnitsKey, Preferences::dBm);
    window.settingsChanged();
    runFor(3000);
    window.locate().locateModel = window.tableRows().value(3);
    Q_EMIT window.gridPane()->locateRequested();
    runFor(12000);
    shoot(QStringLiteral("locate.png"));
    return 0;
}
