#include "LegendLayout.h"

#include <algorithm>

namespace LegendLayout {

namespace {

int rowCount(int labelCount) {
    return std::max(1, (labelCount + slotsPerRow - 1) / slotsPerRow);
}

} // namespace

int bottomPadding(int labelCount) {
    const int rows = rowCount(labelCount);
    if (rows == 1)
        return 50;
    return 60 + rowPitch * std::max(0, rows - 3);
}

QList<QRect> labelRects(int labelCount, int paneWidth) {
    const int height = bottomPadding(labelCount);
    const int pitch = std::max(0, paneWidth - 2 * sideMargin) / slotsPerRow;
    const int width = std::max(1, pitch - slotGap);
    QList<QRect> rects;
    rects.reserve(std::max(0, labelCount));
    for (int i = 0; i < labelCount; ++i) {
        const int row = i / slotsPerRow;
        const int inRow = i % slotsPerRow;
        // Even rows run right to left, odd rows left to right.
        const int slot = row % 2 == 0 ? slotsPerRow - 1 - inRow : inRow;
        const int top = height - bottomGap - labelHeight - row * rowPitch;
        rects.append(QRect(sideMargin + slot * pitch, top, width, labelHeight));
    }
    return rects;
}

QString labelText(const QString &ssid, const QString &bssid) {
    return QStringLiteral("  %1 %2").arg(ssid, bssid).left(maxTextLength);
}

} // namespace LegendLayout
