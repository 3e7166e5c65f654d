#pragma once

#include <QList>
#include <QString>

// What a drop-down entry does when clicked; the window maps each to its action.
enum class MenuAction {
    Refresh,
    Stop,
    Start,
    Settings,
    ExportNetwork,
    ExitLocate,
    ConnectionTest,
    QualityTest,
    SpeedTest
};

struct MenuEntry {
    QString icon; // resource name, e.g. "ic_stop"
    QString title;
    MenuAction action;
    bool operator==(const MenuEntry &) const = default;
};

// The entries of the toolbar's drop-down panels, top to bottom.
namespace ToolbarMenus {

// "Refresh", then "Stop" while polling runs or "Start" while it is stopped.
QList<MenuEntry> pollingMenu(bool polling);
// "Settings", "Export Network", and "Exit Locate" only while locating.
QList<MenuEntry> settingsMenu(bool locating);
// "Connection Test", "Quality Test", "Speed Test".
QList<MenuEntry> testsMenu();

// ":/icons/<name>.svg"
QString iconPath(const QString &name);

} // namespace ToolbarMenus
