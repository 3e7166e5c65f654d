#include "VendorTable.h"

QString bundledVendorTable() {
    return QStringLiteral(":/vendor/oui.idx");
}
