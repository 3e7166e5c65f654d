#include "ScanCommand.h"

#include "ScanOutput.h"
#include "SourceOption.h"
#include "netlist/CsvExport.h"
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "settings/Preferences.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTextStream>

namespace {

struct ScanOptions {
    SourceOption source;
    int ticks = 1;
    QString unit;
    QString format;
    bool verbose = false;
};

int fail(int code, const QString &message)
{
    QTextStream(stderr) << "airlume-cli: " << message << '\n';
    return code;
}

std::optional<ScanOptions> parseOptions(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption source(QStringLiteral("source"), QString(), QStringLiteral("source"),
                                    QStringLiteral("auto"));
    const QCommandLineOption ticks(QStringLiteral("ticks"), QString(), QStringLiteral("n"),
                                   QStringLiteral("1"));
    const QCommandLineOption unit(QStringLiteral("unit"), QString(), QStringLiteral("unit"),
                                  Preferences::dBm);
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("format"),
                                    QStringLiteral("table"));
    const QCommandLineOption verbose(QStringLiteral("verbose"));
    parser.addOptions({source, ticks, unit, format, verbose});
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return std::nullopt;
    }

    ScanOptions options;
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
    options.unit = parser.value(unit);
    if (options.unit != Preferences::dBm && options.unit != Preferences::percent) {
        *error = QStringLiteral("--unit takes dBm or Percent");
        return std::nullopt;
    }
    options.format = parser.value(format);
    static const QStringList formats = {QStringLiteral("table"), QStringLiteral("csv"),
                                        QStringLiteral("json")};
    if (!formats.contains(options.format)) {
        *error = QStringLiteral("--format takes table, csv or json");
        return std::nullopt;
    }
    options.verbose = parser.isSet(verbose);
    return options;
}

// Runs the ticks one after another, each to its table reload, as the window
// would see them.
void runTicks(ScanCycle &cycle, int ticks)
{
    QEventLoop loop;
    int reloads = 0;
    QObject::connect(&cycle, &ScanCycle::tableReloadRequested, &loop, [&] {
        if (++reloads == ticks)
            loop.quit();
        else
            cycle.pollingStarts();
    });
    cycle.pollingStarts();
    loop.exec();
}

} // namespace

int runScanCommand(const QStringList &arguments)
{
    QString error;
    const std::optional<ScanOptions> options = parseOptions(arguments, &error);
    if (!options)
        return fail(2, error);
    if (!options->verbose)
        QLoggingCategory::setFilterRules(QStringLiteral("airlume.*.info=false"));

    bool usageError = false;
    QString note;
    std::unique_ptr<WirelessInterface> iface = openSource(options->source, &error, &usageError, &note);
    if (!iface)
        return fail(usageError ? 2 : 1, error);
    if (!note.isEmpty())
        QTextStream(stderr) << "airlume-cli: " << note << '\n';

    // The user's own settings stay untouched: the unit lives in memory.
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    prefs.writeLaunchDefaults();
    prefs.setValue(Preferences::displayUnitsKey, options->unit);

    ScanCycle cycle([&iface] { return iface.get(); }, prefs);
    runTicks(cycle, options->ticks);
    if (!cycle.lastScanError().isEmpty())
        return fail(1, cycle.lastScanError());

    QTextStream out(stdout);
    if (options->format == QLatin1String("csv"))
        out << CsvExport::document(cycle.scanedResults(), cycle.connectedNetwork(), prefs);
    else if (options->format == QLatin1String("json"))
        out << ScanOutput::json(cycle.scanedResults(), cycle.connectedNetwork());
    else
        out << ScanOutput::table(cycle.scanedResults(), cycle.connectedNetwork(), prefs);
    return 0;
}
