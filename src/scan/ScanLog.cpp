#include "ScanLog.h"

Q_LOGGING_CATEGORY(lcScan, "airlume.scan")
