#include "ToolbarMenus.h"

namespace ToolbarMenus {

namespace {

struct LayoutEntry {
    const char *icon;
    const char *title;
    MenuAction action;
    LayoutMode mode;
};

constexpr LayoutEntry layoutEntries[] = {
    {"ic_radar", "Radar", MenuAction::Radar, LayoutMode::Radar},
    {"ic_networks", "Network", MenuAction::Network, LayoutMode::Network},
    {"ic_history", "History", MenuAction::History, LayoutMode::History},
    {"ic_historyNetworks", "History &\nNetworks", MenuAction::HistoryAndNetworks,
     LayoutMode::HistoryAndNetworks},
    {"ic_showAll", "Show All", MenuAction::ShowAll, LayoutMode::ShowAll},
    {"ic_channels", "Channels", MenuAction::Channels, LayoutMode::Channels},
};

} // namespace

QList<MenuEntry> pollingMenu(bool polling, bool recording) {
    const MenuEntry toggle =
        polling ? MenuEntry{QStringLiteral("ic_stop"), QStringLiteral("Stop"), MenuAction::Stop}
                : MenuEntry{QStringLiteral("ic_start"), QStringLiteral("Start"), MenuAction::Start};
    const MenuEntry record =
        recording
            ? MenuEntry{QStringLiteral("ic_stop"), QStringLiteral("Stop Recording"),
                        MenuAction::StopRecording}
            : MenuEntry{QStringLiteral("ic_record"), QStringLiteral("Record"), MenuAction::Record};
    return {{QStringLiteral("ic_refreshNow"), QStringLiteral("Refresh"), MenuAction::Refresh},
            toggle,
            record};
}

QList<MenuEntry> settingsMenu(bool locating) {
    QList<MenuEntry> entries{
        {QStringLiteral("ic_settings"), QStringLiteral("Settings"), MenuAction::Settings},
        {QStringLiteral("ic_exportNetwork"), QStringLiteral("Export Network"),
         MenuAction::ExportNetwork},
        {QStringLiteral("ic_exportHistory"), QStringLiteral("Export History"),
         MenuAction::ExportHistory}};
    if (locating)
        entries.append({QStringLiteral("ic_exitLocate"), QStringLiteral("Exit Locate"),
                        MenuAction::ExitLocate});
    return entries;
}

QList<MenuEntry> testsMenu() {
    return {
        {QStringLiteral("ic_connectionTest"), QStringLiteral("Connection Test"),
         MenuAction::ConnectionTest},
        {QStringLiteral("ic_qualityTest"), QStringLiteral("Quality Test"), MenuAction::QualityTest},
        {QStringLiteral("ic_speedTest"), QStringLiteral("Speed Test"), MenuAction::SpeedTest}};
}

QList<MenuEntry> layoutMenu(LayoutMode current) {
    QList<MenuEntry> entries;
    for (const LayoutEntry &e : layoutEntries)
        entries.append(
            {QLatin1String(e.icon), QString::fromUtf8(e.title), e.action, e.mode == current});
    return entries;
}

QList<MenuEntry> helpMenu() {
    return {{QStringLiteral("ic_userGuide"), QStringLiteral("User Guide"), MenuAction::UserGuide},
            {QStringLiteral("ic_glossary"), QStringLiteral("Glossary"), MenuAction::Glossary},
            {QStringLiteral("ic_about"), QStringLiteral("About"), MenuAction::About}};
}

std::optional<LayoutMode> layoutFor(MenuAction action) {
    for (const LayoutEntry &e : layoutEntries)
        if (e.action == action)
            return e.mode;
    return std::nullopt;
}

QString iconPath(const QString &name) {
    return QStringLiteral(":/icons/%1.svg").arg(name);
}

} // namespace ToolbarMenus
