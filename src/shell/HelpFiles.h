#pragma once

#include <QString>
#include <QStringList>

// Where the help documents are. The user guide is a PDF built with the
// program: beside the executable in a build tree, under share/doc when
// installed. The glossary and About pages are compiled into the program.
namespace HelpFiles {

inline constexpr char userGuideFileName[] = "airlume-guide.pdf";
inline constexpr char glossaryResource[] = "qrc:/help/glossary.html";
inline constexpr char aboutResource[] = "qrc:/help/about.html";

// The places the guide is looked for, most specific first.
QStringList userGuideCandidates(const QString &applicationDir);
// The first candidate that exists as a file; empty when none does.
QString findUserGuide(const QString &applicationDir);

} // namespace HelpFiles
