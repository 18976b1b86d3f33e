// Loading a large template against reading its bytes: the load is one pass over the file,
// so it should stay within a small factor of a plain sequential read of the same file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/UserPrompt.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TemplateScanner.h"
#include "template/TemplateWriter.h"
#include "template/TreeSink.h"

namespace {

using namespace loom;

constexpr int kPages = 400;
constexpr int kGroupsOfPages = 20;
constexpr int kRules = 2000;

RawControl makeControl(TemplateTag tag, std::string text, std::uint32_t flags,
                       std::uint32_t address) {
    RawControl c;
    c.tag = tag;
    c.text = std::move(text);
    c.flags = flags;
    if (tag != TemplateTag::OptionGroup) c.rect = {10, 20 + address % 200, 120, 12};
    if (isDataControl(tag)) c.field = {address << 3, 16, 1, 0, "1234"};
    return c;
}

// About 400 pages of 75 controls each (30,000), a value list per page and 2,000 rules:
// the shape of the largest real templates, scaled up.
std::vector<std::uint8_t> buildLargeTemplate() {
    TemplateWriter w;
    w.header("BENCH 9000", "Benchmark template");
    w.idAddress(0x10).productAddress(0x20);
    std::uint32_t address = 0x100;
    std::uint32_t numbered = 0;
    std::vector<std::uint32_t> edits;
    for (int p = 0; p < kPages; ++p) {
        if (p % kGroupsOfPages == 0) {
            if (p > 0) w.groupEnd();
            w.group("Group of pages " + std::to_string(p / kGroupsOfPages));
        }
        w.page("Page number " + std::to_string(p));
        w.valueList({{"Off", "0"}, {"On", "1"}, {"Automatic", "2"}, {"Manual", "3"}});
        const auto list = static_cast<std::uint32_t>(p);
        for (int i = 0; i < 12; ++i) {
            w.control(makeControl(
                TemplateTag::Label,
                "Section " + std::to_string(i) + ": zone settings for the detector loop", 0, 0));
            RawControl e = makeControl(TemplateTag::Edit, "Entry delay in seconds before the alarm",
                                       1, address++);
            e.filter = 1;
            e.maxChars = 4;
            e.maxValue = 9999;
            edits.push_back(numbered++);
            w.control(e);
            w.caption("Entry delay of zone " + std::to_string(i) + " (seconds)");
            RawControl b = makeControl(TemplateTag::CheckBox,
                                       "Zone active (detector loop connected)", 1, address++);
            b.onChar = "1";
            b.offChar = "0";
            b.field.defaultValue = "1";
            numbered++;
            w.control(b);
            RawControl c = makeControl(TemplateTag::Choice, "Zone type", 1, address++);
            c.valueList = list;
            c.field.defaultValue = "2";
            numbered++;
            w.control(c);
            w.control(makeControl(TemplateTag::Frame, "Frame", 0, 0));
        }
        const std::uint32_t group = numbered++;
        w.control(makeControl(TemplateTag::OptionGroup, "Mode", 1, address++));
        for (int o = 0; o < 12; ++o) {
            RawControl opt = makeControl(TemplateTag::Option, "Mode " + std::to_string(o), 0, 0);
            opt.optionValue = std::to_string(o);
            opt.optionGroup = group;
            w.control(opt);
        }
        w.control(makeControl(TemplateTag::Button, "Test outputs", 1, 0));
        numbered++;
        w.control(makeControl(TemplateTag::Picture, "panel.bmp", 0, 0));
        w.pageEnd();
    }
    w.groupEnd();
    w.events({{1, {{1, "Alarm\n"}, {2, "zone"}}}, {2, {{1, "Tamper\n"}}}});
    w.end();
    std::vector<RawRule> rules;
    for (int r = 0; r < kRules; ++r) {
        RawRule rule;
        rule.condition.code = 55;
        rule.condition.control = edits[static_cast<std::size_t>(r) % edits.size()];
        rule.condition.text = "0";
        RawAction hide{61, edits[(static_cast<std::size_t>(r) + 1) % edits.size()], 0, {}};
        RawAction text{65, edits[(static_cast<std::size_t>(r) + 2) % edits.size()], 0, "Disabled"};
        rule.actions = {hide, text};
        rules.push_back(rule);
    }
    w.rules(rules);
    return w.finish();
}

const std::string& templatePath() {
    static const std::string path = [] {
        auto bytes = buildLargeTemplate();
        std::string p = (std::filesystem::temp_directory_path() / "loom-bench-large.FRM").string();
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p;
    }();
    return path;
}

std::int64_t fileSize() {
    return static_cast<std::int64_t>(std::filesystem::file_size(templatePath()));
}

void BM_PlainRead(benchmark::State& state) {
    const std::string& path = templatePath();
    std::vector<unsigned char> buffer(16384);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) {
            state.SkipWithError("cannot open the template");
            return;
        }
        std::size_t n = 0;
        std::uint32_t sum = 0;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
            sum += buffer[n - 1];
            benchmark::DoNotOptimize(buffer.data());
        }
        std::fclose(f);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * fileSize());
    state.counters["file_MB"] = static_cast<double>(fileSize()) / 1e6;
}

void BM_TemplateLoad(benchmark::State& state) {
    const std::string& path = templatePath();
    NullTreeSink tree;
    EventTexts events;
    FormRules rules;
    SilentPrompt prompt;
    ParserEnvironment env{tree, events, rules, prompt, DialogUnits{}, nullptr, {}};
    std::size_t controls = 0;
    for (auto _ : state) {
        bool noErase = false;
        Parser parser;
        auto form = parser.Load(path, env, noErase);
        if (!form) {
            state.SkipWithError("the template was refused");
            return;
        }
        controls = form->controls().size();
        benchmark::DoNotOptimize(form.get());
        // Throwing the form away is the next load's business, not this one's.
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * fileSize());
    state.counters["controls"] = static_cast<double>(controls);
    state.counters["rules"] = static_cast<double>(rules.rules().size());
}

// The scanner alone, building nothing: the ceiling for the load.
class IgnoringVisitor final : public TemplateVisitor {};

void BM_ScanOnly(benchmark::State& state) {
    const std::string& path = templatePath();
    IgnoringVisitor visitor;
    for (auto _ : state) {
        TemplateScanner scanner = TemplateScanner::openFile(path);
        scanner.readHeader();
        scanner.readBody(visitor);
    }
    state.SetBytesProcessed(state.iterations() * fileSize());
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TemplateLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
