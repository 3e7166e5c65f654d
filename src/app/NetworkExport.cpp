#include "NetworkExport.h"

#include "AppLog.h"
#include "netlist/CsvExport.h"
#include "netlist/CsvFile.h"

namespace NetworkExport {

QString withCsvSuffix(const QString &path) {
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return path;
    return path + QStringLiteral(".csv");
}

bool writeNetworkList(const QString &path, const NetworkList &records,
                      const NetworkModelPtr &connected, const Preferences &prefs, QString *error) {
    const QString text = CsvExport::document(records, connected, prefs);
    qCInfo(lcApp).noquote() << "writeString :" + text;
    return writeCsvFile(path, text, error);
}

} // namespace NetworkExport
