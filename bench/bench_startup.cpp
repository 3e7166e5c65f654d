// What a user waits for when running airlume-cli: the whole process, from
// exec to exit, scanning a three-network scenario, beside the floor every
// process pays (exec and the dynamic linker, measured by --version); and the
// vendor table in-process, which once cost two thirds of a run.
#include "netlist/VendorIndex.h"
#include "netlist/VendorTable.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

// Runs airlume-cli to its exit with both outputs thrown away; its exit code.
int runCli(std::vector<std::string> args) {
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    args.insert(args.begin(), AIRLUME_CLI);
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, AIRLUME_CLI, &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void timeCli(benchmark::State &state, const std::vector<std::string> &args) {
    for (auto _ : state) {
        if (runCli(args) != 0) {
            state.SkipWithError("airlume-cli failed");
            break;
        }
    }
}

// Target: under 12 ms.
void BM_CliScanThreeNetworks(benchmark::State &state) {
    timeCli(state, {"scan", "--source=scenario:" AIRLUME_BENCH_DATA "/three-networks.json"});
}
BENCHMARK(BM_CliScanThreeNetworks)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CliVersion(benchmark::State &state) {
    timeCli(state, {"--version"});
}
BENCHMARK(BM_CliVersion)->Unit(benchmark::kMillisecond)->UseRealTime();

// Taking the bundled table and the first answer from it: what a start pays.
void BM_VendorFirstLookup(benchmark::State &state) {
    for (auto _ : state) {
        QString why;
        const auto table = VendorIndex::fromFile(bundledVendorTable(), &why);
        benchmark::DoNotOptimize(table->vendorFor(QStringLiteral("00:1b:2c:00:00:01")));
    }
}
BENCHMARK(BM_VendorFirstLookup)->Unit(benchmark::kMicrosecond);

// Making the table from the vendor file's text, as the build now does once.
void BM_VendorTableFromText(benchmark::State &state) {
    QFile file(QStringLiteral(AIRLUME_VENDOR_TEXT));
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("the generated vendor text is missing");
        return;
    }
    const QString text = QString::fromUtf8(file.readAll());
    for (auto _ : state)
        benchmark::DoNotOptimize(VendorIndex::build(text));
}
BENCHMARK(BM_VendorTableFromText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
