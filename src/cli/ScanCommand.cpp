#include "ScanCommand.h"

#include "CommandCycle.h"
#include "ScanOutput.h"
#include "StrictParse.h"
#include "netlist/SessionHistory.h"
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "settings/Preferences.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

struct ScanOptions {
    CycleOptions cycle;
    bool trace = false;
    QString unit;
    QString format;
    bool help = false;
};

// *usageError tells a wrongly formed command line (unknown option, missing
// value, stray argument), after which the synopsis helps, from a bad value.
std::optional<ScanOptions> parseOptions(const QStringList &arguments, QString *error,
                                        bool *usageError) {
    *usageError = true;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const CycleOptionSet cycle;
    cycle.addTo(parser);
    const QCommandLineOption unit(QStringLiteral("unit"), QString(), QStringLiteral("unit"),
                                  Preferences::defaultValue(Preferences::displayUnitsKey));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("format"),
                                    QStringLiteral("table"));
    const QCommandLineOption trace(QStringLiteral("trace"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({unit, format, trace, help});
    if (!parseStrictly(parser, arguments, error))
        return std::nullopt;
    *usageError = false;

    ScanOptions options;
    if (parser.isSet(help)) {
        options.help = true;
        return options;
    }
    const std::optional<CycleOptions> cycleOptions = cycle.read(parser, error);
    if (!cycleOptions)
        return std::nullopt;
    options.cycle = *cycleOptions;
    options.trace = parser.isSet(trace);
    options.unit = parser.value(unit);
    if (options.unit != Preferences::dBm && options.unit != Preferences::percent) {
        *error = QStringLiteral("--unit takes dBm or Percent");
        return std::nullopt;
    }
    options.format = parser.value(format);
    static const QStringList formats = {QStringLiteral("table"), QStringLiteral("csv"),
                                        QStringLiteral("json"), QStringLiteral("history-csv")};
    if (!formats.contains(options.format)) {
        *error = QStringLiteral("--format takes table, csv, json or history-csv");
        return std::nullopt;
    }
    return options;
}

// The monotonic clock in milliseconds (since boot on Linux), to line ticks up
// with other events on the machine.
qint64 monotonicMs() {
    QElapsedTimer now;
    now.start();
    return now.msecsSinceReference();
}

// One line per tick on standard error: what the scan heard, how long the
// read took and what the list holds with each record's missed-scan count.
void traceTick(const ScanCycle &cycle, const WirelessInterface &iface, int tick) {
    const ReadStatistics read = iface.readStatistics();
    QJsonArray listed;
    for (const NetworkModelPtr &r : cycle.scanedResults())
        listed.append(
            QJsonObject{{QStringLiteral("bssid"), r->bssid}, {QStringLiteral("count"), r->count}});
    const QJsonObject line{{QStringLiteral("tick"), tick},
                           {QStringLiteral("readUs"), read.readUs},
                           {QStringLiteral("monotonicMs"), monotonicMs()},
                           {QStringLiteral("heard"), QJsonArray::fromStringList(read.heard)},
                           {QStringLiteral("dropped"), read.dropped},
                           {QStringLiteral("listed"), listed},
                           {QStringLiteral("error"), cycle.lastScanError()},
                           {QStringLiteral("note"), iface.statusNote()}};
    QTextStream(stderr) << "airlume-trace " << QJsonDocument(line).toJson(QJsonDocument::Compact)
                        << Qt::endl;
}

} // namespace

int runScanCommand(const QStringList &arguments) {
    QString error;
    bool usageError = false;
    const std::optional<ScanOptions> options = parseOptions(arguments, &error, &usageError);
    if (const std::optional<int> code = endOnArguments(options, error, usageError, scanUsage()))
        return *code;

    CommandCycle run(options->cycle);
    if (const int code = run.open(); code != 0)
        return code;
    Preferences &prefs = run.preferences();
    prefs.setValue(Preferences::displayUnitsKey, options->unit);
    ScanCycle &cycle = run.cycle();
    SessionHistory history;
    QObject::connect(&cycle, &ScanCycle::tickFinished, &cycle,
                     [&history](const ScanTick &tick) { history.addTick(tick); });
    const int code = run.run([&](int tick) {
        if (options->trace)
            traceTick(cycle, run.source(), tick);
    });
    if (code != 0)
        return code;

    ScanOutput::VendorNames().apply(cycle.scanedResults());
    QTextStream out(stdout);
    if (options->format == QLatin1String("history-csv"))
        out << history.csv(prefs);
    else
        out << ScanOutput::list(options->format, cycle.scanedResults(), cycle.connectedNetwork(),
                                prefs);
    return 0;
}

QString scanUsage() {
    return QStringLiteral(
        "usage: airlume-cli scan [--source auto|nl80211[:IFNAME]|scenario:FILE] [--ticks N]\n"
        "                        [--interval SECONDS] [--unit dBm|Percent]\n"
        "                        [--format table|csv|json|history-csv] [--trace] [--verbose]\n"
        "                        [--help]\n");
}
