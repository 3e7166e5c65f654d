#include "SignalScale.h"

#include "settings/Preferences.h"

#include <algorithm>

SignalScale SignalScale::forUnit(const Preferences &prefs) {
    return prefs.isPercent() ? percent() : dBm();
}

SignalScale::Level SignalScale::levelOf(qint64 value) const {
    if (value <= critical)
        return Level::Critical;
    if (value <= warning)
        return Level::Warning;
    return Level::Normal;
}

double SignalScale::fillOf(qint64 value) const {
    const double span = static_cast<double>(maximum - minimum);
    return std::clamp(static_cast<double>(value - minimum) / span, 0.0, 1.0);
}
