#include "StartupOrder.h"

#include "scan/ScanCycle.h"

#include <memory>

namespace StartupOrder {

void queueFirstScanThenPolling(ScanCycle &cycle) {
    cycle.scanForAvailableNetworks();
    auto once = std::make_shared<QMetaObject::Connection>();
    // Connected after the table's own reload, so it runs after the table
    // has drawn the first result.
    *once = QObject::connect(&cycle, &ScanCycle::tableReloadRequested, &cycle, [&cycle, once] {
        QObject::disconnect(*once);
        cycle.pollingActivation();
    });
}

} // namespace StartupOrder
