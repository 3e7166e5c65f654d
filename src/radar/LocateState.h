#pragma once

#include "scan/NetworkModel.h"

// Which network locate mode follows. The table's row menu picks the
// candidate (locateModel); locateArray is non-empty while locating.
struct LocateState {
    NetworkList locateArray;
    NetworkModelPtr locateModel;

    bool isLocating() const { return !locateArray.isEmpty(); }
    // The candidate is the network being located: the row menu then offers
    // to end locate mode instead of starting it.
    bool candidateIsLocated() const {
        return isLocating() && locateModel && locateModel->bssid == locateArray.first()->bssid;
    }
};
