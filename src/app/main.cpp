#include "AppCommandLine.h"
#include "AppDelegate.h"
#include "InterfaceSource.h"
#include "settings/PreferenceStore.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTextStream>
#include <optional>

namespace {

// Whether a window can be opened at all; QApplication aborts without one.
bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// A start from the desktop's menu has no terminal: the reason also goes to
// a dialog, unless the platform has no screen anyone could look at.
int failToStart(const QString &reason, int status) {
    QTextStream(stderr) << "airlume: " << reason << '\n';
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        QMessageBox::critical(nullptr, QStringLiteral("Airlume"),
                              QStringLiteral("Airlume cannot start: %1").arg(reason));
    return status;
}

// Help, version and a malformed command line are answered on the terminal.
// Returns the exit status, or nothing when the window is to open.
std::optional<int> answerOnTerminal(const AppCommandLine::Parsed &parsed, bool hasDisplay) {
    switch (parsed.kind) {
    case AppCommandLine::Parsed::Kind::Help:
        QTextStream(stdout) << AppCommandLine::usage();
        return 0;
    case AppCommandLine::Parsed::Kind::Version:
        QTextStream(stdout) << "airlume " << AIRLUME_VERSION << '\n';
        return 0;
    case AppCommandLine::Parsed::Kind::Error:
        if (parsed.aboutSource && hasDisplay)
            return std::nullopt;
        QTextStream(stderr) << "airlume: " << parsed.message << '\n' << AppCommandLine::usage();
        return 2;
    case AppCommandLine::Parsed::Kind::Run:
        break;
    }
    if (hasDisplay)
        return std::nullopt;
    QTextStream(stderr) << "airlume: no display to open the window on; airlume-cli scans from a "
                           "terminal\n";
    return 1;
}

} // namespace

int main(int argc, char *argv[]) {
    // Without a display QApplication cannot even start, so the command line
    // is answered first; with one, Qt takes its own options (-geometry,
    // -platform, ...) before the program reads the rest.
    if (!displayAvailable()) {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        return *answerOnTerminal(AppCommandLine::parse(arguments), false);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Airlume"));
    QApplication::setApplicationVersion(QStringLiteral(AIRLUME_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/airlume.svg")));
    const AppCommandLine::Parsed parsed = AppCommandLine::parse(QApplication::arguments());
    if (const std::optional<int> status = answerOnTerminal(parsed, true))
        return *status;
    if (parsed.kind == AppCommandLine::Parsed::Kind::Error)
        return failToStart(parsed.message, 2);

    InterfaceSource source;
    QString error;
    bool usageError = false;
    if (!source.open(parsed.source, &error, &usageError))
        return failToStart(error, usageError ? 2 : 1);
    if (!source.note().isEmpty())
        QTextStream(stderr) << "airlume: " << source.note() << '\n';

    AppDelegate delegate(std::make_shared<SettingsPreferenceStore>(), source);
    delegate.applicationDidFinishLaunching(parsed.layout);
    return QApplication::exec();
}
