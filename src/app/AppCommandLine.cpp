#include "AppCommandLine.h"

#include <QCommandLineParser>

namespace AppCommandLine {

Parsed parse(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption source(QStringLiteral("source"), QString(), QStringLiteral("source"),
                                    QStringLiteral("auto"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({source, help, version});

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
    const auto option = SourceOption::parse(parser.value(source), &parsed.message);
    if (!option) {
        parsed.kind = Parsed::Kind::Error;
        return parsed;
    }
    parsed.source = *option;
    return parsed;
}

QString usage() {
    return QStringLiteral("usage: airlume [--source auto|nl80211[:IFNAME]|scenario:FILE]\n");
}

} // namespace AppCommandLine
