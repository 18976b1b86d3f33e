// Re-enciphering an archive after a change of the system password: 2,000 data files of
// 300 values each, every one read, checked and written again through a temporary file
// (synced to the disk, then renamed) with its index line. Reported as files per second.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchArchive.h"
#include "archive/SystemPassword.h"
#include "context/AppContext.h"
#include "document/ProgramState.h"
#include "platform/UserPrompt.h"

namespace {

using namespace loom;

constexpr int kFileCount = 2000;

struct Archive {
    SilentPrompt prompt;
    ProgramState context{prompt};
    bench::BenchArchive files{context, "reencipher", kFileCount};
};

void BM_ReencipherArchive(benchmark::State& state) {
    static Archive archive;
    // Alternating keeps every file under one of the two passwords: no dialog is needed.
    bool forward = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ReencipherDataFiles(archive.context, forward ? "new" : "old", forward ? "old" : "new"));
        forward = !forward;
    }
    state.counters["files/s"] = benchmark::Counter(
        static_cast<double>(kFileCount) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReencipherArchive)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
