#include "LocatePace.h"

#include "settings/Preferences.h"

namespace LocatePace {

double getLocateSoundSkip(double dbm) {
    static constexpr struct {
        double above, seconds;
    } rows[] = {{-20, 0.3}, {-30, 0.4}, {-40, 0.5}, {-50, 0.6}, {-60, 0.7},
                {-70, 0.8}, {-80, 0.9}, {-90, 1.0}, {-100, 2.0}};
    for (const auto &row : rows) {
        if (dbm > row.above)
            return row.seconds;
    }
    // At -100 dBm and below the network is all but lost: the slowest pace,
    // so that it never sounds like being close.
    return 4.0;
}

bool followsSignal(const QString &preference) {
    return preference == Preferences::followSignal;
}

} // namespace LocatePace
