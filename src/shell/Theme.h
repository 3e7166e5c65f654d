#pragma once

#include "Rgb.h"

#include <QString>

// The window's colours, named once. Logic hands them out as Rgb; widgets turn
// them into style-sheet text (css) or a QColor (as<QColor>).
namespace Theme {

// Surfaces.
inline constexpr Rgb windowBlue{5, 38, 74};     // window, status bar, dialog; pane titles
inline constexpr Rgb paneWhite{255, 255, 255};  // the rounded panes, the table, fields
inline constexpr Rgb toolbarBlue{0, 124, 186};  // toolbar, table header, Cancel, selection
inline constexpr Rgb hoverBlue{112, 199, 252};  // a button under the pointer
inline constexpr Rgb chosenTint{222, 239, 251}; // the drop-down entry in force
inline constexpr Rgb divider{220, 225, 230};
inline constexpr Rgb fieldBorder{170, 180, 190};

// Text.
inline constexpr Rgb white{255, 255, 255};
inline constexpr Rgb black{0, 0, 0};
inline constexpr Rgb bodyText{20, 30, 45};
inline constexpr Rgb noteGrey{120, 130, 140};

// Marks.
inline constexpr Rgb orange{255, 165, 0}; // the joined network's row, "Disable", OK
inline constexpr Rgb yellow{255, 255, 0}; // the located network's row
inline constexpr Rgb green{106, 181, 96}; // "Enable"
inline constexpr Rgb barTrack{225, 225, 225};
inline constexpr Rgb barFrame{150, 150, 150};
inline constexpr Rgb signalCritical{220, 40, 40};
inline constexpr Rgb signalWarning{240, 200, 0};
inline constexpr Rgb signalNormal{50, 180, 70};
inline constexpr Rgb graphText{85, 85, 85};     // axis labels, titles, legend (one third white)
inline constexpr Rgb graphLines{170, 170, 170}; // plot frame and grid (two thirds white)

// The radar.
inline constexpr Rgb radarBlue{16, 116, 165};    // the radar's disc
inline constexpr Rgb radarFrame{61, 74, 84};     // the framed background round it
inline constexpr Rgb radarBorder{170, 170, 170}; // light grey edge of the frame
inline constexpr Rgb radarRing{68, 146, 192};    // rings, cross-hair
inline constexpr Rgb radarJoined{255, 128, 0};   // the joined network's dot and name
inline constexpr Rgb radarGrey{128, 128, 128};   // unnamed dots; the sweep (half transparent)
inline constexpr Rgb radarLightGrey{170, 170, 170};
inline constexpr Rgb sonarRing{255, 165, 0};

// "rgb(r, g, b)" for a style sheet.
inline QString css(Rgb c) {
    return QStringLiteral("rgb(%1, %2, %3)").arg(c.red).arg(c.green).arg(c.blue);
}

// The colour as a type built from three components (QColor), without this
// header depending on QtGui.
template <typename Colour> Colour as(Rgb c) {
    return Colour(c.red, c.green, c.blue);
}

} // namespace Theme
