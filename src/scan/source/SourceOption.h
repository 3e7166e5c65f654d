#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QObject;
class WirelessInterface;

// Where scans come from: "auto", "nl80211[:IFNAME]" or "scenario:FILE".
struct SourceOption {
    enum class Kind { Auto, Nl80211, Scenario };
    Kind kind = Kind::Auto;
    QString argument; // interface name or scenario file

    static std::optional<SourceOption> parse(const QString &text, QString *error);
};

// Opens the source. On failure returns null with *error set; *usageError
// tells a bad argument or file (exit 2) from a radio that cannot be used.
// *note receives a line for standard error when auto had to fall back.
std::unique_ptr<WirelessInterface> openSource(const SourceOption &source, QString *error,
                                              bool *usageError, QString *note);

// The same without waiting for a named radio (nl80211:IFNAME): the kernel is asked off this
// thread, and `done` runs later on this thread with the interface or null and the error, unless
// `context` is gone. Other sources open at once (a scenario is a local file), but are answered
// later all the same.
using SourceOpened = std::function<void(std::unique_ptr<WirelessInterface>, const QString &error)>;
void openSourceLater(const SourceOption &source, QObject *context, SourceOpened done);
