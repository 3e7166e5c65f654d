#pragma once

#include "scan/NetworkModel.h"
#include "scan/ScanTick.h"

#include <QObject>

class ScanCycle;

// Hands each finished polling tick to the views, in a fixed order: the
// table first (its one reload), then the connection panel (the joined
// network); the records that aged out travel in the tick. The tick's radar
// and graph job runs after that, as the next job on the event loop. Views
// connect here, never to the scan cycle or the interface, so none of them
// asks the interface for facts during a repaint or reload.
class TickDispatcher : public QObject {
    Q_OBJECT
public:
    explicit TickDispatcher(ScanCycle &cycle, QObject *parent = nullptr);

Q_SIGNALS:
    void tableTick(const ScanTick &tick);
    void joinedNetworkTick(const NetworkModelPtr &joined); // null: not joined
    void radarTick(const NetworkList &records);
    void graphTick();

private:
    void dispatch(const ScanTick &tick);
};
