#include "StartupOrder.h"

#include "scan/ScanCycle.h"

#include <memory>

namespace StartupOrder {

void queueFirstScanThenPolling(ScanCycle &cycle) {
    cycle.scanForAvailableNetworks();
    auto once = std::make_shared<QMetaObject::Connection>();
    // Connected after the views' hand-out, so it runs after the table has
    // shown the first result.
    *once = QObject::connect(&cycle, &ScanCycle::tickFinished, &cycle, [&cycle, once] {
        QObject::disconnect(*once);
        cycle.pollingActivation();
    });
}

} // namespace StartupOrder
