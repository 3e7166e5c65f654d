#pragma once

#include "scan/ScanCycle.h"
#include "scan/source/SourceOption.h"
#include "settings/Preferences.h"

#include <QCommandLineOption>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QCommandLineParser;
class WirelessInterface;

// What every command that runs polling ticks back to back takes: where scans
// come from, how many ticks, the pause between them, and whether the
// informational log lines show.
struct CycleOptions {
    SourceOption source;
    int ticks = 1;
    double intervalSeconds = 0;
    bool verbose = false;
};

// The options above (--source, --ticks, --interval, --verbose) on a parser,
// and their values read back with their ranges checked.
class CycleOptionSet {
public:
    CycleOptionSet();
    void addTo(QCommandLineParser &parser) const;
    std::optional<CycleOptions> read(const QCommandLineParser &parser, QString *error) const;

private:
    QCommandLineOption m_source;
    QCommandLineOption m_ticks;
    QCommandLineOption m_interval;
    QCommandLineOption m_verbose;
};

// One line "airlume-cli: message" on standard error; returns `code`.
int failWith(int code, const QString &message);

// A scan cycle run from the command line: the source opened, the ticks run
// one after another to their table reloads as the window would see them,
// and what goes wrong told on standard error. The preferences live in
// memory, so the user's own settings stay untouched.
class CommandCycle {
public:
    explicit CommandCycle(const CycleOptions &options);
    ~CommandCycle();

    // Opens the source; the exit code: 0, 2 for a bad argument or file, 1
    // for a radio that cannot be used.
    int open();
    // Runs the ticks, calling `afterTick` with each one's number (from 1)
    // as it finishes; the exit code: 0, or 1 when the last scan failed.
    int run(const std::function<void(int)> &afterTick = {});

    Preferences &preferences() { return m_prefs; }
    ScanCycle &cycle() { return *m_cycle; }
    WirelessInterface &source() { return *m_source; }

private:
    CycleOptions m_options;
    Preferences m_prefs;
    std::unique_ptr<WirelessInterface> m_source;
    std::unique_ptr<ScanCycle> m_cycle;
};
