#pragma once

#include "scan/ScanResult.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// One recorded scan: what the radio heard and which of those it was joined to.
struct ScenarioScan {
    QList<ScanResult> networks; // file order; the joined one has associated = true
    int joinedIndex = -1;       // into networks; -1 while not joined
    bool error = false;         // the scan fails when played
};

// A checked scenario file, ready to play.
struct Scenario {
    enum class Repeat { Last, Cycle };

    QString sourceName; // the file it came from, for messages
    QString interfaceName = QStringLiteral("wlan0");
    bool powered = true;
    Repeat repeat = Repeat::Last;
    QList<ScenarioScan> scans; // never empty once read
};

// Parses and checks a scenario. On failure returns nothing and sets *error
// (when given) to one line: "<sourceName>: <place>: <problem>", the place
// being a path such as scans[2].networks[5].rssi or a line and column. A
// scenario holds at most 100000 scans and 500000 networks in all; reading
// it takes a few times the size of the text.
std::optional<Scenario> readScenario(const QByteArray &json, const QString &sourceName,
                                     QString *error);

// Same for a file, including a Qt resource path; an unreadable file, and
// anything but a regular file (a FIFO, a device), is reported the same way.
std::optional<Scenario> readScenarioFile(const QString &path, QString *error);
