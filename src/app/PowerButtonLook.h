#pragma once

#include "shell/Rgb.h"

#include <QString>

// The connection panel's adapter power button: "Enable" on green while the
// adapter is off, "Disable" on orange while it is on; the title is white.
struct PowerButtonLook {
    QString title;
    Rgb background;
    Rgb titleColor;
    bool operator==(const PowerButtonLook &) const = default;

    static constexpr Rgb green{106, 181, 96};
    static constexpr Rgb orange{255, 165, 0};
    static constexpr Rgb white{255, 255, 255};

    static PowerButtonLook forPowered(bool powered);
};
