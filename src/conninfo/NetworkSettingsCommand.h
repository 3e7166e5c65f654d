#pragma once

#include <QStringList>
#include <functional>
#include <optional>

// Which program opens the desktop's network settings. The Wi-Fi page of the
// running desktop's own settings (GNOME, KDE Plasma) when it is installed,
// else NetworkManager's connection editor, which works on any desktop.
namespace NetworkSettingsCommand {

struct Command {
    QString program; // full path, started directly (no shell)
    QStringList arguments;
    bool operator==(const Command &) const = default;
};

// The full path of an installed program, or empty (QStandardPaths::findExecutable).
using Finder = std::function<QString(const QString &program)>;

// `desktops` is XDG_CURRENT_DESKTOP: a colon-separated list such as "ubuntu:GNOME".
std::optional<Command> choose(const QString &desktops, const Finder &find);
// Uses the environment and PATH of this process.
std::optional<Command> forThisSession();

// What the user reads when nothing can open the settings.
QString missingMessage();

} // namespace NetworkSettingsCommand
