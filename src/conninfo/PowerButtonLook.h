#pragma once

#include "shell/Theme.h"

#include <QString>

// The connection panel's adapter power button: "Enable" on green while the
// adapter is off, "Disable" on orange while it is on; the title is white.
struct PowerButtonLook {
    QString title;
    Rgb background;
    Rgb titleColor;
    bool operator==(const PowerButtonLook &) const = default;

    static PowerButtonLook forPowered(bool powered);
};
