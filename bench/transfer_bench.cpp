// PROM write and read over loopback TCP against the simulated panel, with the program's
// real link timing: the demo system (a few dozen blocks) and a full 128 KiB image (8192
// blocks, none erased). Each run reports its protocol floor, computed from the same run:
// every frame and ACK byte the program writes is followed by the 30 ms gap the panel
// needs, plus the panel's erase time (less the gap after the erase frame, which passes
// while the panel erases). No wire time is emulated. The transfer should stay close to that floor.
//
// Also reported: what an implementation that polls literally (a 50 ms sleep before each
// frame it takes in over TCP, as the receive loop's step) would need for the same
// exchange; the worst case of such a loop, where no frame is ever in at the first look.
//
// The full-image cases take minutes each (8192 frames x 30 ms), so they run one
// iteration.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "PanelSimulator.h"
#include "SourceCompiler.h"
#include "archive/FileId.h"
#include "context/AppContext.h"
#include "document/ProgramState.h"
#include "fields/FieldStore.h"
#include "fields/PromImageBuilder.h"
#include "link/PromLink.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TreeSink.h"
#include "transfer/TransferJob.h"
#include "transfer/TransferReceiver.h"
#include "transfer/TransferWorker.h"

namespace {

using namespace loom;

constexpr int kEraseDelayMs = 500;
constexpr double kPollStepMs = 50;  // the literal TCP receive loop's sleep

// The worker's notifications, taken on its own thread: the go-ahead after the identity,
// nothing else.
class BenchReceiver final : public TransferReceiver {
  public:
    explicit BenchReceiver(TransferJob& job) : job_(job) {}
    void transferBegun() override {}
    void transferDone(const TransferOutcome&) override {}
    void panelIdentity(bool, std::unique_ptr<std::string>) override { job_.proceed.set(); }
    void blockReceived(std::unique_ptr<ReceivedBlock>) override {}
    void progress(int) override {}
    void statusText(std::unique_ptr<std::string>) override {}
    void waiting(int) override {}

  private:
    TransferJob& job_;
};

// What a write sends: the values, the template's model and PROM places.
struct System {
    FieldStore values;
    std::string model = "GL 200";
    std::int64_t idAddress = -1;
    std::int64_t productAddress = -1;
};

// The first demo system: the GL 200 template's defaults with the values the demo gives.
System demoSystem() {
    std::ifstream in(std::filesystem::path(LOOM_DEMO_DIR) / "forms" / "GL200.kqf");
    std::stringstream source;
    source << in.rdbuf();
    NullTreeSink tree;
    EventTexts events;
    FormRules rules;
    SilentPrompt prompt;
    ParserEnvironment env{tree, events, rules, prompt, DialogUnits{}, nullptr, {}};
    bool noErase = false;
    const std::unique_ptr<Form> form = Parser().LoadFromMemory(
        kqform::SourceCompiler::compile(source.str()), "GL200.FRM", env, noErase);
    System s;
    if (!form) return s;
    s.values = form->store();
    for (const auto& [address, value] :
         {std::pair<FieldAddress, const char*>{0x100, "\xC5kerlunds Bageri AB"},
          {0x200, "Storgatan 12"},
          {0x300, "123 45 Storby"},
          {0x4C0, "1201"}})
        if (FieldRecord* f = s.values.find(address)) f->value = value;
    s.idAddress = form->idAddress();
    s.productAddress = form->productAddress();
    return s;
}

// Every 16-byte block of the 128 KiB PROM holds a text of 16 characters.
System fullSystem() {
    System s;
    for (std::uint32_t address = 0; address < panelsim::kPromSize; address += 16) {
        char text[17];
        std::snprintf(text, sizeof text, "Block %05X     ", static_cast<unsigned>(address));
        s.values.copyIn(FieldRecord{address << 3, 128, 5, 0, text});
    }
    return s;
}

// One program and one panel, connected over loopback TCP for the whole benchmark.
class Bench {
  public:
    // `prom`: what the panel's PROM holds at the start.
    explicit Bench(PromImage prom = {}) : panel_(config(std::move(prom))), worker_(context_, job_) {
        job_.receiver = &receiver_;
        const auto port = panel_.startTcp();
        connected_ =
            port && context_.link().ConnectTcp("127.0.0.1", std::to_string(*port), "123456");
        context_.link().SetAbortEvent(&job_.cancel);
    }
    ~Bench() { context_.link().Close(); }

    bool connected() const { return connected_; }

    // The floor of the last operation in milliseconds, and the frames the program took in.
    struct Run {
        bool ok = false;
        double floorMs = 0;
        std::uint64_t framesIn = 0;
        std::uint64_t blocks = 0;
    };

    Run write(const System& s) {
        job_.snapshot = std::make_unique<FieldStore>(s.values);
        job_.readFlag = false;
        job_.logFlag = false;
        job_.noErase = false;
        job_.templateModel = s.model;
        const std::vector<std::uint8_t> id = FileIdToBytes(MakeFileId(1'700'000'000u, 'D'));
        job_.fileIdForm.assign(id.begin(), id.end());
        job_.idAddress = s.idAddress;
        job_.productAddress = s.productAddress;
        return measure([this] { return worker_.runWrite(); }, kEraseDelayMs);
    }

    Run read() {
        job_.readFlag = true;
        job_.logFlag = false;
        job_.noErase = false;
        return measure([this] { return worker_.runRead(); }, 0);
    }

  private:
    static panelsim::PanelConfig config(PromImage prom) {
        panelsim::PanelConfig c;
        c.settings.eraseDelayMs = kEraseDelayMs;
        c.image = std::move(prom);
        return c;
    }

    template <typename Operation>
    Run measure(Operation operation, int eraseMs) {
        PromLink& link = context_.link();
        job_.resetEvents();
        link.ResetCounters();
        const panelsim::PanelCounters before = panel_.counters();
        Run r;
        r.ok = operation() != 0;
        const panelsim::PanelCounters after = panel_.counters();
        const double gap = link.timing().frameGapMs;
        // The panel erases while the program keeps the gap after the erase frame, so that
        // gap is part of the erase time.
        r.floorMs = static_cast<double>(link.FramesWritten() + link.AckBytesWritten()) * gap +
                    std::max(0.0, eraseMs - gap);
        r.framesIn = after.framesSent - before.framesSent;
        r.blocks =
            (after.blocksWritten - before.blocksWritten) + (after.blocksRead - before.blocksRead);
        return r;
    }

    SilentPrompt prompt_;
    ProgramState context_{prompt_};
    panelsim::PanelSimulator panel_;
    TransferJob job_;
    BenchReceiver receiver_{job_};
    TransferWorker worker_;
    bool connected_ = false;
};

void report(benchmark::State& state, double seconds, const Bench::Run& totals, int runs) {
    const double measuredMs = seconds * 1000 / runs;
    const double floorMs = totals.floorMs / runs;
    const double literalMs =
        (totals.floorMs + static_cast<double>(totals.framesIn) * kPollStepMs) / runs;
    state.counters["blocks"] = static_cast<double>(totals.blocks) / runs;
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio"] = measuredMs / floorMs;
    state.counters["literal_ms"] = literalMs;
}

template <typename Operation>
void runBench(benchmark::State& state, PromImage prom, Operation operation) {
    Bench bench(std::move(prom));
    if (!bench.connected()) {
        state.SkipWithError("no connection to the simulated panel");
        return;
    }
    Bench::Run totals;
    double seconds = 0;
    int runs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const Bench::Run r = operation(bench);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!r.ok) {
            state.SkipWithError("the transfer failed");
            return;
        }
        totals.floorMs += r.floorMs;
        totals.framesIn += r.framesIn;
        totals.blocks += r.blocks;
        ++runs;
    }
    if (runs > 0) report(state, seconds, totals, runs);
}

void BM_WriteDemoSystem(benchmark::State& state) {
    const System s = demoSystem();
    runBench(state, {}, [&](Bench& b) { return b.write(s); });
}

void BM_ReadDemoSystem(benchmark::State& state) {
    runBench(state, PromImageBuilder::build(demoSystem().values),
             [](Bench& b) { return b.read(); });
}

void BM_WriteFullImage(benchmark::State& state) {
    const System s = fullSystem();
    runBench(state, {}, [&](Bench& b) { return b.write(s); });
}

void BM_ReadFullImage(benchmark::State& state) {
    runBench(state, PromImageBuilder::build(fullSystem().values),
             [](Bench& b) { return b.read(); });
}

}  // namespace

BENCHMARK(BM_WriteDemoSystem)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ReadDemoSystem)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
// 8192 frames with their 30 ms gaps: minutes per run.
BENCHMARK(BM_WriteFullImage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ReadFullImage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
