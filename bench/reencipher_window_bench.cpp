// Changing the system password through the program's command (32802) against the core's
// re-enciphering alone, in the same run, on an archive of 2,000 data files of 300 values
// each: the command adds the questions (answered at once), its progress dialog and the
// repaints of a shown main window. Each iteration times one of each, in alternating order;
// the counter `ratio` is the command's mean wall time over the core's (goal: at most 1.05),
// `cpu_ratio` the same for the processor time (most of it the kernel's file work).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMainWindow>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>

#include <time.h>

#include "BenchArchive.h"
#include "OffscreenBenchMain.h"
#include "archive/SystemPassword.h"
#include "context/AppContext.h"
#include "dialogs/SecurityCommands.h"
#include "document/ProgramState.h"
#include "platform/Dialogs.h"
#include "platform/UserPrompt.h"

namespace {

using namespace loom;

constexpr int kFileCount = 2000;
// Yes to message 56, silence for the rest.
class YesPrompt final : public UserPrompt {
  public:
    void show(std::string_view, MessageKind) override {}
    Answer ask(std::string_view, Buttons, MessageKind) override { return Answer::Yes; }
};

// Dialog 138 answered with the other of the two passwords.
class FlipDialogs final : public Dialogs {
  public:
    explicit FlipDialogs(AppContext& context) : context_(context) {}
    std::optional<std::string> changePassword(const PasswordChangeRequest&) override {
        return std::string(context_.systemPassword() == "old" ? "new" : "old");
    }
    bool promptPassword(std::string_view) override { return true; }
    std::optional<std::array<std::string, 3>> temporaryPasswords() override { return std::nullopt; }
    std::optional<std::string> computerId(std::string_view) override { return std::nullopt; }
    bool users() override { return false; }
    std::optional<std::size_t> chooseSystem(const std::vector<std::string>&) override {
        return std::nullopt;
    }

  private:
    AppContext& context_;
};

struct Archive {
    YesPrompt prompt;
    ProgramState context{prompt};
    FlipDialogs dialogs{context};
    bench::BenchArchive files{context, "reencipher-window", kFileCount};

    Archive() {
        context.setDialogs(dialogs);
        context.setSystemPassword("old");
    }
    std::string other() const { return context.systemPassword() == "old" ? "new" : "old"; }
};

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The process's processor time: the files' syncs to the disk dominate the wall time and
// vary with the machine's load, while this shows what the window itself costs.
double processorSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The sum of a side's runs: with the runs in the order C W W C C W W C, a slow drift of
// the file system (every rewrite makes a new inode) weighs on both sides alike.
struct Total {
    double wall = 0;
    double processor = 0;

    template <class Run>
    void time(Run run) {
        const Clock::time_point start = Clock::now();
        const double startProcessor = processorSeconds();
        run();
        processor += processorSeconds() - startProcessor;
        wall += seconds(Clock::now() - start);
    }
};

void BM_ReencipherWindowAgainstCore(benchmark::State& state) {
    static Archive archive;
    QMainWindow window;
    window.resize(800, 600);
    window.show();
    QApplication::processEvents();
    Total core;
    Total command;
    const auto runCore = [&] {
        const std::string to = archive.other();
        ReencipherDataFiles(archive.context, to, archive.context.systemPassword());
        archive.context.setSystemPassword(to);
    };
    const auto runCommand = [&] {
        benchmark::DoNotOptimize(runChangeSystemPassword(archive.context, &window));
    };
    bool coreFirst = true;
    for (auto _ : state) {
        if (coreFirst) core.time(runCore);
        command.time(runCommand);
        if (!coreFirst) core.time(runCore);
        coreFirst = !coreFirst;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["core_s"] = core.wall / runs;
    state.counters["window_s"] = command.wall / runs;
    state.counters["ratio"] = command.wall / core.wall;
    state.counters["cpu_ratio"] = command.processor / core.processor;
}
BENCHMARK(BM_ReencipherWindowAgainstCore)->Unit(benchmark::kSecond)->Iterations(4)->UseRealTime();

}  // namespace

LOOM_OFFSCREEN_BENCHMARK_MAIN()
