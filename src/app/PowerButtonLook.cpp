#include "PowerButtonLook.h"

PowerButtonLook PowerButtonLook::forPowered(bool powered) {
    if (powered)
        return {QStringLiteral("Disable"), orange, white};
    return {QStringLiteral("Enable"), green, white};
}
