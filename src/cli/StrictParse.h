#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// Parses a command's options; an unknown option, a missing value or any
// argument that is not an option is a usage error, named in *error.
inline bool parseStrictly(QCommandLineParser &parser, const QStringList &arguments,
                          QString *error) {
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error =
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return false;
    }
    return true;
}
