#pragma once

#include "scan/ScanResult.h"
#include "scan/WirelessInterface.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// One recorded scan: what the radio heard and which of those it was joined to.
struct ScenarioScan {
    QList<ScanResult> networks;     // file order; the joined one has associated = true
    int joinedIndex = -1;           // into networks; -1 while not joined
    bool error = false;             // the scan fails when played
    std::optional<JoinedLink> link; // the interface's own view of the joined network, if recorded
    qint64 timeMs = 0;              // when it was recorded (ms since the epoch); 0 when not given
};

// What a scenario may hold; a recording stops before it would exceed them.
namespace scenariolimits {
// Far beyond any hand-written file; a wrong path to a huge file fails fast.
constexpr qint64 fileMaxBytes = 64 * 1024 * 1024;
// A day of scans a second apart, and five networks a scan on average: they
// hold the checked scenario to a few times its file.
constexpr qsizetype scansMax = 100000;
constexpr qsizetype networksMax = 500000;
} // namespace scenariolimits

// A checked scenario file, ready to play.
struct Scenario {
    enum class Repeat { Last, Cycle };

    QString sourceName; // the file it came from, for messages
    QString interfaceName = QStringLiteral("wlan0");
    bool powered = true;
    Repeat repeat = Repeat::Last;
    QList<ScenarioScan> scans; // never empty once read
    // JSON Lines only: why a half-written last line was left out; empty otherwise.
    QString truncationWarning;
};

// Parses and checks a scenario: one JSON object holding "scans", or JSON
// Lines (a header object without "scans" on the first line, then one scan
// object per line, as a recording writes them). A last line cut short by a
// crash is left out with a warning (logged and kept in truncationWarning);
// any other fault refuses the file. On failure returns nothing and sets *error
// (when given) to one line: "<sourceName>: <place>: <problem>", the place
// being a path such as scans[2].networks[5].rssi or a line and column. A
// scenario holds at most 100000 scans and 500000 networks in all; reading
// it takes a few times the size of the text.
std::optional<Scenario> readScenario(const QByteArray &json, const QString &sourceName,
                                     QString *error);

// Same for a file, including a Qt resource path; an unreadable file, and
// anything but a regular file (a FIFO, a device), is reported the same way.
std::optional<Scenario> readScenarioFile(const QString &path, QString *error);
