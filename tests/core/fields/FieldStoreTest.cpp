#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fields/FieldStore.h"

namespace loom {
namespace {

std::vector<FieldAddress> addresses(const FieldStore& store) {
    std::vector<FieldAddress> out;
    store.forEach([&out](const FieldRecord& r) { out.push_back(r.address); });
    return out;
}

// 0x10 and 0x18 share bucket 1 with 24576 * 16 + 0x10 (the modulo wraps); 0x00 is bucket 0.
constexpr FieldAddress kWrapped = FieldStore::kBucketCount * 16 + 0x10;

TEST(FieldStore, IteratesInBucketOrderThenInsertionOrder) {
    FieldStore store;
    for (FieldAddress a : {0x18u, kWrapped, 0x10u, 0x00u, 0x80000000u, 0x20u})
        store.findOrCreate(a);
    // 0x80000000 >> 4 = 0x8000000, which is 8192 mod 24576.
    EXPECT_EQ(addresses(store),
              (std::vector<FieldAddress>{0x00, 0x18, kWrapped, 0x10, 0x20, 0x80000000u}));

    // Removing and adding again moves a record to the end of its bucket.
    EXPECT_TRUE(store.remove(0x18));
    EXPECT_FALSE(store.remove(0x18));
    store.findOrCreate(0x18);
    EXPECT_EQ(addresses(store),
              (std::vector<FieldAddress>{0x00, kWrapped, 0x10, 0x18, 0x20, 0x80000000u}));
}

// Many inserts and removals, in an order that packs neighbouring and colliding
// addresses, must always agree with a plain map and find exactly what it holds.
TEST(FieldStore, FindsExactlyWhatRemainsAfterManyInsertsAndRemovals) {
    FieldStore store;
    std::map<FieldAddress, FieldRecord*> expected;
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    for (int step = 0; step < 20000; ++step) {
        // Few distinct addresses, some a table size apart, so that runs form and break.
        const FieldAddress a = (next() % 600) * 8 + (next() % 3) * 65536;
        if (next() % 3 == 0) {
            EXPECT_EQ(store.remove(a), expected.erase(a) == 1);
        } else {
            FieldRecord& r = store.findOrCreate(a);
            auto [it, added] = expected.emplace(a, &r);
            EXPECT_EQ(it->second, &r);  // records keep their address as the store grows
            if (added) {
                EXPECT_EQ(r, (FieldRecord{a, 0, 0, 0, ""}));
            }
        }
        if (step % 997 == 0) {
            ASSERT_EQ(store.size(), expected.size());
            for (const auto& [address, record] : expected)
                ASSERT_EQ(store.find(address), record);
            EXPECT_EQ(addresses(store).size(), expected.size());
        }
    }
    for (FieldAddress a = 0; a < 600 * 8 + 3 * 65536; a += 8)
        EXPECT_EQ(store.find(a) != nullptr, expected.count(a) == 1);
}

}  // namespace
}  // namespace loom
