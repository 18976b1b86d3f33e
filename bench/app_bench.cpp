// The program window's costs, each against a baseline measured in the same run:
//  - showing a page of 200 controls against creating and showing 200 bare Qt widgets of
//    the same kinds (the page build adds the model's state, checks and names on top);
//  - start-up to the login dialog (settings, program directory, conversions, the main
//    window with its document, the dialog shown) against a bare window and dialog;
//  - opening a demo system (header, values, template, values onto every page, the first
//    page shown) against reading its data file alone.
// Runs on Qt's offscreen platform, on the demo home (LOOMCRAFT_HOME, else build/demo-home
// as scripts/run-demo.sh lays it out).
#include <benchmark/benchmark.h>

#include "DemoHome.h"
#include "OffscreenBenchMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollArea>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Program.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "dialogs/LoginDialog.h"
#include "document/ProgramDocument.h"
#include "document/ProgramState.h"
#include "document/PromDocument.h"
#include "platform/UserPrompt.h"
#include "template/EventTexts.h"
#include "template/FormInteraction.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TemplateWriter.h"
#include "template/TreeOutline.h"
#include "views/FormPageView.h"

namespace {

using namespace loom;

constexpr int kControls = 200;  // per page: 50 each of labels, edits, check boxes, lists

RawControl control(TemplateTag tag, std::string text, int row, int column, std::uint32_t address) {
    RawControl c;
    c.tag = tag;
    c.text = std::move(text);
    c.flags = isDataControl(tag) ? 1 : 0;
    c.rect = {static_cast<std::uint32_t>(8 + column * 90), static_cast<std::uint32_t>(8 + row * 14),
              84, 12};
    if (isDataControl(tag)) c.field = {address << 3, 16, 1, 0, "1"};
    return c;
}

std::vector<std::uint8_t> twoPageTemplate() {
    TemplateWriter w;
    w.header("BENCH 200", "Benchmark page");
    std::uint32_t address = 0x100;
    w.group("Sidor");
    for (int p = 0; p < 2; ++p) {
        w.page("Sida " + std::to_string(p + 1));
        w.valueList({{"Av", "0"}, {"På", "1"}, {"Auto", "2"}});
        for (int row = 0; row < kControls / 4; ++row) {
            w.control(control(TemplateTag::Label, "Sektion " + std::to_string(row), row, 0, 0));
            RawControl e = control(TemplateTag::Edit, "", row, 1, address++);
            e.filter = 1;
            e.maxChars = 4;
            w.control(e);
            RawControl b = control(TemplateTag::CheckBox, "Aktiv", row, 2, address++);
            b.onChar = "1";
            b.offChar = "0";
            w.control(b);
            RawControl c = control(TemplateTag::Choice, "", row, 3, address++);
            c.valueList = static_cast<std::uint32_t>(p);
            w.control(c);
        }
        w.pageEnd();
    }
    w.groupEnd();
    w.events({});
    w.end();
    w.rules({});
    return w.finish();
}

// Says what went wrong with the benchmark's own template.
class PrintingPrompt final : public UserPrompt {
  public:
    void show(std::string_view text, MessageKind) override {
        std::fprintf(stderr, "%s\n", std::string(text).c_str());
    }
    Answer ask(std::string_view text, Buttons buttons, MessageKind kind) override {
        show(text, kind);
        return SilentPrompt().ask(text, buttons, kind);
    }
};

struct LoadedForm {
    TreeOutline tree;
    EventTexts events;
    FormRules rules;
    PrintingPrompt prompt;
    std::unique_ptr<Form> form;
    std::unique_ptr<FormPageView> view;
    std::unique_ptr<FormInteraction> interaction;

    LoadedForm() {
        const std::vector<std::uint8_t> bytes = twoPageTemplate();
        ParserEnvironment env{tree, events, rules, prompt, DialogUnits{}, nullptr, {}};
        bool noErase = false;
        form = Parser().LoadFromMemory(bytes, "bench", env, noErase);
        view = std::make_unique<FormPageView>(prompt);
        view->resize(1000, 800);
        view->setTemplateLoaded(true);
        view->show();
        interaction = std::make_unique<FormInteraction>(*form, rules, *view, prompt);
    }
};

void BM_ShowFormPage(benchmark::State& state) {
    LoadedForm loaded;
    if (!loaded.form) {
        state.SkipWithError("the benchmark template does not load");
        return;
    }
    int page = 0;
    for (auto _ : state) {
        loaded.form->setShownPageIndex(page);
        loaded.view->showPage(*loaded.form, *loaded.interaction, page, nullptr);
        QCoreApplication::processEvents();
        // The event loop deletes the page left; here nothing runs it otherwise.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        page = 1 - page;
    }
}
BENCHMARK(BM_ShowFormPage)->Unit(benchmark::kMillisecond);

// The same widgets with nothing of the model: what Qt itself costs.
void BM_BareWidgets(benchmark::State& state) {
    QScrollArea area;
    area.resize(1000, 800);
    area.show();
    for (auto _ : state) {
        auto* surface = new QWidget;
        surface->resize(1000, 800);
        for (int row = 0; row < kControls / 4; ++row) {
            const int y = 8 + row * 28;
            (new QLabel(QStringLiteral("Sektion %1").arg(row), surface))
                ->setGeometry(8, y, 160, 24);
            auto* edit = new QLineEdit(surface);
            edit->setMaxLength(4);
            edit->setGeometry(180, y, 160, 24);
            (new QCheckBox(QStringLiteral("Aktiv"), surface))->setGeometry(360, y, 160, 24);
            auto* list = new QComboBox(surface);
            list->addItems({QStringLiteral("Av"), QStringLiteral("På"), QStringLiteral("Auto")});
            list->setGeometry(540, y, 160, 24);
        }
        area.setWidget(surface);  // deletes the previous surface
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_BareWidgets)->Unit(benchmark::kMillisecond);

void BM_StartToLogin(benchmark::State& state) {
    ProgramOptions options;
    options.home = QString::fromStdString(bench::demoHome().string());
    for (auto _ : state) {
        Program program(options);
        LoginDialog login(program.context());
        login.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_StartToLogin)->Unit(benchmark::kMillisecond);

void BM_BareWindowAndDialog(benchmark::State& state) {
    for (auto _ : state) {
        QMainWindow window;
        for (const char* title : {"Arkiv", "Sida", "Prom", "Uppkoppling", "Visa"})
            window.menuBar()->addMenu(QString::fromLatin1(title))->addAction(QStringLiteral("x"));
        QDialog dialog;
        new QLineEdit(&dialog);
        new QLineEdit(&dialog);
        dialog.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_BareWindowAndDialog)->Unit(benchmark::kMillisecond);

void BM_OpenSystem(benchmark::State& state) {
    const std::vector<std::filesystem::path> systems = bench::demoSystems();
    if (systems.size() < 2) {
        state.SkipWithError("no demo systems: run scripts/run-demo.sh first");
        return;
    }
    ProgramOptions options;
    options.home = QString::fromStdString(bench::demoHome().string());
    Program program(options);
    program.context().setSystemPassword("demo");
    std::size_t next = 0;
    for (auto _ : state) {
        if (!program.document().openFile(systems[next])) {
            state.SkipWithError("a demo system does not open");
            return;
        }
        QCoreApplication::processEvents();
        next = (next + 1) % systems.size();
    }
}
BENCHMARK(BM_OpenSystem)->Unit(benchmark::kMillisecond);

void BM_ReadDataFile(benchmark::State& state) {
    const std::vector<std::filesystem::path> systems = bench::demoSystems();
    if (systems.empty()) {
        state.SkipWithError("no demo systems: run scripts/run-demo.sh first");
        return;
    }
    SilentPrompt prompt;
    ProgramState context(prompt);
    std::size_t next = 0;
    for (auto _ : state) {
        DataFile data(context);
        benchmark::DoNotOptimize(data.Read(systems[next], false));
        next = (next + 1) % systems.size();
    }
}
BENCHMARK(BM_ReadDataFile)->Unit(benchmark::kMillisecond);

}  // namespace

LOOM_OFFSCREEN_BENCHMARK_MAIN()
