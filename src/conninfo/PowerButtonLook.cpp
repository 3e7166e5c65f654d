#include "PowerButtonLook.h"

PowerButtonLook PowerButtonLook::forPowered(bool powered) {
    if (powered)
        return {QStringLiteral("Disable"), Theme::orange, Theme::white};
    return {QStringLiteral("Enable"), Theme::green, Theme::white};
}
