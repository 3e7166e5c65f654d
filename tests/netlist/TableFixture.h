#pragma once

#include "app/TickDispatcher.h"
#include "graph/PlottingState.h"
#include "netlist/VendorLookup.h"
#include "radar/LocateState.h"
#include "scan/ScanCycle.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

// What the network table reads, afresh per test: a scriptable radio, the scan
// cycle and its ticks, plotting, locate state and vendors from a small file.
struct TableFixture {
    TableFixture()
        : prefs(std::make_shared<MemoryPreferenceStore>())
        , cycle([this] { return &iface; }, prefs)
        , ticks(cycle)
        , vendors(prefs, nullptr) {
        prefs.writeLaunchDefaults();
        QFile file(dir.filePath("oui.txt"));
        if (file.open(QIODevice::WriteOnly))
            file.write("00-1B-2C\tAcme Networks\n");
        file.close();
        vendors.vendorName(file.fileName());
        cycle.setLocateHooks(
            {[this] { return locate.locateArray; }, [this] { return locate.locateModel; }});
    }

    static QString bssidOf(int n) { return QString("aa:bb:cc:dd:ee:%1").arg(n, 2, 10, QChar('0')); }

    // WPA2 networks from "ssid:rssi" words, BSSIDs ...:01, ...:02 in order.
    static QList<ScanResult> networks(const QStringList &words) {
        QList<ScanResult> list;
        for (const QString &word : words) {
            list << makeNetwork(word.section(':', 0, 0), bssidOf(list.size() + 1),
                                word.section(':', 1, 1).toInt());
            list.last().securityModes.set(Security::WPA2Personal);
        }
        return list;
    }

    // Every scan hears these from now on; `joined` (an index) is the joined one.
    void hear(const QList<ScanResult> &heard, int joined = -1) {
        iface.fallback = heard;
        iface.leave();
        if (joined >= 0)
            iface.join(heard.at(joined), Security::WPA2Personal, PhyMode::N);
    }
    void hear(std::initializer_list<QString> words, int joined = -1) {
        hear(networks(words), joined);
    }

    // The window's wiring: the radio's power first, then the tick.
    template <typename Table> void feed(Table *table) {
        QObject::connect(&ticks, &TickDispatcher::tableTick, table, [this, table](const auto &t) {
            table->setAdapterPowered(iface.powered());
            table->showTick(t);
        });
    }

    // One whole polling tick: the merge, its one hand-out and the radar job.
    bool tick() {
        QSignalSpy handedOut(&ticks, &TickDispatcher::tableTick);
        QSignalSpy done(&ticks, &TickDispatcher::graphTick);
        cycle.pollingStarts();
        for (int i = 0; i < 100 && done.isEmpty(); ++i)
            QCoreApplication::processEvents();
        return handedOut.size() == 1 && done.size() == 1;
    }

    NetworkModelPtr recordOf(const QString &ssid) const {
        for (const NetworkModelPtr &r : cycle.scanedResults())
            if (r->ssid == ssid)
                return r;
        return nullptr;
    }

    void startLocating(const QString &ssid) {
        locate.locateModel = recordOf(ssid);
        locate.locateArray = {locate.locateModel};
    }

    QTemporaryDir dir;
    FakeInterface iface;
    Preferences prefs;
    ScanCycle cycle;
    TickDispatcher ticks;
    PlottingState plotting;
    LocateState locate;
    VendorLookup vendors;
};
