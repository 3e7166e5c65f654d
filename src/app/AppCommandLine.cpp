#include "AppCommandLine.h"

#include <QCommandLineParser>

namespace AppCommandLine {

Parsed parse(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption source(QStringLiteral("source"), QString(), QStringLiteral("source"),
                                    QStringLiteral("auto"));
    const QCommandLineOption layout(QStringLiteral("layout"), QString(), QStringLiteral("layout"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({source, layout, help, version});

    Parsed parsed;
    if (!parser.parse(arguments)) {
        parsed.kind = Parsed::Kind::Error;
        parsed.message = parser.errorText();
        return parsed;
    }
    if (parser.isSet(help)) {
        parsed.kind = Parsed::Kind::Help;
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.kind = Parsed::Kind::Version;
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty()) {
        parsed.kind = Parsed::Kind::Error;
        parsed.message =
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return parsed;
    }
    if (parser.isSet(layout)) {
        parsed.layout = LayoutModes::fromOptionName(parser.value(layout));
        if (!parsed.layout) {
            parsed.kind = Parsed::Kind::Error;
            parsed.message =
                QStringLiteral("unknown layout \"%1\" (use %2)")
                    .arg(parser.value(layout), LayoutModes::optionNames().join(QLatin1Char('|')));
            return parsed;
        }
    }
    const auto option = SourceOption::parse(parser.value(source), &parsed.message);
    if (!option) {
        parsed.kind = Parsed::Kind::Error;
        parsed.aboutSource = true;
        return parsed;
    }
    parsed.source = *option;
    return parsed;
}

QString usage() {
    return QStringLiteral(
        "usage: airlume [--source auto|nl80211[:IFNAME]|scenario:FILE]\n"
        "               [--layout radar|network|history|history-networks|all|channels]\n"
        "               [--help] [--version]\n");
}

} // namespace AppCommandLine
