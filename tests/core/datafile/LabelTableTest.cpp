#include "datafile/LabelTable.h"

#include <gtest/gtest.h>

#include <optional>

namespace loom {
namespace {

constexpr FieldAddress addressless(std::uint32_t number, unsigned bit = 0) {
    return kAddresslessBit | (number << 3) | bit;
}

TEST(LabelTable, NumbersOfItems) {
    struct Case {
        FieldAddress address;
        std::optional<std::size_t> index;
    };
    const Case cases[] = {
        {addressless(10000), 0},
        {addressless(10025), 1},
        {addressless(16350), 254},
        {addressless(16375), std::nullopt},  // past the table
        {addressless(10010), std::nullopt},  // not a multiple of 25
        {addressless(9975), std::nullopt},   // below the first
        {addressless(0), std::nullopt},
        {addressless(10000, 1), std::nullopt},  // a bit offset
        {10000u << 3, std::nullopt},            // a PROM field
        {0xFFFFFFF8u, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LabelTable::indexFor(c.address), c.index) << std::hex << c.address;
}

TEST(LabelTable, NamesFallBackToTheNumber) {
    LabelTable labels;
    labels.set(3, "Entré");
    labels.set(255, "ignored");
    EXPECT_EQ(labels.nameOf(3), "Entré");
    EXPECT_EQ(labels.nameOf(4), "4");
    EXPECT_EQ(labels.text(255), "");
    EXPECT_EQ(labels.nameOf(1000), "1000");
    labels.clear();
    EXPECT_EQ(labels.nameOf(3), "3");
}

}  // namespace
}  // namespace loom
