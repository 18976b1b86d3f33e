#include "archive/FileId.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Settings.h"
#include "support/HexBytes.h"
#include "support/TestHome.h"

namespace loom {
namespace {

using test::hexBytes;
using test::hexString;
using test::Lines;

constexpr std::uint32_t kModulus = 2176782336u;  // 36 to the 6th

TEST(FileId, TextFormOfTimeAndLetter) {
    const std::tuple<std::uint32_t, char, const char*> cases[] = {
        {1000000000, 'A', "AGJDGXS0"},
        {35, 'K', "K00000Z0"},
        {kModulus - 1, 'B', "BZZZZZZ0"},
        {kModulus + 36, 'B', "B0000100"},  // higher digits are dropped
        {36, 'q', "Q0000100"},             // the whole text is upper case
    };
    for (const auto& [time, letter, id] : cases)
        EXPECT_EQ(MakeFileId(time, letter), id) << time;
}

TEST(FileId, BinaryFormIsTheTimeBigEndianAndTheLetter) {
    EXPECT_EQ(hexString(FileIdToBytes("A0000100")), "00 00 00 24 41 FF FF FF");
    EXPECT_EQ(hexString(FileIdToBytes("agjdgxs0")), "3B 9A CA 00 41 FF FF FF");
    EXPECT_TRUE(FileIdToBytes("A000010").empty());
    EXPECT_TRUE(FileIdToBytes("A00*0100").empty());

    const std::pair<const char*, const char*> fromBytes[] = {
        {"00 00 00 24 61 00 00 00", "A0000100"},  // bytes 5-7 do not matter
        {"FF FF FF FF FF FF FF FF", ""},
        // An erased letter or an erased time means an unwritten area.
        {"00 00 00 24 FF FF FF FF", ""},
        {"FF FF FF FF 41 FF FF FF", ""},
        {"6B 16 1C FF 54 FF FF FF", "TTPNM670"},  // one byte 0xFF is a second like any other
        {"00 00 00 24 41 FF FF", ""},
    };
    for (const auto& [bytes, id] : fromBytes)
        EXPECT_EQ(FileIdFromBytes(hexBytes(bytes)), id) << bytes;
    // Every kept time (modulo 36^6) reads back from bytes.
    for (const std::uint32_t time :
         {0u, 0xFFu, 0xFF00u, 0xFF0000u, kModulus - 1, kModulus + 1, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        const std::string id = MakeFileId(time, 'M');
        std::uint32_t parsed = 0;
        char letter = 0;
        ASSERT_TRUE(ParseFileId(id, parsed, letter)) << id;
        EXPECT_EQ(parsed, time % kModulus) << id;
        EXPECT_EQ(FileIdFromBytes(FileIdToBytes(id)), id) << id;
    }
}

// A stored letter is used without asking; a missing or unusable one is asked for
// (message 52) and the filtered answer stored; "Avbryt" gives Z and stores nothing. The
// time in the identifier wraps to 32 bits.
TEST(FileIdLetter, StoredLetterOrOneAskedFor) {
    const struct {
        std::string stored;
        bool asked;
        std::optional<std::string> answer;
        const char* id;
        std::string after;
    } cases[] = {{"Q", false, std::nullopt, "Q0000100", "Q"},
                 {"", true, std::string("b"), "B0000100", "B"},
                 {"", true, std::nullopt, "Z0000100", ""},
                 {"7", true, std::string("9"), "Z0000100", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored + "/" + c.after);
        test::TestHome h;
        h.clock.set(std::int64_t{1} << 32 | 36);
        Settings settings(h.context.settings());
        settings.setComputerId(c.stored);
        if (c.asked) h.dialogs.computerIdAnswers = {c.answer};
        EXPECT_EQ(NewFileId(h.context), c.id);
        EXPECT_EQ(h.prompt.texts(),
                  c.asked ? Lines{test::text(MessageId::ComputerIdMissing)} : Lines{});
        EXPECT_EQ(h.dialogs.computerIdShown, c.asked ? Lines{""} : Lines{});
        EXPECT_EQ(settings.computerId(), c.after);
        EXPECT_EQ(h.dialogs.unexpected, 0);
    }
}

}  // namespace
}  // namespace loom
