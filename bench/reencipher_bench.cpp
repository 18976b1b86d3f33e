// Re-enciphering an archive after a change of the system password: 2,000 data files of
// 300 values each, every one read, checked and written again through a temporary file
// (synced to the disk, then renamed) with its index line. Reported as files per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

#include "archive/SystemPassword.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "fields/FieldStore.h"
#include "platform/UserPrompt.h"

namespace {

using namespace loom;

constexpr int kFileCount = 2000;
constexpr int kRecordsPerFile = 300;

// Values of mixed types as a template lays them out, plus the display-name fields.
FieldStore makeStore(int file) {
    FieldStore store;
    FieldAddress address = 0x100u << 3;
    for (int i = 0; i < kRecordsPerFile; ++i) {
        FieldRecord& r = store.findOrCreate(address);
        switch (i % 4) {
            case 0:
                r.type = 0;
                r.size = 16;
                r.value = std::to_string(i * 7 % 1000);
                break;
            case 1:
                r.type = 1;
                r.size = 16;
                r.value = "BEEF";
                break;
            case 2:
                r.type = 5;
                r.size = 16 * 8;
                r.value = "Entr\xE9 " + std::to_string(i);
                break;
            default:
                r.type = 8;
                r.size = 1;
                r.value = "1";
                break;
        }
        address += 16u << 3;
    }
    FieldRecord& name = store.findOrCreate(kAddresslessBit | (20000u << 3));
    name.flags = kFieldFlagDisplayName;
    name.value = "Kund " + std::to_string(file) + "\tStorgatan " + std::to_string(file % 90);
    return store;
}

struct Archive {
    std::filesystem::path root = std::filesystem::temp_directory_path() /
                                 ("loom-bench-reencipher-" + std::to_string(::getpid()));
    SilentPrompt prompt;
    AppContext context{prompt};

    Archive() {
        context.setProgramDirectory(ProgramDirectory(root));
        std::filesystem::create_directories(
            context.programDirectory().folder(ProgramFolder::Files));
        std::filesystem::create_directories(
            context.programDirectory().folder(ProgramFolder::Index));
        DataFile file(context);
        for (int i = 0; i < kFileCount; ++i) {
            const std::string name = "B" + std::to_string(100000 + i) + "0.KQD";
            file.Write(context.programDirectory().file(ProgramFolder::Files, name), "GL 200", "old",
                       makeStore(i), false);
        }
    }
    ~Archive() {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
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
