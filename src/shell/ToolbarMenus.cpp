#include "ToolbarMenus.h"

namespace ToolbarMenus {

QList<MenuEntry> pollingMenu(bool polling) {
    // Start and Stop share the stop image: the entry's title tells them apart.
    const MenuEntry toggle =
        polling ? MenuEntry{QStringLiteral("ic_stop"), QStringLiteral("Stop"), MenuAction::Stop}
                : MenuEntry{QStringLiteral("ic_stop"), QStringLiteral("Start"), MenuAction::Start};
    return {{QStringLiteral("ic_refreshNow"), QStringLiteral("Refresh"), MenuAction::Refresh},
            toggle};
}

QList<MenuEntry> settingsMenu(bool locating) {
    QList<MenuEntry> entries{
        {QStringLiteral("ic_settings"), QStringLiteral("Settings"), MenuAction::Settings},
        {QStringLiteral("ic_exportNetwork"), QStringLiteral("Export Network"),
         MenuAction::ExportNetwork}};
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

QString iconPath(const QString &name) {
    return QStringLiteral(":/icons/%1.svg").arg(name);
}

} // namespace ToolbarMenus
