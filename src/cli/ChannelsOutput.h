#pragma once

#include "channels/ChannelRating.h"

#include <QList>
#include <QString>

// Renderings of a rating for standard output.
namespace ChannelsOutput {

// {"bands": [{"band": "5 GHz", "channels": [{"channel", "width", "score"}, ...]}],
//  "radios": [{"bssids", "channel", "signal"}]}: every candidate, narrowest
// width first and best first within a width; a channel is named by its
// lowest 20 MHz channel, as access points are set.
QString json(const QList<BandRating> &bands, const QList<Radio> &radios);

// The three best per band and width, and the radios counted.
QString table(const QList<BandRating> &bands, const QList<Radio> &radios);

} // namespace ChannelsOutput
