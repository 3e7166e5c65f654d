#include "RecordCommand.h"

#include "CommandCycle.h"
#include "ScanOutput.h"
#include "StrictParse.h"
#include "netlist/SessionHistory.h"
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "scan/sim/ScenarioReader.h"
#include "scan/sim/ScenarioRecorder.h"
#include "scan/source/SourceOption.h"
#include "settings/Preferences.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>
#include <cmath>

namespace {

struct RecordOptions {
    SourceOption source;
    double intervalSeconds = Preferences::defaultPollingIntervalSeconds;
    int ticks = 0;         // 0: until the duration is over
    qint64 durationMs = 0; // 0: for the ticks
    QString out;
    QString format; // empty: nothing printed
    bool verbose = false;
    bool help = false;
};

std::optional<RecordOptions> parseOptions(const QStringList &arguments, QString *error) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption source(QStringLiteral("source"), QString(), QStringLiteral("source"));
    const QCommandLineOption interval(QStringLiteral("interval"), QString(),
                                      QStringLiteral("seconds"));
    const QCommandLineOption ticks(QStringLiteral("ticks"), QString(), QStringLiteral("n"));
    const QCommandLineOption duration(QStringLiteral("duration"), QString(),
                                      QStringLiteral("duration"));
    const QCommandLineOption out(QStringLiteral("out"), QString(), QStringLiteral("file"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("format"));
    const QCommandLineOption verbose(QStringLiteral("verbose"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({source, interval, ticks, duration, out, format, verbose, help});
    if (!parseStrictly(parser, arguments, error))
        return std::nullopt;
    RecordOptions options;
    if (parser.isSet(help)) {
        options.help = true;
        return options;
    }
    const auto parsedSource = SourceOption::parse(parser.value(source), error);
    if (!parser.isSet(source) || !parsedSource || parsedSource->kind == SourceOption::Kind::Auto) {
        *error = QStringLiteral("--source takes nl80211[:IFNAME] or scenario:FILE");
        return std::nullopt;
    }
    options.source = *parsedSource;
    if (parser.isSet(ticks) == parser.isSet(duration)) {
        *error = QStringLiteral("give either --ticks or --duration");
        return std::nullopt;
    }
    bool ok = true;
    if (parser.isSet(ticks)) {
        options.ticks = parser.value(ticks).toInt(&ok);
        if (!ok || options.ticks < 1 || options.ticks > scenariolimits::scansMax) {
            *error = QStringLiteral("--ticks takes a whole number from 1 to %1")
                         .arg(scenariolimits::scansMax);
            return std::nullopt;
        }
    } else {
        const std::optional<qint64> ms = parseDurationMs(parser.value(duration));
        if (!ms) {
            *error = QStringLiteral("--duration takes a time like 90s, 10m or 2h (a week at most)");
            return std::nullopt;
        }
        options.durationMs = *ms;
    }
    if (parser.isSet(interval)) {
        options.intervalSeconds = parser.value(interval).toDouble(&ok);
        // "nan" and "inf" parse as numbers but order with nothing: refused here.
        if (!ok || !std::isfinite(options.intervalSeconds) || options.intervalSeconds < 0 ||
            options.intervalSeconds > 3600) {
            *error = QStringLiteral("--interval takes seconds from 0 to 3600");
            return std::nullopt;
        }
    }
    options.out = parser.value(out);
    if (options.out.isEmpty()) {
        *error = QStringLiteral("--out names the file to write");
        return std::nullopt;
    }
    if (parser.isSet(format)) {
        options.format = parser.value(format);
        if (options.format != QLatin1String("csv") &&
            options.format != QLatin1String("history-csv")) {
            *error = QStringLiteral("--format takes csv or history-csv");
            return std::nullopt;
        }
    }
    options.verbose = parser.isSet(verbose);
    return options;
}

// Prints each recorded tick as `scan --format` prints a session that ends
// with that tick, so replaying the recording can be checked against it: csv
// is the tick's whole list (nothing after a failed scan, as scan exits with
// the error); history-csv is the header once, then each tick's lines.
class TickPrinter {
public:
    TickPrinter(const QString &format, const Preferences &prefs)
        : m_format(format)
        , m_prefs(prefs) {}

    void print(const ScanCycle &cycle, const ScanTick &tick) {
        if (m_format == QLatin1String("history-csv")) {
            if (m_ticks++ == 0)
                m_out << SessionHistory::header(m_prefs);
            // Only this tick's lines are wanted: the history starts afresh each time.
            m_history.addTick(tick);
            m_out << m_history.lines(m_prefs);
            m_history.clear();
        } else if (cycle.lastScanError().isEmpty()) {
            m_vendors.apply(cycle.scanedResults());
            m_out << ScanOutput::list(m_format, cycle.scanedResults(), cycle.connectedNetwork(),
                                      m_prefs);
        }
        m_out.flush();
    }

private:
    QString m_format;
    const Preferences &m_prefs;
    QTextStream m_out{stdout};
    SessionHistory m_history;
    ScanOutput::VendorNames m_vendors;
    qint64 m_ticks = 0;
};

} // namespace

std::optional<qint64> parseDurationMs(const QString &text) {
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,9})([smh]?)$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const qint64 count = match.captured(1).toLongLong();
    const QString unit = match.captured(2);
    const qint64 unitMs = unit == QLatin1String("h")   ? 3'600'000
                          : unit == QLatin1String("m") ? 60'000
                                                       : 1000;
    if (count == 0 || count > 7 * 24 * 3'600'000LL / unitMs)
        return std::nullopt;
    return count * unitMs;
}

int runRecordCommand(const QStringList &arguments) {
    QString error;
    const std::optional<RecordOptions> options = parseOptions(arguments, &error);
    if (const std::optional<int> code = endOnArguments(options, error, true, recordUsage()))
        return *code;

    CycleOptions cycleOptions;
    cycleOptions.source = options->source;
    cycleOptions.verbose = options->verbose;
    CommandCycle run(cycleOptions);
    if (const int code = run.open(); code != 0)
        return code;
    ScenarioRecorder recorder;
    if (!recorder.open(options->out, run.source().interfaceName(), &error))
        return failWith(1, error);

    ScanCycle &cycle = run.cycle();
    std::optional<TickPrinter> printer;
    if (!options->format.isEmpty())
        printer.emplace(options->format, run.preferences());

    // Ticks start `interval` apart (or back to back), as long as ticks or
    // time remain; each finished tick is written before the next starts.
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    const qint64 intervalMs = std::llround(options->intervalSeconds * 1000.0);
    qint64 nextStartMs = 0;
    int exitCode = 0;
    QObject::connect(&cycle, &ScanCycle::tickFinished, &loop, [&](const ScanTick &tick) {
        if (!recorder.append(tick.heard, &error)) {
            exitCode = failWith(1, error);
            loop.quit();
            return;
        }
        if (printer)
            printer->print(cycle, tick);
        nextStartMs += intervalMs;
        const bool more = options->ticks > 0 ? recorder.scansWritten() < options->ticks
                                             : nextStartMs < options->durationMs;
        if (!more) {
            loop.quit();
            return;
        }
        const qint64 waitMs = std::max<qint64>(0, nextStartMs - clock.elapsed());
        QTimer::singleShot(std::chrono::milliseconds(waitMs), &cycle,
                           [&cycle] { cycle.pollingStarts(); });
    });
    cycle.pollingStarts();
    loop.exec();
    recorder.close();
    QTextStream(stderr) << "airlume-cli: recorded " << recorder.scansWritten() << " scans to "
                        << options->out << '\n';
    return exitCode;
}

QString recordUsage() {
    return QStringLiteral(
        "usage: airlume-cli record --source nl80211[:IFNAME]|scenario:FILE [--interval SECONDS]\n"
        "                          (--ticks N | --duration 10m) --out FILE\n"
        "                          [--format csv|history-csv] [--verbose] [--help]\n");
}
