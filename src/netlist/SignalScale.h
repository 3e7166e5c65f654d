#pragma once

#include <QtGlobal>

class Preferences;

// The scale of the signal level bar for the display unit. Both scales have
// the critical value below the warning value: the bar turns yellow as the
// signal falls to the warning value and red as it falls to the critical one.
struct SignalScale {
    enum class Level { Normal, Warning, Critical };

    qint64 minimum = 0;
    qint64 maximum = 0;
    qint64 warning = 0;
    qint64 critical = 0;

    static SignalScale percent() { return {0, 100, 60, 40}; }
    static SignalScale dBm() { return {-100, -50, -70, -80}; }
    static SignalScale forUnit(const Preferences &prefs);

    Level levelOf(qint64 value) const;
    // How much of the bar a value fills, 0..1.
    double fillOf(qint64 value) const;
};
