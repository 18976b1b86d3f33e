// The PROM work as the program does it, each against a baseline measured in the same run:
//  - writing the first demo system into a simulated panel and reading it back through the
//    program's document, its progress dialog and the Qt event loop, against the same
//    write and read through the core document driven by a task queue, as the
//    command-line tool runs it (goal: at most 1.02 times);
//  - the longest stall of the user's thread during the program's write and read (from
//    the command to the end of the read-back; the connect before them is not counted),
//    taken by a 1 ms timer (counter stall_ms, goal under 50 ms).
//  - opening the event log window on a log of 10,000 entries against decoding the same
//    file into the window's model alone, and a free-text search in the window against
//    the same search in the model alone.
// The transfers run with the program's real link timing against an in-process panel over loopback
// TCP, on the demo home (LOOMCRAFT_HOME, else build/demo-home as scripts/run-demo.sh lays
// it out).
#include <benchmark/benchmark.h>

#include "DemoHome.h"
#include "OffscreenBenchMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "Program.h"
#include "QtPrompt.h"
#include "context/AppContext.h"
#include "datafile/LabelTable.h"
#include "dialogs/EventLogWindow.h"
#include "document/ProgramDocument.h"
#include "document/ProgramState.h"
#include "document/PromDocument.h"
#include "eventlog/EventLogModel.h"
#include "eventlog/LogFile.h"
#include "frame/MainFrame.h"
#include "platform/ProgramDirectory.h"
#include "platform/UserPrompt.h"
#include "transfer/MarshalledPrompt.h"
#include "transfer/UiThread.h"

namespace {

using namespace loom;

// Says yes to every question and keeps every message to itself.
class YesPrompt final : public UserPrompt {
  public:
    void show(std::string_view, MessageKind) override {}
    Answer ask(std::string_view, Buttons buttons, MessageKind) override {
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }
};

// A view that shows nothing: the command-line tool's document has no windows.
class NoView final : public DocumentView {};

std::filesystem::path firstGl200System() {
    const std::vector<std::filesystem::path> files = bench::demoSystems();
    return files.empty() ? std::filesystem::path() : files.front();
}

std::unique_ptr<panelsim::PanelSimulator> startPanel(std::uint16_t& port) {
    auto panel = std::make_unique<panelsim::PanelSimulator>(panelsim::PanelConfig{});
    port = panel->startTcp().value_or(0);
    return panel;
}

// Connects, then writes and reads back; `started` runs once connected (the connect
// itself waits for the panel's login on the user's thread, under the wait cursor). False
// when any step failed.
template <class Started, class Drain>
bool writeAndRead(PromDocument& document, std::uint16_t port, Started started, Drain drain) {
    if (!document.ConnectTcpCommand("127.0.0.1", std::to_string(port), "123456")) return false;
    started();
    bool ok = document.WriteProm();
    drain();
    ok = ok && document.lastResult() > 0;
    ok = ok && document.ReadProm();
    drain();
    ok = ok && document.lastResult() > 0;
    document.Disconnect();
    return ok;
}

void BM_ProgramWriteAndRead(benchmark::State& state) {
    const std::filesystem::path system = firstGl200System();
    if (system.empty()) {
        state.SkipWithError("no demo systems: run scripts/run-demo.sh first");
        return;
    }
    ProgramOptions options;
    options.home = QString::fromStdString(bench::demoHome().string());
    Program program(options);
    YesPrompt yes;
    program.prompt().setStandIn(&yes);
    program.context().setSystemPassword("demo");
    program.frame().show();
    std::uint16_t port = 0;
    const auto panel = startPanel(port);
    PromDocument& document = program.document().core();

    // The user's thread's longest gap between two ticks of a 1 ms timer.
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticks;
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout,
                     [&] { longest = std::max(longest, sinceTick.restart()); });
    const auto drain = [&] {
        while (document.CommActive() != PromDocument::kIdle)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    };
    for (auto _ : state) {
        // Opening the system is not part of the PROM work.
        state.PauseTiming();
        const bool opened = program.document().openFile(system);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        if (!opened) {
            state.SkipWithError("the demo system does not open");
            return;
        }
        const bool ok = writeAndRead(
            document, port,
            [&] {
                sinceTick.start();
                ticks.start();
            },
            drain);
        ticks.stop();
        if (!ok) {
            state.SkipWithError("the transfer failed");
            return;
        }
    }
    state.counters["stall_ms"] = static_cast<double>(longest);
}
BENCHMARK(BM_ProgramWriteAndRead)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_CommandLineWriteAndRead(benchmark::State& state) {
    const std::filesystem::path system = firstGl200System();
    if (system.empty()) {
        state.SkipWithError("no demo systems: run scripts/run-demo.sh first");
        return;
    }
    YesPrompt yes;
    TaskQueue queue;
    MarshalledPrompt marshalled(yes, queue);
    ProgramState context(marshalled);
    context.setProgramDirectory(ProgramDirectory(bench::demoHome()));
    context.setSystemPassword("demo");
    NoView view;
    std::uint16_t port = 0;
    const auto panel = startPanel(port);
    {
        PromDocument document(context, queue, view);
        const auto drain = [&] {
            queue.runUntil([&] { return document.CommActive() == PromDocument::kIdle; });
        };
        for (auto _ : state) {
            state.PauseTiming();
            const bool opened = document.OnOpenDocument(system);
            state.ResumeTiming();
            if (!opened) {
                state.SkipWithError("the demo system does not open");
                return;
            }
            if (!writeAndRead(
                    document, port, [] {}, drain)) {
                state.SkipWithError("the transfer failed");
                return;
            }
        }
    }
}
BENCHMARK(BM_CommandLineWriteAndRead)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A program with the first demo system open (its template's event texts, its labels and
// names) and a log file of 10,000 entries in the system's LOG folder.
struct LogBench {
    LogBench() : program(options()) {
        program.context().setSystemPassword("demo");
        opened = !firstGl200System().empty() && program.document().openFile(firstGl200System());
        if (!opened) return;
        image = program.document().core().logImage();
        log = std::filesystem::temp_directory_path() / "loomcraft-bench-10000.LOG";
        // The demo's records, over and over, with the day counting on.
        static const char* const kRecords[] = {
            "2100050704%02X1A01FEFFFFFFFFFFFFFF", "5112040704%02X1A01FEFFFFFFFFFFFFFF",
            "101B020304%02X1A000101FFFFFFFFFFFF", "31003B1402%02X1A0000FFFFFFFFFFFFFF"};
        std::ofstream out(log, std::ios::binary | std::ios::trunc);
        char line[40];
        for (int i = 0; i < 10000; ++i) {
            std::snprintf(line, sizeof line, kRecords[i % 4], 1 + (i / 4) % 12);
            out << line << "\r\n";
        }
    }
    // False, with the benchmark skipped, without a demo system.
    bool ready(benchmark::State& state) const {
        if (!opened) state.SkipWithError("no demo systems: run scripts/run-demo.sh first");
        return opened;
    }
    static ProgramOptions options() {
        ProgramOptions o;
        o.home = QString::fromStdString(bench::demoHome().string());
        return o;
    }
    Program program;
    bool opened = false;
    PromImage image;
    std::filesystem::path log;
};

void BM_LogWindowOpen(benchmark::State& state) {
    LogBench bench;
    if (!bench.ready(state)) return;
    AppContext& c = bench.program.context();
    for (auto _ : state) {
        EventLogWindow window(c.prompt(), c.files(), bench.log, c.eventTexts(), c.labels(),
                              &bench.image);
        window.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_LogWindowOpen)->Unit(benchmark::kMillisecond);

void BM_LogModelLoad(benchmark::State& state) {
    LogBench bench;
    if (!bench.ready(state)) return;
    AppContext& c = bench.program.context();
    for (auto _ : state) {
        EventLogModel model;
        model.load(c.files(), bench.log, c.eventTexts(), &bench.image, c.labels());
        benchmark::DoNotOptimize(model.shown().size());
    }
}
BENCHMARK(BM_LogModelLoad)->Unit(benchmark::kMillisecond);

// Alternately a word that every fourth entry holds and none at all (all shown again).
void BM_LogWindowSearch(benchmark::State& state) {
    LogBench bench;
    if (!bench.ready(state)) return;
    AppContext& c = bench.program.context();
    EventLogWindow window(c.prompt(), c.files(), bench.log, c.eventTexts(), c.labels(),
                          &bench.image);
    window.show();
    QCoreApplication::processEvents();
    bool narrow = true;
    for (auto _ : state) {
        window.freeTextEdit()->setText(narrow ? QStringLiteral("Bostad") : QString());
        window.search();
        QCoreApplication::processEvents();
        narrow = !narrow;
    }
}
BENCHMARK(BM_LogWindowSearch)->Unit(benchmark::kMillisecond);

void BM_LogModelSearch(benchmark::State& state) {
    LogBench bench;
    if (!bench.ready(state)) return;
    AppContext& c = bench.program.context();
    EventLogModel model;
    model.load(c.files(), bench.log, c.eventTexts(), &bench.image, c.labels());
    SilentPrompt silent;
    bool narrow = true;
    for (auto _ : state) {
        EventLogFilter filter;
        if (narrow) filter.freeText = "Bostad";
        benchmark::DoNotOptimize(model.search(filter, silent));
        narrow = !narrow;
    }
}
BENCHMARK(BM_LogModelSearch)->Unit(benchmark::kMillisecond);

}  // namespace

LOOM_OFFSCREEN_BENCHMARK_MAIN()
