#include "SettingsChangeSequence.h"

#include "AppLog.h"
#include "graph/PlottingState.h"
#include "scan/ALUtilities.h"
#include "scan/NetworkScanner.h"
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "settings/Preferences.h"

SettingsChangeSequence::SettingsChangeSequence(ScanCycle &cycle, PlottingState &plotting,
                                               const Preferences &prefs,
                                               InterfaceProvider interface, QObject *parent)
    : QObject(parent)
    , m_cycle(cycle)
    , m_plotting(plotting)
    , m_prefs(prefs)
    , m_interface(std::move(interface)) {}

QString SettingsChangeSequence::signalText(qint64 value, bool percent) {
    return percent ? QStringLiteral("%1%").arg(value) : QStringLiteral("%1 dBm").arg(value);
}

void SettingsChangeSequence::settingsChanged() {
    Q_EMIT radarRebuildRequested();
    refreshConnectionSignal();
    Q_EMIT tableReloadRequested();
    Q_EMIT axesConfigureRequested();
    clearPlottedHistories();
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT graphReloadRequested(); }, Qt::QueuedConnection);
    // Polling resumes if it was stopped; the old timer goes and a new one with
    // the new interval ticks at once.
    m_cycle.stopPollingTimer();
    m_cycle.startAction();
}

// A fresh reading of the joined network, in the unit just chosen. It reads
// the interface's current results rather than scanning, so a settings change
// does not move a simulated recording on; the text follows when it answers.
void SettingsChangeSequence::refreshConnectionSignal() {
    const NetworkModelPtr joined = m_cycle.connectedNetwork();
    WirelessInterface *iface = m_interface ? m_interface() : nullptr;
    if (!joined || !iface)
        return;
    NetworkScanner(*iface).getSignalStrength(*joined, this, [this](qint32 rssi) {
        const QString text = signalText(ALUtilities::getSignalstrengthForNetwork(rssi, m_prefs),
                                        m_prefs.isPercent());
        qCInfo(lcApp).noquote() << "connection signal:" << text;
        Q_EMIT connectionSignalRefreshed(text);
    });
}

void SettingsChangeSequence::clearPlottedHistories() {
    for (const NetworkModelPtr &record : std::as_const(m_plotting.plottingNetworkDictionary))
        record->signalStrengthArray.clear();
    m_plotting.plottingNetworksDict = m_plotting.plottingNetworkDictionary;
}
