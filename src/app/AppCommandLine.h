#pragma once

#include "scan/source/SourceOption.h"

#include <QString>
#include <QStringList>

// The desktop program's command line: --source, --help, --version.
namespace AppCommandLine {

struct Parsed {
    enum class Kind { Run, Help, Version, Error };
    Kind kind = Kind::Run;
    SourceOption source;
    QString message; // the error for Error
};

Parsed parse(const QStringList &arguments);
QString usage();

} // namespace AppCommandLine
