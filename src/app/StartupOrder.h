#pragma once

class ScanCycle;

namespace StartupOrder {

// Queues the first scan, and creates the polling timer only once that scan's
// tick has been handed out: the first result reaches the screen before the
// timer's first tick empties the display list for the next one.
void queueFirstScanThenPolling(ScanCycle &cycle);

} // namespace StartupOrder
