// Scenario files come from users and bug reports: any bytes must end in an
// interface or a message, never a crash, and the result must play safely.
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
    // Qt's parser as well.
    if (QJsonDocument::fromJson(json).isNull())
        __builtin_trap();
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
