// Building the PROM image from a system's values and reading them back, at the size of a
// large installation (30,000 fields). Goal: build plus decode well under 20 ms.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "fields/FieldCodec.h"
#include "fields/PromImageBuilder.h"

namespace {

using namespace loom;

constexpr std::size_t kFieldCount = 30000;

// Fields of mixed types and sizes laid one after another at any bit offset, with a gap
// now and then, as templates place them.
FieldStore makeStore() {
    FieldStore store;
    std::uint64_t bit = 0;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        FieldRecord r;
        switch (i % 7) {
            case 0:
                r.type = 0;
                r.size = 1 + static_cast<FieldSize>(i % 32);
                r.value = "1";
                break;
            case 1:
                r.type = 1;
                r.size = 16;
                r.value = "BEEF";
                break;
            case 2:
                r.type = 2;
                r.size = 32;
                r.value = "1234";
                break;
            case 3:
                r.type = 4;
                r.size = 5;
                r.value = "10101";
                break;
            case 4:
                r.type = 5;
                r.size = 16 * 8;
                r.value = "Entr\xE9 \xC5ker";
                break;
            case 5:
                r.type = 6;
                r.size = 8;
                r.value = "1500";
                break;
            default:
                r.type = 9;
                r.size = 12;
                r.value = "25";
                break;
        }
        if (r.type == 5 || r.type == 1 || r.type == 2) bit = (bit + 7) / 8 * 8;  // whole bytes
        r.address = static_cast<FieldAddress>(bit);
        bit += r.size + (i % 11 == 0 ? 64 : 0);
        store.copyIn(r);
    }
    return store;
}

std::size_t placedBytes(const FieldStore& store) {
    std::size_t total = 0;
    store.forEach([&total](const FieldRecord& r) {
        total += (bitOffset(r.address) + sizeInBits(r.size) + 7) / 8;
    });
    return total;
}

void BM_BuildImage(benchmark::State& state) {
    const FieldStore store = makeStore();
    for (auto _ : state) {
        PromImage image = PromImageBuilder::build(store);
        benchmark::DoNotOptimize(image.blockCount());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kFieldCount));
}
BENCHMARK(BM_BuildImage)->Unit(benchmark::kMillisecond);

void BM_DecodeAll(benchmark::State& state) {
    const FieldStore store = makeStore();
    const PromImage image = PromImageBuilder::build(store);
    std::string text;
    for (auto _ : state) {
        std::size_t ok = 0;
        store.forEach([&](const FieldRecord& r) {
            ok += Decode(r.type, r.address, r.size, image, text) == CodecResult::Ok;
        });
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kFieldCount));
}
BENCHMARK(BM_DecodeAll)->Unit(benchmark::kMillisecond);

// The whole round trip the transfer does: values to image, image back into the values.
void BM_BuildAndFillBack(benchmark::State& state) {
    const FieldStore store = makeStore();
    FieldStore readBack = store;
    for (auto _ : state) {
        const PromImage image = PromImageBuilder::build(store);
        benchmark::DoNotOptimize(PromImageBuilder::fillStore(readBack, image));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kFieldCount));
}
BENCHMARK(BM_BuildAndFillBack)->Unit(benchmark::kMillisecond);

// Baselines for ratios: walking the store alone, and copying as many bytes per field into
// a flat array with memcpy (no parsing, no bit placement).
void BM_BaselineStoreWalk(benchmark::State& state) {
    const FieldStore store = makeStore();
    for (auto _ : state) {
        std::size_t sum = 0;
        store.forEach([&sum](const FieldRecord& r) { sum += r.value.size(); });
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_BaselineStoreWalk)->Unit(benchmark::kMillisecond);

void BM_BaselineMemcpy(benchmark::State& state) {
    const FieldStore store = makeStore();
    std::vector<std::size_t> lengths;
    store.forEach([&lengths](const FieldRecord& r) {
        lengths.push_back((bitOffset(r.address) + sizeInBits(r.size) + 7) / 8);
    });
    std::vector<std::uint8_t> flat(placedBytes(store) + 64, 0xFF);
    const std::vector<std::uint8_t> source(64, 0x5A);
    for (auto _ : state) {
        std::size_t at = 0;
        for (std::size_t n : lengths) {
            std::memcpy(flat.data() + at, source.data(), n);
            at += n;
        }
        benchmark::DoNotOptimize(flat.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BaselineMemcpy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
