// Decoding 100,000 event log records with a template's steps as the demo panel has them
// (name, colour, date, sections by name, area by name; arming with user and areas), and
// reading a 100,000-line log file into the log window's entries.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "datafile/LabelTable.h"
#include "eventlog/DecodeRecord.h"
#include "eventlog/EventLogModel.h"
#include "eventlog/LogFile.h"
#include "fields/PromImage.h"
#include "platform/FileSystem.h"
#include "template/EventTexts.h"

namespace {

using namespace loom;

constexpr std::size_t kRecords = 100000;

EventTexts makeTable() {
    EventTexts table;
    table.setCode(0x10, {{0x16, "Inbrottslarm\n"},
                         {0x20, "FFFFFF:C00000"},
                         {0x17, "1"},
                         {0x16, "\n"},
                         {0x25, "7"},
                         {0x16,
                          "\nOmr\xE5"
                          "de "},
                         {0x18, "9"},
                         {0x16, ": "},
                         {0x21, "9, 118768, 16, 16"}});
    table.setCode(0x20, {{0x16, "Tillkoppling\n"},
                         {0x17, "1"},
                         {0x16, "\nAnv\xE4ndare: "},
                         {0x1E, "7"},
                         {0x16, "\n"},
                         {0x22, "8"}});
    table.setCode(0x30, {{0x16, "N\xE4tfel\n"}, {0x17, "1"}, {0x16, "\n"}, {0x26, "7"}});
    return table;
}

PromImage makeImage() {
    PromImage image;
    auto text = [&](std::uint32_t address, std::string s) {
        s.resize(16, ' ');
        image.write(address, std::vector<std::uint8_t>(s.begin(), s.end()));
    };
    for (unsigned area = 1; area <= 64; ++area)
        text(0x1D000 + (area - 1) * 16,
             "Omr\x86"
             "de " +
                 std::to_string(area));
    for (std::uint32_t a = 0x13000; a < 0x17000; a += 16)
        text(a, "Sektion " + std::to_string(a >> 4 & 0xFFF));
    return image;
}

LabelTable makeLabels() {
    LabelTable labels;
    for (std::size_t i = 1; i <= 16; ++i)
        labels.set(i, "Anv\xE4ndare " + std::to_string(i));
    return labels;
}

std::vector<LogRecord> makeRecords() {
    std::vector<LogRecord> records(kRecords);
    static const std::uint8_t kCodes[] = {0x10, 0x20, 0x30, 0x2C};
    for (std::size_t i = 0; i < kRecords; ++i) {
        LogRecord& r = records[i];
        r.bytes = {kCodes[i % 4],
                   static_cast<std::uint8_t>(i % 60),
                   static_cast<std::uint8_t>(i / 60 % 60),
                   static_cast<std::uint8_t>(i / 3600 % 24),
                   static_cast<std::uint8_t>(i % 28 + 1),
                   static_cast<std::uint8_t>(i % 12 + 1),
                   static_cast<std::uint8_t>(9 + i % 40),
                   static_cast<std::uint8_t>(i % 16),
                   static_cast<std::uint8_t>(i * 7),
                   static_cast<std::uint8_t>(i % 8 + 1),
                   0xFF,
                   0xFF,
                   0xFF,
                   0xFF,
                   0xFF,
                   0x7F};
    }
    return records;
}

std::string makeLogText(const std::vector<LogRecord>& records) {
    std::string text;
    text.reserve(records.size() * (LogFile::kLineLength + 2));
    for (const LogRecord& r : records) {
        text += LogFile::line(r);
        text += "\r\n";
    }
    return text;
}

void BM_DecodeRecords(benchmark::State& state) {
    const EventTexts table = makeTable();
    const PromImage image = makeImage();
    const LabelTable labels = makeLabels();
    const std::vector<LogRecord> records = makeRecords();
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const LogRecord& r : records) {
            const DecodedRecord d = DecodeRecord(r, table, &image, labels);
            bytes += d.text.size();
            benchmark::DoNotOptimize(d);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * records.size()));
    state.counters["text_bytes_per_record"] =
        static_cast<double>(bytes) / static_cast<double>(state.iterations() * records.size());
}
BENCHMARK(BM_DecodeRecords)->Unit(benchmark::kMillisecond);

void BM_LoadLogFile(benchmark::State& state) {
    const EventTexts table = makeTable();
    const PromImage image = makeImage();
    const LabelTable labels = makeLabels();
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("loom-eventlog-bench-" + std::to_string(::getpid()) + ".LOG");
    std::ofstream(path, std::ios::binary) << makeLogText(makeRecords());
    LocalFileSystem disk;
    for (auto _ : state) {
        EventLogModel model;
        model.load(disk, path, table, &image, labels);
        if (model.entries().size() != kRecords) state.SkipWithError("entries missing");
        benchmark::DoNotOptimize(model.entries().data());
    }
    std::filesystem::remove(path);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRecords));
}
BENCHMARK(BM_LoadLogFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
