#pragma once

#include <QtGlobal>

class Preferences;
class WirelessInterface;

// Stateless helpers. Other rooms add their own helpers to this namespace in
// their own headers (radar geometry, host facts).
namespace ALUtilities {

// A signal in dBm converted to the unit the user chose: percent (2 x dBm + 200,
// clamped to 0..100, and 0 for "no signal") or dBm unchanged.
qint64 getSignalstrengthForNetwork(qint64 dbm, const Preferences &prefs);
qint64 signalInPercent(qint64 dbm);

// Joined to a network (a powered but idle adapter does not count).
bool isWifiActive(const WirelessInterface &iface);

// Radar distance for a signal magnitude s with base radius r: the first 50
// units cover r, every unit beyond moves five times as far.
float getRadiusForSignalValue(float s, float r);

} // namespace ALUtilities
