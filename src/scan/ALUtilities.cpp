#include "ALUtilities.h"

#include "WirelessInterface.h"
#include "settings/Preferences.h"

namespace ALUtilities {

qint64 signalInPercent(qint64 dbm) {
    if (dbm == 0 || dbm < -99)
        return 0;
    if (dbm >= -50)
        return 100;
    return 2 * dbm + 200;
}

qint64 getSignalstrengthForNetwork(qint64 dbm, const Preferences &prefs) {
    return prefs.isPercent() ? signalInPercent(dbm) : dbm;
}

bool isWifiActive(const WirelessInterface &iface) {
    return !iface.ssid().isNull();
}

float getRadiusForSignalValue(float s, float r) {
    if (s <= 50.0f)
        return s * r / 50.0f;
    return (s - 50.0f) * r / 10.0f + r;
}

} // namespace ALUtilities
