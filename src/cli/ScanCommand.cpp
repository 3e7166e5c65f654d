#include "ScanCommand.h"

#include "ScanOutput.h"
#include "StrictParse.h"
#include "netlist/SessionHistory.h"
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "scan/source/SourceOption.h"
#include "settings/Preferences.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTextStream>
#include <QTimer>
#include <cmath>

namespace {

struct ScanOptions {
    SourceOption source;
    int ticks = 1;
    double intervalSeconds = 0;
    bool trace = false;
    QString unit;
    QString format;
    bool verbose = false;
    bool help = false;
};

int fail(int code, const QString &message) {
    QTextStream(stderr) << "airlume-cli: " << message << '\n';
    return code;
}

// *usageError tells a wrongly formed command line (unknown option, missing
// value, stray argument), after which the synopsis helps, from a bad value.
std::optional<ScanOptions> parseOptions(const QStringList &arguments, QString *error,
                                        bool *usageError) {
    *usageError = true;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption source(QStringLiteral("source"), QString(), QStringLiteral("source"),
                                    QStringLiteral("auto"));
    const QCommandLineOption ticks(QStringLiteral("ticks"), QString(), QStringLiteral("n"),
                                   QStringLiteral("1"));
    const QCommandLineOption unit(QStringLiteral("unit"), QString(), QStringLiteral("unit"),
                                  Preferences::defaultValue(Preferences::displayUnitsKey));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("format"),
                                    QStringLiteral("table"));
    const QCommandLineOption verbose(QStringLiteral("verbose"));
    const QCommandLineOption interval(QStringLiteral("interval"), QString(),
                                      QStringLiteral("seconds"), QStringLiteral("0"));
    const QCommandLineOption trace(QStringLiteral("trace"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({source, ticks, unit, format, verbose, interval, trace, help});
    if (!parseStrictly(parser, arguments, error))
        return std::nullopt;
    *usageError = false;

    ScanOptions options;
    if (parser.isSet(help)) {
        options.help = true;
        return options;
    }
    const auto parsedSource = SourceOption::parse(parser.value(source), error);
    if (!parsedSource)
        return std::nullopt;
    options.source = *parsedSource;
    bool ok = false;
    options.ticks = parser.value(ticks).toInt(&ok);
    if (!ok || options.ticks < 1 || options.ticks > 100000) {
        *error = QStringLiteral("--ticks takes a whole number from 1 to 100000");
        return std::nullopt;
    }
    options.intervalSeconds = parser.value(interval).toDouble(&ok);
    // "nan" and "inf" parse as numbers but order with nothing: refused here.
    if (!ok || !std::isfinite(options.intervalSeconds) || options.intervalSeconds < 0 ||
        options.intervalSeconds > 3600) {
        *error = QStringLiteral("--interval takes seconds from 0 to 3600");
        return std::nullopt;
    }
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
    options.verbose = parser.isSet(verbose);
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

// Runs the ticks one after another, each to its table reload, as the window
// would see them, with the given pause between them.
void runTicks(ScanCycle &cycle, const ScanOptions &options, const WirelessInterface *traced) {
    QEventLoop loop;
    int reloads = 0;
    const int pauseMs = static_cast<int>(options.intervalSeconds * 1000.0);
    QObject::connect(&cycle, &ScanCycle::tickFinished, &loop, [&] {
        ++reloads;
        if (traced)
            traceTick(cycle, *traced, reloads);
        if (reloads == options.ticks)
            loop.quit();
        else if (pauseMs == 0)
            cycle.pollingStarts();
        else
            QTimer::singleShot(pauseMs, &cycle, [&cycle] { cycle.pollingStarts(); });
    });
    cycle.pollingStarts();
    loop.exec();
}

} // namespace

int runScanCommand(const QStringList &arguments) {
    QString error;
    bool usageError = false;
    const std::optional<ScanOptions> options = parseOptions(arguments, &error, &usageError);
    if (!options) {
        fail(2, error);
        if (usageError)
            QTextStream(stderr) << scanUsage();
        return 2;
    }
    if (options->help) {
        QTextStream(stdout) << scanUsage();
        return 0;
    }
    if (!options->verbose)
        QLoggingCategory::setFilterRules(QStringLiteral("airlume.*.info=false"));

    QString note;
    std::unique_ptr<WirelessInterface> iface =
        openSource(options->source, &error, &usageError, &note);
    if (!iface)
        return fail(usageError ? 2 : 1, error);
    if (!note.isEmpty())
        QTextStream(stderr) << "airlume-cli: " << note << '\n';

    // The user's own settings stay untouched: the unit lives in memory.
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    prefs.writeLaunchDefaults();
    prefs.setValue(Preferences::displayUnitsKey, options->unit);

    WirelessInterface *scanned = iface.get();
    ScanCycle cycle([scanned] { return scanned; }, prefs);
    SessionHistory history;
    QObject::connect(&cycle, &ScanCycle::tickFinished, &cycle,
                     [&history](const ScanTick &tick) { history.addTick(tick); });
    runTicks(cycle, *options, options->trace ? scanned : nullptr);
    if (!cycle.lastScanError().isEmpty())
        return fail(1, cycle.lastScanError());
    if (const QString status = iface->statusNote(); !status.isEmpty())
        QTextStream(stderr) << "airlume-cli: " << status << '\n';

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
