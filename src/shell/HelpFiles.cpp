#include "HelpFiles.h"

#include <QDir>
#include <QFileInfo>

namespace HelpFiles {

QStringList userGuideCandidates(const QString &applicationDir) {
    const QDir dir(applicationDir);
    const QString name = QLatin1String(userGuideFileName);
    return {dir.filePath(name),
            QDir::cleanPath(dir.filePath(QStringLiteral("../share/doc/airlume/") + name))};
}

QString findUserGuide(const QString &applicationDir) {
    for (const QString &path : userGuideCandidates(applicationDir))
        if (QFileInfo(path).isFile())
            return path;
    return {};
}

} // namespace HelpFiles
