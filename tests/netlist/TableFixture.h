#pragma once

#include "netlist/PlottingState.h"
#include "netlist/VendorLookup.h"
#include "radar/LocateState.h"
#include "scan/FakeInterface.h"
#include "scan/ScanCycle.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

// Everything the network table reads, built afresh for each test: a
// scriptable radio, the scan cycle over it, the plotting choices, locate
// state and a vendor look-up that answers from a small file only.
struct TableFixture {
    TableFixture()
        : store(std::make_shared<MemoryPreferenceStore>())
        , prefs(store)
        , cycle([this] { return interface(); }, prefs)
        , plotting(cycle.colorPool)
        , vendors(prefs, nullptr) {
        prefs.writeLaunchDefaults();
        const QString path = dir.filePath(QStringLiteral("oui.txt"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("00-1B-2C\tAcme Networks\r\n\n00-50-F2 Microsoft\n");
        file.close();
        vendors.vendorName(path);
    }

    WirelessInterface *interface() { return noInterface ? nullptr : &iface; }

    static QString bssidOf(int n) {
        return QStringLiteral("aa:bb:cc:dd:ee:%1").arg(n, 2, 10, QLatin1Char('0'));
    }

    // Networks from "ssid:rssi" words, BSSIDs numbered ...:01, ...:02 in the
    // order given; an empty ssid is a hidden network.
    static QList<ScanResult> networks(const QStringList &words) {
        QList<ScanResult> list;
        for (const QString &word : words) {
            const QString ssid = word.section(QLatin1Char(':'), 0, 0);
            ScanResult r = makeNetwork(ssid.isEmpty() ? QString() : ssid,
                                       bssidOf(static_cast<int>(list.size()) + 1),
                                       word.section(QLatin1Char(':'), 1, 1).toInt());
            r.securityModes.set(Security::WPA2Personal);
            list << r;
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

    // One polling tick, through the merge and the table reload it queues.
    bool tick() {
        QSignalSpy reloads(&cycle, &ScanCycle::tableReloadRequested);
        cycle.pollingStarts();
        for (int i = 0; i < 100 && reloads.isEmpty(); ++i)
            QCoreApplication::processEvents();
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
        return reloads.size() == 1;
    }

    NetworkModelPtr recordOf(const QString &ssid) const {
        for (const NetworkModelPtr &r : cycle.scanedResults()) {
            if (r->ssid == ssid)
                return r;
        }
        return nullptr;
    }

    QTemporaryDir dir;
    FakeInterface iface;
    bool noInterface = false;
    std::shared_ptr<MemoryPreferenceStore> store;
    Preferences prefs;
    ScanCycle cycle;
    PlottingState plotting;
    LocateState locate;
    VendorLookup vendors;
};
