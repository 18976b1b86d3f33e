// The archive's index: (a) rebuilding DATA.KQI and FORM.KQI from 10,000 data files against
// `cat` of the same files, and (b) a keyword search in a DATA.KQI of 100,000 lines against
// `grep -ciF` of the same file. Both are timed in the same run; the ratio is reported as a
// counter. Goal: each within 2 times its tool.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "archive/FileId.h"
#include "archive/IndexEngine.h"
#include "archive/ReindexArchive.h"
#include "archive/SystemSave.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "document/ProgramState.h"
#include "platform/Clock.h"
#include "platform/UserPrompt.h"

namespace {

using namespace loom;
namespace fs = std::filesystem;

constexpr std::size_t kDataFiles = 10000;
constexpr std::size_t kRecordsPerFile = 120;
constexpr std::size_t kIndexLines = 100000;

const char* const kWords[] = {"Storgatan", "Kund",       "Entr\xE9", "Lager",
                              "Kontor",    "\xC5kesson", "Larmzon",  "Bakd\xF6rr",
                              "Garage",    "V\xE4stra",  "Trapphus", "Malm\xF6"};

// A folder below the temporary directory, removed at the end of the program.
struct BenchHome {
    fs::path root;
    BenchHome() {
        root = fs::temp_directory_path() / ("loom-index-bench-" + std::to_string(::getpid()));
        fs::create_directories(root / "FILES");
        fs::create_directories(root / "INDEX");
        fs::create_directories(root / "FORMS");
    }
    ~BenchHome() {
        std::error_code error;
        fs::remove_all(root, error);
    }
};

BenchHome& home() {
    static BenchHome h;
    return h;
}

// An installation's values: name, address and town indexed, then zones, codes, phone
// numbers and settings, address-less so that no template is needed.
void writeDataFiles(AppContext& context) {
    static bool written = false;
    if (written) return;
    written = true;
    DataFile data(context);
    for (std::size_t f = 0; f < kDataFiles; ++f) {
        FieldStore store;
        for (std::size_t i = 0; i < kRecordsPerFile; ++i) {
            FieldRecord& r = store.findOrCreate(kAddresslessBit | static_cast<FieldAddress>(i + 1));
            r.flags = i < 3 ? kFieldFlagDisplayName : 0;
            r.type = 5;
            switch (i % 4) {
                case 0:
                    r.value = std::string(kWords[(f + i) % 12]) + " " + std::to_string(f);
                    break;
                case 1:
                    r.value = "0046" + std::to_string(700000000 + (f * 7919 + i) % 99999999);
                    break;
                case 2:
                    r.value = std::string(kWords[(f * 7 + i) % 12]) + " zon " + std::to_string(i);
                    break;
                default:
                    r.value = std::to_string((f + i) % 10000);
            }
        }
        const std::string id = MakeFileId(static_cast<std::uint32_t>(1600000000 + f), 'B');
        if (!SaveSystem(context, home().root / "FILES" / (id + ".KQD"), "ALFA 2000", "", store,
                        false)
                 .written)
            std::abort();
    }
}

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void runShell(const std::string& command) {
    if (std::system(command.c_str()) != 0 && command.find("grep") == std::string::npos)
        std::abort();
}

// What starting a tool through the shell costs by itself, so that a tool's own work can be
// told apart from its start (a few milliseconds matter against a fast search).
double shellStartSeconds() {
    double total = 0;
    constexpr int kRuns = 20;
    for (int i = 0; i < kRuns; ++i)
        total += secondsOf([] { runShell(": > /dev/null"); });
    return total / kRuns;
}

void BM_Rebuild(benchmark::State& state) {
    SilentPrompt prompt;
    ProgramState context(prompt);
    context.setProgramDirectory(ProgramDirectory(home().root));
    writeDataFiles(context);
    const std::string cat = "cat '" + (home().root / "FILES").string() + "'/*.KQD > /dev/null";
    double ours = 0, tool = 0;
    for (auto _ : state) {
        ours += secondsOf([&] {
            if (!ReindexArchive(context)) std::abort();
        });
        tool += secondsOf([&] { runShell(cat); });
    }
    const double runs = static_cast<double>(state.iterations());
    const double start = shellStartSeconds();
    state.counters["cat_ms"] = tool * 1000 / runs;
    state.counters["ours_ms"] = ours * 1000 / runs;
    state.counters["ratio"] = ours / tool;
    state.counters["ratio_to_work"] = ours / (tool - start * runs);
}

void BM_SearchIndex(benchmark::State& state) {
    SilentPrompt prompt;
    ProgramState context(prompt);
    context.setProgramDirectory(ProgramDirectory(home().root));
    const fs::path index = home().root / "INDEX" / "BENCH.KQI";
    {
        std::ofstream out(index, std::ios::binary);
        for (std::size_t i = 0; i < kIndexLines; ++i) {
            out << MakeFileId(static_cast<std::uint32_t>(1500000000 + i), 'C') << '\t'
                << kWords[i % 12] << ' ' << i << '\t' << kWords[(i * 7) % 12] << " zon " << i % 97
                << '\t' << "0046" << 700000000 + i * 7919 % 99999999 << "\r\n";
        }
    }
    // A word of about one line in 100.
    const std::string word = "zon 42";
    const std::string grep = "grep -ciF '" + word + "' '" + index.string() + "' > /dev/null";
    IndexEngine engine(context);
    double ours = 0, tool = 0;
    std::size_t hits = 0;
    for (auto _ : state) {
        ours += secondsOf([&] {
            std::vector<std::string> found;
            if (!engine.SearchIndex("BENCH.KQI", {word}, found)) std::abort();
            hits = found.size();
        });
        tool += secondsOf([&] { runShell(grep); });
    }
    // The same search on the index already in memory: what reading the file costs.
    std::string content;
    {
        std::ifstream in(index, std::ios::binary);
        content.assign(std::istreambuf_iterator<char>(in), {});
    }
    double scan = 0;
    for (int i = 0; i < 20; ++i) {
        scan += secondsOf([&] {
            std::vector<std::string> found;
            IndexEngine::searchContent(content, {word}, found);
            benchmark::DoNotOptimize(found.data());
        });
    }
    state.counters["scan_only_ms"] = scan * 1000 / 20;
    state.counters["hits"] = static_cast<double>(hits);
    const double runs = static_cast<double>(state.iterations());
    const double start = shellStartSeconds();
    state.counters["grep_ms"] = tool * 1000 / runs;
    state.counters["start_ms"] = start * 1000;
    state.counters["ours_ms"] = ours * 1000 / runs;
    state.counters["ratio"] = ours / tool;
    state.counters["ratio_to_work"] = ours / (tool - start * runs);
}

}  // namespace

BENCHMARK(BM_Rebuild)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SearchIndex)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_MAIN();
