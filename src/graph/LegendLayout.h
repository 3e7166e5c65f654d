#pragma once

#include <QList>
#include <QRect>
#include <QString>

// Where the legend under the graph puts its labels. Labels sit in rows of five
// slots spread evenly over the pane's width. The first row fills from the
// right, the next from the left, turning at each end; rows stack upwards from
// the bottom, as many as the labels need.
namespace LegendLayout {

constexpr int slotsPerRow = 5;
constexpr int labelHeight = 15;
constexpr int rowPitch = 16;   // one label's height and a pixel between rows
constexpr int bottomGap = 5;   // below the lowest row
constexpr int sideMargin = 10; // left of the first slot and right of the last
constexpr int slotGap = 10;    // between two labels of a row
constexpr int maxTextLength = 40;

// Height of the legend band under the plot: 50 while one row holds every
// label, 60 for two or three rows, and one row pitch more for each further row.
int bottomPadding(int labelCount);

// The rectangle of every label in the band (origin at its top left, height
// bottomPadding(labelCount)), in label order.
QList<QRect> labelRects(int labelCount, int paneWidth);

// "  SSID BSSID" (two blanks leave room for the colour swatch), cut to 40
// characters.
QString labelText(const QString &ssid, const QString &bssid);

} // namespace LegendLayout
