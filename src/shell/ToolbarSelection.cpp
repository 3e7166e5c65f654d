#include "ToolbarSelection.h"

namespace ToolbarSelection {

QList<ToolbarButton> buttons() {
    return {ToolbarButton::Layout, ToolbarButton::Help, ToolbarButton::Settings,
            ToolbarButton::Polling, ToolbarButton::Tests};
}

QString title(ToolbarButton button) {
    switch (button) {
    case ToolbarButton::Layout:
        return QStringLiteral("Layout");
    case ToolbarButton::Help:
        return QStringLiteral("Help");
    case ToolbarButton::Settings:
        return QStringLiteral("Settings");
    case ToolbarButton::Polling:
        return QStringLiteral("Polling");
    case ToolbarButton::Tests:
        return QStringLiteral("Tests");
    }
    return {};
}

ToolbarButtonLook look(ToolbarButton button, ToolbarButton chosen) {
    if (button == chosen)
        return {Theme::white, Theme::black};
    return {Theme::toolbarBlue, Theme::white};
}

} // namespace ToolbarSelection
