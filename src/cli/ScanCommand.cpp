#include "ScanCommand.h"

#include "ScanOutput.h"
#include "netlist/CsvExport.h"
#include "netlist/VendorLookup.h"
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "scan/nl80211/Nl80211Interface.h"
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
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error =
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return std::nullopt;
    }
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
    if (!ok || options.intervalSeconds < 0 || options.intervalSeconds > 3600) {
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
                                        QStringLiteral("json")};
    if (!formats.contains(options.format)) {
        *error = QStringLiteral("--format takes table, csv or json");
        return std::nullopt;
    }
    options.verbose = parser.isSet(verbose);
    return options;
}

// Passes every call through to the source and remembers what its scans
// returned and how long reading them took, for --trace.
class TracedInterface : public WirelessInterface {
public:
    explicit TracedInterface(WirelessInterface &inner)
        : m_inner(inner) {}

    QString interfaceName() const override { return m_inner.interfaceName(); }
    bool powered() const override { return m_inner.powered(); }
    QString ssid() const override { return m_inner.ssid(); }
    QString bssid() const override { return m_inner.bssid(); }
    WlanChannel wlanChannel() const override { return m_inner.wlanChannel(); }
    int rssiValue() const override { return m_inner.rssiValue(); }
    int security() const override { return m_inner.security(); }
    int activePHYMode() const override { return m_inner.activePHYMode(); }
    bool setPower(bool on, QString *error) override { return m_inner.setPower(on, error); }
    QString statusNote() const override { return m_inner.statusNote(); }
    std::optional<QList<ScanResult>> scanForNetworks(QString *error) override {
        QElapsedTimer timer;
        timer.start();
        std::optional<QList<ScanResult>> results = m_inner.scanForNetworks(error);
        readMicroseconds = timer.nsecsElapsed() / 1000;
        // Entries the kernel still holds that the last scan no longer heard.
        const auto *radio = dynamic_cast<const Nl80211Interface *>(&m_inner);
        dropped = radio ? radio->lastStaleCount() : 0;
        heard.clear();
        if (results) {
            for (const ScanResult &r : *results)
                heard.append(r.bssid);
        }
        return results;
    }

    qint64 readMicroseconds = 0;
    int dropped = 0;
    QStringList heard;

private:
    WirelessInterface &m_inner;
};

// The monotonic clock in milliseconds (since boot on Linux), to line ticks up
// with other events on the machine.
qint64 monotonicMs() {
    QElapsedTimer now;
    now.start();
    return now.msecsSinceReference();
}

// One line per tick on standard error: what the scan heard, how long the
// read took and what the list holds with each record's missed-scan count.
void traceTick(const ScanCycle &cycle, const TracedInterface &traced, int tick) {
    QJsonArray listed;
    for (const NetworkModelPtr &r : cycle.scanedResults())
        listed.append(
            QJsonObject{{QStringLiteral("bssid"), r->bssid}, {QStringLiteral("count"), r->count}});
    const QJsonObject line{{QStringLiteral("tick"), tick},
                           {QStringLiteral("readUs"), traced.readMicroseconds},
                           {QStringLiteral("monotonicMs"), monotonicMs()},
                           {QStringLiteral("heard"), QJsonArray::fromStringList(traced.heard)},
                           {QStringLiteral("dropped"), traced.dropped},
                           {QStringLiteral("listed"), listed},
                           {QStringLiteral("error"), cycle.lastScanError()},
                           {QStringLiteral("note"), traced.statusNote()}};
    QTextStream(stderr) << "airlume-trace " << QJsonDocument(line).toJson(QJsonDocument::Compact)
                        << Qt::endl;
}

// Runs the ticks one after another, each to its table reload, as the window
// would see them, with the given pause between them.
void runTicks(ScanCycle &cycle, const ScanOptions &options, const TracedInterface *traced) {
    QEventLoop loop;
    int reloads = 0;
    const int pauseMs = static_cast<int>(options.intervalSeconds * 1000.0);
    QObject::connect(&cycle, &ScanCycle::tableReloadRequested, &loop, [&] {
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

    TracedInterface traced(*iface);
    WirelessInterface *scanned = options->trace ? &traced : iface.get();
    ScanCycle cycle([scanned] { return scanned; }, prefs);
    runTicks(cycle, *options, options->trace ? &traced : nullptr);
    if (!cycle.lastScanError().isEmpty())
        return fail(1, cycle.lastScanError());
    if (const QString status = iface->statusNote(); !status.isEmpty())
        QTextStream(stderr) << "airlume-cli: " << status << '\n';

    // The vendor column from the bundled file only: the CLI asks no web service.
    VendorLookup vendors(prefs, nullptr);
    vendors.vendorName();
    for (const NetworkModelPtr &r : cycle.scanedResults()) {
        if (const QString vendor = vendors.fileVendor(r->bssid); !vendor.isNull())
            r->vendor = vendor;
    }

    QTextStream out(stdout);
    if (options->format == QLatin1String("csv"))
        out << CsvExport::document(cycle.scanedResults(), cycle.connectedNetwork(), prefs);
    else if (options->format == QLatin1String("json"))
        out << ScanOutput::json(cycle.scanedResults(), cycle.connectedNetwork());
    else
        out << ScanOutput::table(cycle.scanedResults(), cycle.connectedNetwork(), prefs);
    return 0;
}

QString scanUsage() {
    return QStringLiteral(
        "usage: airlume-cli scan [--source auto|nl80211[:IFNAME]|scenario:FILE] [--ticks N]\n"
        "                        [--interval SECONDS] [--unit dBm|Percent]\n"
        "                        [--format table|csv|json] [--trace] [--verbose] [--help]\n");
}
