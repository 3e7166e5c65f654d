#pragma once

#include <QString>

// How fast the locate sound repeats.
namespace LocatePace {

// Seconds between two sounds for a signal in dBm: the stronger the signal,
// the faster the sound. The bound of each row belongs to the next, slower one.
double getLocateSoundSkip(double dbm);

// "Fixed" (the default, also for any unknown text): the interval is chosen
// once, from the signal when locating starts. "Follow signal": it is chosen
// again from the signal at every polling tick.
bool followsSignal(const QString &preference);

} // namespace LocatePace
