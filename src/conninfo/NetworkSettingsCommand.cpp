#include "NetworkSettingsCommand.h"

#include <QStandardPaths>

namespace NetworkSettingsCommand {

namespace {

std::optional<Command> firstInstalled(const QStringList &programs, const QStringList &arguments,
                                      const Finder &find) {
    for (const QString &program : programs) {
        const QString path = find(program);
        if (!path.isEmpty())
            return Command{path, arguments};
    }
    return std::nullopt;
}

} // namespace

std::optional<Command> choose(const QString &desktops, const Finder &find) {
    const QStringList names = desktops.toUpper().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    std::optional<Command> chosen;
    if (names.contains(QLatin1String("GNOME")))
        chosen = firstInstalled({QStringLiteral("gnome-control-center")}, {QStringLiteral("wifi")},
                                find);
    else if (names.contains(QLatin1String("KDE")))
        // Plasma 6 names it systemsettings, Plasma 5 systemsettings5.
        chosen =
            firstInstalled({QStringLiteral("systemsettings"), QStringLiteral("systemsettings5")},
                           {QStringLiteral("kcm_networkmanagement")}, find);
    if (!chosen)
        chosen = firstInstalled({QStringLiteral("nm-connection-editor")}, {}, find);
    return chosen;
}

std::optional<Command> forThisSession() {
    return choose(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                  [](const QString &program) { return QStandardPaths::findExecutable(program); });
}

QString missingMessage() {
    return QStringLiteral(
        "No network settings application was found. Install nm-connection-editor (Debian "
        "package network-manager-gnome), or open the network settings of your desktop.");
}

} // namespace NetworkSettingsCommand
