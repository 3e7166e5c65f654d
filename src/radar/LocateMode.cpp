#include "LocateMode.h"

#include "LocatePace.h"
#include "LocateSound.h"
#include "graph/PlottingState.h"
#include "settings/Preferences.h"

#include <QLoggingCategory>
#include <cmath>

Q_LOGGING_CATEGORY(lcLocate, "airlume.locate")

namespace {
int intervalMs(const NetworkModelPtr &record) {
    return static_cast<int>(
        std::lround(LocatePace::getLocateSoundSkip(double(record->rssi)) * 1000.0));
}
} // namespace

LocateMode::LocateMode(LocateState &state, PlottingState &plotting, const Preferences &prefs,
                       LocateSound *sound, RadarList radarList, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_plotting(plotting)
    , m_prefs(prefs)
    , m_sound(sound)
    , m_radarList(std::move(radarList))
    , m_soundTimer(this) {
    connect(&m_soundTimer, &QTimer::timeout, this, &LocateMode::playSound);
    if (m_sound) {
        connect(m_sound, &LocateSound::failed, this, [this] {
            qCInfo(lcLocate) << "locate sound cannot play: silent";
            m_soundTimer.stop();
        });
    }
}

void LocateMode::locate() {
    const NetworkModelPtr target = m_state.locateModel;
    if (!target)
        return;
    const bool again = m_state.isLocating();
    startSound();

    m_state.locateArray = {target};
    Q_EMIT locatedRowMoveRequested();
    Q_EMIT networkLabelsCleared();
    Q_EMIT exitLocateShown(true);
    Q_EMIT drawnRadarCleared();
    Q_EMIT radarPlotRequested(m_state.locateArray);

    // Locating another network while locating keeps the selection saved
    // when the mode began: that is what the user gets back at the end.
    if (!again)
        m_dup = m_plotting.plottingNetworksDict;
    unplotAll();
    plot(target);
    Q_EMIT tableReloadRequested();
    Q_EMIT graphReloadRequested();
    Q_EMIT rearrangeNetworkLabelsRequested();
}

// Any earlier timer stops first, so one sound runs at most, and a sound
// switched off or failing since the last start stays silent.
void LocateMode::startSound() {
    m_soundTimer.stop();
    if (m_prefs.value(Preferences::locateSoundKey) != Preferences::on || !m_sound)
        return;
    if (!m_sound->load()) {
        qCInfo(lcLocate) << "locate sound unavailable: silent";
        return;
    }
    m_soundTimer.start(intervalMs(m_state.locateModel));
    playSound(); // the first sound plays at once
}

void LocateMode::exitLocate() {
    if (!isLocating())
        return;
    m_soundTimer.stop();
    Q_EMIT exitLocateShown(false);
    const NetworkList radarList = m_radarList ? m_radarList() : NetworkList{};
    Q_EMIT drawnRadarCleared();
    Q_EMIT drawnRadarPlacementRequested(radarList);
    m_state.locateArray = {};

    unplotAll();
    Q_EMIT networkLabelsCleared();
    // The networks plotted before come back with colours taken afresh.
    for (const NetworkModelPtr &record : std::as_const(m_dup))
        plot(record);
    Q_EMIT rearrangeNetworkLabelsRequested();
    Q_EMIT graphReloadRequested();
    Q_EMIT tableReloadRequested();
    Q_EMIT radarPlotRequested(radarList);
}

void LocateMode::tick() {
    if (!isLocating() || !m_soundTimer.isActive() ||
        !LocatePace::followsSignal(m_prefs.value(Preferences::locatePaceKey)))
        return;
    const int interval = intervalMs(m_state.locateModel);
    if (interval != m_soundTimer.interval())
        m_soundTimer.start(interval);
}

void LocateMode::playSound() {
    if (m_sound)
        m_sound->play();
}

void LocateMode::unplotAll() {
    const QList<QString> colored = m_plotting.colorPool().dict.keys();
    for (const QString &bssid : colored)
        m_plotting.colorPool().returnColor(bssid);
    m_plotting.plottingNetworksDict.clear();
    m_plotting.plottingNetworkDictionary.clear();
}

// Enters the network in both maps, gives it a colour and asks the graph for
// its plot, keeping the history it has.
void LocateMode::plot(const NetworkModelPtr &record) {
    m_plotting.plotJoinedNetwork(record);
}
