#include "ChannelsCommand.h"

#include "ChannelsOutput.h"
#include "CommandCycle.h"
#include "StrictParse.h"
#include "scan/WirelessInterface.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QTextStream>

namespace {

struct ChannelsOptions {
    CycleOptions cycle;
    bool json = false;
    bool help = false;
};

// *usageError tells a wrongly formed command line from a bad value.
std::optional<ChannelsOptions> parseOptions(const QStringList &arguments, QString *error,
                                            bool *usageError) {
    *usageError = true;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const CycleOptionSet cycle;
    cycle.addTo(parser);
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("format"),
                                    QStringLiteral("table"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({format, help});
    if (!parseStrictly(parser, arguments, error))
        return std::nullopt;
    *usageError = false;

    ChannelsOptions options;
    if (parser.isSet(help)) {
        options.help = true;
        return options;
    }
    const std::optional<CycleOptions> cycleOptions = cycle.read(parser, error);
    if (!cycleOptions)
        return std::nullopt;
    options.cycle = *cycleOptions;
    const QString formatName = parser.value(format);
    if (formatName != QLatin1String("table") && formatName != QLatin1String("json")) {
        *error = QStringLiteral("--format takes table or json");
        return std::nullopt;
    }
    options.json = formatName == QLatin1String("json");
    return options;
}

// The adapter's channel list, waited for: the command has nothing else to do
// meanwhile. Nothing for a source that keeps none.
KernelChannels adapterChannels(WirelessInterface &source) {
    QEventLoop loop;
    KernelChannels channels;
    source.readAdapterChannels(&loop, [&](const AdapterChannels &answer) {
        channels = answer;
        loop.quit();
    });
    loop.exec();
    return channels;
}

} // namespace

int runChannelsCommand(const QStringList &arguments) {
    QString error;
    bool usageError = false;
    const std::optional<ChannelsOptions> options = parseOptions(arguments, &error, &usageError);
    if (const std::optional<int> code = endOnArguments(options, error, usageError, channelsUsage()))
        return *code;

    CommandCycle run(options->cycle);
    if (const int code = run.open(); code != 0)
        return code;
    if (const int code = run.run(); code != 0)
        return code;
    const QList<Radio> radios = groupRadios(run.cycle().scanedResults());
    const QList<BandRating> bands = rateBands(radios, adapterChannels(run.source()));
    QTextStream(stdout) << (options->json ? ChannelsOutput::json(bands, radios)
                                          : ChannelsOutput::table(bands, radios));
    return 0;
}

QString channelsUsage() {
    return QStringLiteral(
        "usage: airlume-cli channels [--source auto|nl80211[:IFNAME]|scenario:FILE] [--ticks N]\n"
        "                            [--interval SECONDS] [--format table|json] [--verbose]\n"
        "                            [--help]\n");
}
