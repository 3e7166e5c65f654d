#include "AppCommandLine.h"
#include "AppDelegate.h"
#include "InterfaceSource.h"
#include "settings/PreferenceStore.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Airlume"));
    QApplication::setApplicationVersion(QStringLiteral(AIRLUME_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/airlume.svg")));

    const AppCommandLine::Parsed parsed = AppCommandLine::parse(QApplication::arguments());
    switch (parsed.kind) {
    case AppCommandLine::Parsed::Kind::Help:
        QTextStream(stdout) << AppCommandLine::usage();
        return 0;
    case AppCommandLine::Parsed::Kind::Version:
        QTextStream(stdout) << "airlume " << AIRLUME_VERSION << '\n';
        return 0;
    case AppCommandLine::Parsed::Kind::Error:
        QTextStream(stderr) << "airlume: " << parsed.message << '\n' << AppCommandLine::usage();
        return 2;
    case AppCommandLine::Parsed::Kind::Run:
        break;
    }

    InterfaceSource source;
    QString error;
    bool usageError = false;
    if (!source.open(parsed.source, &error, &usageError)) {
        QTextStream(stderr) << "airlume: " << error << '\n';
        return usageError ? 2 : 1;
    }
    if (!source.note().isEmpty())
        QTextStream(stderr) << "airlume: " << source.note() << '\n';

    AppDelegate delegate(std::make_shared<SettingsPreferenceStore>(), source);
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}
