// Scanning a 2 MB template against reading its bytes plainly through the same buffer size.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "template/TemplateScanner.h"
#include "template/TemplateWriter.h"

namespace {

class CountingVisitor : public loom::TemplateVisitor {
  public:
    void onControl(const loom::RawControl& c) override { items += c.text.size(); }
    void onValueList(const loom::RawValueList& l) override { items += l.size(); }
    void onEvents(const std::vector<loom::RawEventCode>& e) override { items += e.size(); }
    void onRule(const loom::RawRule& r) override { items += r.actions.size(); }
    std::size_t items = 0;
};

// About 2 MB of pages with controls of every kind, value lists and rules, in the
// proportions of a real panel template.
const std::string& templatePath() {
    static const std::string path = [] {
        loom::TemplateWriter w;
        w.header("BENCH", "Bench");
        std::uint32_t numbered = 0;
        for (int p = 0; w.bytes().size() < 2'000'000; ++p) {
            w.page("Sida " + std::to_string(p));
            w.valueList({{"Av", "0"}, {"P\xE5", "1"}, {"Larm", "2"}});
            for (int i = 0; i < 40; ++i) {
                loom::RawControl c;
                c.tag = i % 2 ? loom::TemplateTag::Edit : loom::TemplateTag::Label;
                c.text = "Sektion " + std::to_string(i) + " larmtid";
                c.rect = {4, static_cast<std::uint32_t>(i * 12), 80, 10};
                c.flags = i % 2;
                c.field = {static_cast<std::uint32_t>(p * 4096 + i * 8), 8, 1, 0, "30"};
                numbered += c.flags;
                w.control(c);
            }
            w.caption("Tider");
            w.pageEnd();
        }
        w.end();
        std::vector<loom::RawRule> rules(2000);
        for (std::uint32_t i = 0; i < rules.size(); ++i) {
            rules[i].condition = {51, i % numbered, 0, {}};
            rules[i].actions = {{60, (i + 1) % numbered, 0, {}}, {65, i % numbered, 0, "5"}};
        }
        w.rules(rules);
        auto bytes = w.finish();
        auto file = (std::filesystem::temp_directory_path() / "loom_bench_template.FRM").string();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return file;
    }();
    return path;
}

void PlainRead(benchmark::State& state) {
    std::vector<unsigned char> buffer(loom::TemplateScanner::kBufferSize);
    std::size_t total = 0;
    for (auto _ : state) {
        std::FILE* f = std::fopen(templatePath().c_str(), "rb");
        std::uint32_t sum = 0;
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
            for (std::size_t i = 0; i < n; ++i)
                sum += buffer[i];
            total += n;
        }
        std::fclose(f);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
}
BENCHMARK(PlainRead);

void ScanFile(benchmark::State& state) {
    std::size_t total = 0;
    for (auto _ : state) {
        auto scanner = loom::TemplateScanner::openFile(templatePath());
        CountingVisitor v;
        scanner.readBody(v);
        total += scanner.bytesRead();
        benchmark::DoNotOptimize(v.items);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
}
BENCHMARK(ScanFile);

}  // namespace

BENCHMARK_MAIN();
