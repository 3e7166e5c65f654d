#pragma once

#include "scan/source/SourceOption.h"
#include "shell/LayoutModes.h"

#include <QString>
#include <QStringList>
#include <optional>

// The desktop program's command line: --source, --layout, --help, --version.
namespace AppCommandLine {

struct Parsed {
    enum class Kind { Run, Help, Version, Error };
    Kind kind = Kind::Run;
    SourceOption source;
    std::optional<LayoutMode> layout; // none: the window's own start-up layout
    QString message;                  // the error for Error
    bool aboutSource = false;         // the error is in --source
};

Parsed parse(const QStringList &arguments);
QString usage();

} // namespace AppCommandLine
