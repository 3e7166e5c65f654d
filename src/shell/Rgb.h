#pragma once

// An opaque colour as 8-bit components, for logic that decides a look
// without depending on QtGui; widgets turn it into a QColor.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb &) const = default;
};
