// Saving and reading back a large system's data file (30,000 values) against copying a
// file of the same size through the same file system (read whole, write whole through a
// replace that syncs). Goal: write plus read within 3 times the copy.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "archive/SystemSave.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "document/ProgramState.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"

namespace {

using namespace loom;
namespace fs = std::filesystem;

constexpr std::size_t kRecordCount = 30000;

// Names, streets, phone numbers, codes and settings as an installation has them: texts
// of 8 to 30 characters and numbers, at PROM addresses and address-less.
FieldStore makeStore() {
    static const char* const kWords[] = {"Storgatan", "Kund",       "Entr\xE9", "Lager",
                                         "Kontor",    "\xC5kesson", "Larmzon",  "Bakd\xF6rr",
                                         "Garage",    "V\xE4stra",  "Trapphus", "Sensor"};
    FieldStore store;
    store.reserve(kRecordCount);
    std::uint32_t byte = 0;
    for (std::uint32_t i = 0; i < kRecordCount; ++i) {
        FieldRecord r;
        switch (i % 6) {
            case 0:
            case 1: {  // text of 8-30 characters in a 32-byte field
                r.type = 5;
                r.size = 32 * 8;
                r.value = std::string(kWords[i % 12]) + " " + std::to_string(i);
                while (r.value.size() < 8 + i % 23)
                    r.value += i % 2 ? " A" : "x";
                r.value.resize(std::min<std::size_t>(r.value.size(), 30));
                break;
            }
            case 2:  // phone number
                r.type = 2;
                r.size = 16 * 4;
                r.value = "0046" + std::to_string(700000000 + i * 7919u % 99999999u);
                break;
            case 3:
                r.type = 0;
                r.size = 16;
                r.value = std::to_string(i % 65536);
                break;
            case 4:
                r.type = 1;
                r.size = 32;
                r.value = "BEEF" + std::to_string(1000 + i % 9000);
                break;
            default:  // address-less note
                r.type = 5;
                r.address = kAddresslessBit | (i << 3);
                r.value = "Anteckning nummer " + std::to_string(i);
                break;
        }
        if (r.address == 0) {
            r.address = byte << 3;
            byte += (sizeInBits(r.size) + 7) / 8;
        }
        r.flags = i < 4 ? kFieldFlagDisplayName : 0;
        store.copyIn(r);
    }
    return store;
}

struct Bench {
    fs::path root =
        fs::temp_directory_path() / ("loom-bench-datafile-" + std::to_string(::getpid()));
    SilentPrompt prompt;
    FixedClock clock{1'700'000'000};
    ProgramState context{prompt};
    FieldStore store = makeStore();
    fs::path data = root / "FILES" / "A1B2C3D0.KQD";
    fs::path copy = root / "FILES" / "COPY.KQD";

    Bench() {
        fs::create_directories(root / "FILES");
        context.setProgramDirectory(ProgramDirectory(root));
        context.setClock(clock);
        writeRead();
    }
    ~Bench() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    void writeRead() {
        DataFile file(context);
        if (!SaveSystem(context, data, "ALFA 2000", "hemligt", store, true).written ||
            !file.Read(data, true) || file.Store().size() != kRecordCount)
            std::abort();
    }
    void copyBytes() {
        std::string content, error;
        if (!context.files().readWhole(data, content, error) ||
            !context.files().writeWhole(copy, content, error))
            std::abort();
    }
};

void BM_DataFileWriteRead(benchmark::State& state) {
    Bench bench;
    for (auto _ : state)
        bench.writeRead();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(bench.data)) * 2);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRecordCount));
}
BENCHMARK(BM_DataFileWriteRead)->Unit(benchmark::kMillisecond);

// The two halves apart, to see where the time goes.
void BM_DataFileWrite(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        if (!SaveSystem(bench.context, bench.data, "ALFA 2000", "hemligt", bench.store, true)
                 .written)
            std::abort();
    }
}
BENCHMARK(BM_DataFileWrite)->Unit(benchmark::kMillisecond);

void BM_DataFileRead(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        DataFile file(bench.context);
        if (!file.Read(bench.data, true)) std::abort();
    }
}
BENCHMARK(BM_DataFileRead)->Unit(benchmark::kMillisecond);

void BM_CopySameBytes(benchmark::State& state) {
    Bench bench;
    for (auto _ : state)
        bench.copyBytes();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(bench.data)) * 2);
}
BENCHMARK(BM_CopySameBytes)->Unit(benchmark::kMillisecond);

// Both, alternated in one run so that the disk's mood affects them alike; the counters
// give the mean of each and their ratio (goal: ratio at most 3).
void BM_WriteReadOverCopy(benchmark::State& state) {
    Bench bench;
    using Clock = std::chrono::steady_clock;
    Clock::duration dataFile{}, copy{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        bench.writeRead();
        const auto t1 = Clock::now();
        bench.copyBytes();
        dataFile += t1 - t0;
        copy += Clock::now() - t1;
    }
    const double n = static_cast<double>(state.iterations());
    const auto ms = [n](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count() / n;
    };
    state.counters["bytes"] = static_cast<double>(fs::file_size(bench.data));
    state.counters["datafile_ms"] = ms(dataFile);
    state.counters["copy_ms"] = ms(copy);
    state.counters["ratio"] = ms(dataFile) / ms(copy);
}
BENCHMARK(BM_WriteReadOverCopy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
