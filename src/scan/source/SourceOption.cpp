#include "SourceOption.h"

#include "scan/nl80211/Nl80211Interface.h"
#include "scan/sim/SimulatedInterface.h"

std::optional<SourceOption> SourceOption::parse(const QString &text, QString *error) {
    SourceOption source;
    if (text == QLatin1String("auto"))
        return source;
    if (text == QLatin1String("nl80211") || text.startsWith(QLatin1String("nl80211:"))) {
        source.kind = Kind::Nl80211;
        source.argument = text.mid(8);
        return source;
    }
    if (text.startsWith(QLatin1String("scenario:")) && text.size() > 9) {
        source.kind = Kind::Scenario;
        source.argument = text.mid(9);
        return source;
    }
    *error = QStringLiteral("unknown source \"%1\" (use auto, nl80211[:IFNAME] or scenario:FILE)")
                 .arg(text);
    return std::nullopt;
}

std::unique_ptr<WirelessInterface> openSource(const SourceOption &source, QString *error,
                                              bool *usageError, QString *note) {
    *usageError = false;
    switch (source.kind) {
    case SourceOption::Kind::Scenario: {
        auto sim = SimulatedInterface::fromFile(source.argument, error);
        *usageError = !sim;
        return sim;
    }
    case SourceOption::Kind::Nl80211:
        return Nl80211Interface::open(source.argument, error);
    case SourceOption::Kind::Auto:
        break;
    }
    QString why;
    if (auto radio = Nl80211Interface::open(QString(), &why))
        return radio;
    *note = QStringLiteral("no Wi-Fi interface found (%1); playing the demo scenario").arg(why);
    return SimulatedInterface::fromFile(SimulatedInterface::demoScenarioPath(), error);
}

void openSourceLater(const SourceOption &source, QObject *context, SourceOpened done) {
    if (source.kind == SourceOption::Kind::Nl80211) {
        Nl80211Interface::openAsync(
            source.argument, context,
            [done = std::move(done)](std::unique_ptr<Nl80211Interface> radio,
                                     const QString &error) { done(std::move(radio), error); });
        return;
    }
    QString error;
    bool usageError = false;
    QString note;
    // Shared, so that the copyable job below can carry the interface.
    auto opened = std::make_shared<std::unique_ptr<WirelessInterface>>(
        openSource(source, &error, &usageError, &note));
    QMetaObject::invokeMethod(
        context, [opened, error, done = std::move(done)] { done(std::move(*opened), error); },
        Qt::QueuedConnection);
}
