#pragma once

#include "LayoutModes.h"

#include <QList>
#include <QString>

// What a drop-down entry does when clicked; the window maps each to its action.
enum class MenuAction {
    Refresh,
    Stop,
    Start,
    Settings,
    ExportNetwork,
    ExportHistory,
    Record,
    StopRecording,
    ExitLocate,
    ConnectionTest,
    QualityTest,
    SpeedTest,
    Radar,
    Network,
    History,
    HistoryAndNetworks,
    ShowAll,
    Channels,
    UserGuide,
    Glossary,
    About,
};

struct MenuEntry {
    QString icon; // resource name, e.g. "ic_stop"
    QString title;
    MenuAction action;
    bool chosen = false; // drawn as the entry in force
    bool operator==(const MenuEntry &) const = default;
};

// The entries of the toolbar's drop-down panels, top to bottom.
namespace ToolbarMenus {

// "Refresh", then "Stop" while polling runs or "Start" while it is stopped,
// then "Record" or, while recording, "Stop Recording".
QList<MenuEntry> pollingMenu(bool polling, bool recording = false);
// "Settings", "Export Network", "Export History", and "Exit Locate" only
// while locating.
QList<MenuEntry> settingsMenu(bool locating);
// "Connection Test", "Quality Test", "Speed Test".
QList<MenuEntry> testsMenu();
// The six layouts, the one in force chosen.
QList<MenuEntry> layoutMenu(LayoutMode current);
// "User Guide", "Glossary", "About".
QList<MenuEntry> helpMenu();

// The layout an entry of the Layout menu applies; none for other entries.
std::optional<LayoutMode> layoutFor(MenuAction action);

// ":/icons/<name>.svg"
QString iconPath(const QString &name);

} // namespace ToolbarMenus
