#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

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

// The exit status when the arguments end a command before it runs: refused
// (2, the reason and, for a usage error, the synopsis on standard error) or
// --help (0, the synopsis on standard output). Nothing when it goes on.
template <typename Options>
std::optional<int> endOnArguments(const std::optional<Options> &options, const QString &error,
                                  bool usageError, const QString &usage) {
    if (!options) {
        QTextStream err(stderr);
        err << "airlume-cli: " << error << '\n';
        if (usageError)
            err << usage;
        return 2;
    }
    if (options->help) {
        QTextStream(stdout) << usage;
        return 0;
    }
    return std::nullopt;
}
