#pragma once

#include <QString>

// The vendor table bundled into the program: made at build time from the IEEE
// registry (vendor.cmake) and stored uncompressed, so VendorIndex::fromFile
// uses it where it lies.
QString bundledVendorTable();
