#pragma once

#include "Theme.h"

#include <QList>
#include <QString>

// The five toolbar buttons, left to right.
enum class ToolbarButton { Layout, Help, Settings, Polling, Tests };

struct ToolbarButtonLook {
    Rgb background;
    Rgb title;
    bool operator==(const ToolbarButtonLook &) const = default;
};

// The toolbar's selection rule: the chosen button is white with a black
// title, every other one toolbar blue with a white title.
namespace ToolbarSelection {

inline constexpr int titlePointSize = 10;

QList<ToolbarButton> buttons();
QString title(ToolbarButton button);
ToolbarButtonLook look(ToolbarButton button, ToolbarButton chosen);

} // namespace ToolbarSelection
