// Scenario files come from users and bug reports: any bytes must end in an
// interface or a message, never a crash, and the result must play safely.
#include "scan/sim/ScenarioReader.h"
#include "scan/sim/ScenarioRecorder.h"
#include "scan/sim/SimulatedInterface.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // Power switches answer through the event loop.
    static int argc = 1;
    static char name[] = "fuzz_scenario";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    const QByteArray json =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString error;
    auto iface = SimulatedInterface::fromJson(json, QStringLiteral("fuzz.json"), &error);
    if (!iface) {
        // Every refusal says why, on one line.
        if (error.isEmpty() || error.contains(QLatin1Char('\n')))
            __builtin_trap();
        return 0;
    }
    // The reader walks the containers itself: what it takes must be JSON to
    // Qt's parser as well, as one document or as lines of them (the last
    // of which may have been left out as cut short).
    if (QJsonDocument::fromJson(json).isNull()) {
        QList<QByteArray> lines = json.split('\n');
        if (lines[0].startsWith("\xef\xbb\xbf"))
            lines[0].remove(0, 3);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i].trimmed().isEmpty() || !QJsonDocument::fromJson(lines[i]).isNull())
                continue;
            // Only the last non-blank line may be left out, and only with a warning.
            bool last = true;
            for (qsizetype j = i + 1; j < lines.size(); ++j)
                last = last && lines[j].trimmed().isEmpty();
            if (!last || iface->loadWarning().isEmpty())
                __builtin_trap();
        }
    }
    // Recording what was read gives a file that reads back, scan for scan.
    // Written-out names that the reader had to escape (bytes that are no
    // UTF-8) come back longer than 32 bytes, so those scans are left aside.
    const std::optional<Scenario> scenario =
        readScenario(json, QStringLiteral("fuzz.json"), &error);
    if (!scenario)
        __builtin_trap();
    QByteArray recorded = ScenarioRecorder::headerLine(scenario->interfaceName, 0);
    qsizetype kept = 0;
    for (const ScenarioScan &scan : scenario->scans) {
        bool escaped = false;
        for (const ScanResult &r : scan.networks)
            escaped = escaped || (r.capability < 0 && r.ssid.contains(QLatin1String("\\x")));
        if (escaped)
            continue;
        HeardScan heard;
        if (!scan.error)
            heard.networks = scan.networks;
        if (scan.joinedIndex >= 0)
            heard.link = JoinedLink{scan.networks[scan.joinedIndex].ssid,
                                    scan.networks[scan.joinedIndex].bssid,
                                    scan.networks[scan.joinedIndex].wlanChannel(),
                                    scan.networks[scan.joinedIndex].rssiValue,
                                    0,
                                    0};
        heard.timeMs = scan.timeMs;
        recorded += ScenarioRecorder::scanLine(heard);
        ++kept;
    }
    if (kept > 0) {
        const std::optional<Scenario> again =
            readScenario(recorded, QStringLiteral("again.jsonl"), &error);
        if (!again || again->scans.size() != kept || !again->truncationWarning.isEmpty())
            __builtin_trap();
    }
    for (int i = 0; i < 5; ++i) {
        const auto results = iface->playNextScan(&error);
        int associated = 0;
        if (results) {
            for (const ScanResult &r : *results)
                associated += r.associated ? 1 : 0;
        }
        // The joined network, when there is one, is among the results.
        if (associated > 1 || (results && (associated == 1) == iface->bssid().isNull()))
            __builtin_trap();
        (void)iface->ssid();
        (void)iface->wlanChannel();
        (void)iface->rssiValue();
        (void)iface->security();
        (void)iface->activePHYMode();
        if (i == 2)
            iface->setPowerAsync(!iface->powered());
        if (i == 3)
            iface->setPowerAsync(true);
        QCoreApplication::sendPostedEvents(iface.get());
    }
    return 0;
}
