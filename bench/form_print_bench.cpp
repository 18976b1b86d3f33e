// Printing a demo system's form pages into a PDF against rendering the same pages as
// the form view's widgets into images, in the same run: the ratio is what printing costs
// over drawing the pages on screen.
// Runs on Qt's offscreen platform, on the demo home (LOOMCRAFT_HOME, else build/demo-home
// as scripts/run-demo.sh lays it out).
#include <benchmark/benchmark.h>

#include "DemoHome.h"
#include "OffscreenBenchMain.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "FormPrinter.h"
#include "Program.h"
#include "context/AppContext.h"
#include "document/FormPrinting.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "frame/MainFrame.h"
#include "views/FormPageView.h"

namespace {

using namespace loom;

// The program with the first demo system open; null when there is none.
std::unique_ptr<Program> programOnFirstSystem() {
    const std::vector<std::filesystem::path> files = bench::demoSystems();
    if (files.empty()) return nullptr;
    ProgramOptions options;
    options.home = QString::fromStdString(bench::demoHome().string());
    auto program = std::make_unique<Program>(options);
    program->context().setSystemPassword("demo");
    if (!program->document().openFile(files.front())) return nullptr;
    return program;
}

void BM_PrintAllPagesToPdf(benchmark::State& state) {
    const std::unique_ptr<Program> program = programOnFirstSystem();
    if (!program) {
        state.SkipWithError("no demo systems: run scripts/run-demo.sh first");
        return;
    }
    ProgramDocument& document = program->document();
    const FormPrinting printing(document.core(), program->context(), document.form().font(),
                                &program->frame());
    const int pages = document.core().pageCount();
    for (auto _ : state) {
        int sheets = 0;
        benchmark::DoNotOptimize(FormPrinter::pdf(printing.job(0, pages), &sheets));
        if (sheets <= 0) state.SkipWithError("nothing printed");
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_PrintAllPagesToPdf)->Unit(benchmark::kMillisecond);

void BM_RenderAllPagesAsWidgets(benchmark::State& state) {
    const std::unique_ptr<Program> program = programOnFirstSystem();
    if (!program) {
        state.SkipWithError("no demo systems: run scripts/run-demo.sh first");
        return;
    }
    PromDocument& core = program->document().core();
    FormPageView& view = program->document().form();
    view.resize(1200, 900);
    const int pages = core.pageCount();
    for (auto _ : state) {
        // Each page built as the tree shows it, then drawn whole into an image.
        for (int page = 0; page < pages; ++page) {
            core.SetPage(page);
            QCoreApplication::processEvents();
            // The page's surface; the one of the page before is hidden, on its way out.
            QWidget* surface = nullptr;
            for (QWidget* w : view.viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (!w->isHidden()) surface = w;
            if (surface == nullptr) continue;
            QImage image(surface->size(), QImage::Format_ARGB32_Premultiplied);
            surface->render(&image);
            benchmark::DoNotOptimize(image.constBits());
        }
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_RenderAllPagesAsWidgets)->Unit(benchmark::kMillisecond);

}  // namespace

LOOM_OFFSCREEN_BENCHMARK_MAIN()
