#include "ChannelsCommand.h"
#include "RecordCommand.h"
#include "ScanCommand.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

int usage(int code) {
    QTextStream(code == 0 ? stdout : stderr) << scanUsage() << recordUsage() << channelsUsage();
    return code;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("airlume-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(AIRLUME_VERSION));

    QStringList args = QCoreApplication::arguments();
    if (args.size() < 2)
        return usage(2);
    const QString command = args.at(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h"))
        return usage(0);
    if (command == QLatin1String("--version")) {
        QTextStream(stdout) << "airlume-cli " << AIRLUME_VERSION << '\n';
        return 0;
    }
    args.removeAt(1);
    if (command == QLatin1String("scan"))
        return runScanCommand(args);
    if (command == QLatin1String("record"))
        return runRecordCommand(args);
    if (command == QLatin1String("channels"))
        return runChannelsCommand(args);
    QTextStream(stderr) << "airlume-cli: unknown command \"" << command << "\"\n";
    return usage(2);
}
