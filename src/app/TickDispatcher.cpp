#include "TickDispatcher.h"

#include "scan/ScanCycle.h"

TickDispatcher::TickDispatcher(ScanCycle &cycle, QObject *parent)
    : QObject(parent) {
    connect(&cycle, &ScanCycle::tickFinished, this, &TickDispatcher::dispatch);
    connect(&cycle, &ScanCycle::radarPlotRequested, this, &TickDispatcher::radarTick);
    connect(&cycle, &ScanCycle::graphReloadRequested, this, &TickDispatcher::graphTick);
    // An emptied display list reaches the views as a tick with nothing in it.
    connect(&cycle, &ScanCycle::displayListCleared, this, [this, &cycle] {
        ScanTick empty;
        empty.counter = cycle.counter();
        dispatch(empty);
    });
}

void TickDispatcher::dispatch(const ScanTick &tick) {
    Q_EMIT tableTick(tick);
    Q_EMIT joinedNetworkTick(tick.joined);
}
