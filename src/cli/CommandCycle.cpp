#include "CommandCycle.h"

#include "scan/WirelessInterface.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTextStream>
#include <QTimer>
#include <cmath>

CycleOptionSet::CycleOptionSet()
    : m_source(QStringLiteral("source"), QString(), QStringLiteral("source"),
               QStringLiteral("auto"))
    , m_ticks(QStringLiteral("ticks"), QString(), QStringLiteral("n"), QStringLiteral("1"))
    , m_interval(QStringLiteral("interval"), QString(), QStringLiteral("seconds"),
                 QStringLiteral("0"))
    , m_verbose(QStringLiteral("verbose")) {}

void CycleOptionSet::addTo(QCommandLineParser &parser) const {
    parser.addOptions({m_source, m_ticks, m_interval, m_verbose});
}

std::optional<CycleOptions> CycleOptionSet::read(const QCommandLineParser &parser,
                                                 QString *error) const {
    CycleOptions options;
    const auto source = SourceOption::parse(parser.value(m_source), error);
    if (!source)
        return std::nullopt;
    options.source = *source;
    bool ok = false;
    options.ticks = parser.value(m_ticks).toInt(&ok);
    if (!ok || options.ticks < 1 || options.ticks > 100000) {
        *error = QStringLiteral("--ticks takes a whole number from 1 to 100000");
        return std::nullopt;
    }
    options.intervalSeconds = parser.value(m_interval).toDouble(&ok);
    // "nan" and "inf" parse as numbers but order with nothing: refused here.
    if (!ok || !std::isfinite(options.intervalSeconds) || options.intervalSeconds < 0 ||
        options.intervalSeconds > 3600) {
        *error = QStringLiteral("--interval takes seconds from 0 to 3600");
        return std::nullopt;
    }
    options.verbose = parser.isSet(m_verbose);
    return options;
}

int failWith(int code, const QString &message) {
    QTextStream(stderr) << "airlume-cli: " << message << '\n';
    return code;
}

CommandCycle::CommandCycle(const CycleOptions &options)
    : m_options(options)
    , m_prefs(std::make_shared<MemoryPreferenceStore>()) {
    m_prefs.writeLaunchDefaults();
}

CommandCycle::~CommandCycle() = default;

int CommandCycle::open() {
    if (!m_options.verbose)
        QLoggingCategory::setFilterRules(QStringLiteral("airlume.*.info=false"));
    QString error, note;
    bool usageError = false;
    m_source = openSource(m_options.source, &error, &usageError, &note);
    if (!m_source)
        return failWith(usageError ? 2 : 1, error);
    if (!note.isEmpty())
        QTextStream(stderr) << "airlume-cli: " << note << '\n';
    WirelessInterface *scanned = m_source.get();
    m_cycle = std::make_unique<ScanCycle>([scanned] { return scanned; }, m_prefs);
    return 0;
}

int CommandCycle::run(const std::function<void(int)> &afterTick) {
    QEventLoop loop;
    int reloads = 0;
    const int pauseMs = static_cast<int>(m_options.intervalSeconds * 1000.0);
    ScanCycle &cycle = *m_cycle;
    const QMetaObject::Connection done =
        QObject::connect(&cycle, &ScanCycle::tickFinished, &loop, [&] {
            ++reloads;
            if (afterTick)
                afterTick(reloads);
            if (reloads == m_options.ticks)
                loop.quit();
            else if (pauseMs == 0)
                cycle.pollingStarts();
            else
                QTimer::singleShot(pauseMs, &cycle, [&cycle] { cycle.pollingStarts(); });
        });
    cycle.pollingStarts();
    loop.exec();
    QObject::disconnect(done);
    if (!cycle.lastScanError().isEmpty())
        return failWith(1, cycle.lastScanError());
    if (const QString status = m_source->statusNote(); !status.isEmpty())
        QTextStream(stderr) << "airlume-cli: " << status << '\n';
    return 0;
}
