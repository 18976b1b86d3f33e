#include "archive/FileId.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
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
    const struct {
        std::uint32_t time;
        char letter;
        const char* id;
    } cases[] = {
        {1000000000, 'A', "AGJDGXS0"},
        {35, 'K', "K00000Z0"},
        {kModulus - 1, 'B', "BZZZZZZ0"},
        {kModulus + 36, 'B', "B0000100"},  // higher digits are dropped
        {0xFFFFFFFF, 'C', "CZ141Z30"},     // 0xFFFFFFFF - 36^6 = 2118184959
        {36, 'q', "Q0000100"},             // the whole text is upper case
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeFileId(c.time, c.letter), c.id) << c.time;
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

class FileIdLetter : public ::testing::Test {
  protected:
    FileIdLetter() { h.clock.set(36); }
    ~FileIdLetter() override { EXPECT_EQ(h.dialogs.unexpected, 0); }
    std::string stored() { return Settings(h.context.settings()).computerId(); }
    void store(const std::string& letter) { Settings(h.context.settings()).setComputerId(letter); }

    test::TestHome h;
};

TEST_F(FileIdLetter, StoredLetterIsUsedWithoutAskingAndTimeWrapsTo32Bits) {
    store("q");
    h.clock.set(std::int64_t{1} << 32 | 36);
    EXPECT_EQ(NewFileId(h.context), "Q0000100");
    EXPECT_TRUE(h.prompt.entries.empty());
    EXPECT_TRUE(h.dialogs.computerIdShown.empty());
}

// A missing or unusable letter is asked for once (message 52), shown filtered, and the
// filtered answer stored; "Avbryt" gives Z and stores nothing.
TEST_F(FileIdLetter, MissingLetterIsAskedForAndStored) {
    const struct {
        std::string stored;
        std::optional<std::string> answer;
        const char* id;
        std::string after;
    } cases[] = {{"", std::string("b"), "B0000100", "B"},
                 {"", std::nullopt, "Z0000100", ""},
                 {"7", std::string("9"), "Z0000100", ""}};
    for (const auto& c : cases) {
        h.prompt.entries.clear();
        h.dialogs.computerIdShown.clear();
        store(c.stored);
        h.dialogs.computerIdAnswers = {c.answer};
        EXPECT_EQ(NewFileId(h.context), c.id) << c.stored;
        EXPECT_EQ(h.prompt.texts(), (Lines{test::text(MessageId::ComputerIdMissing)}));
        EXPECT_EQ(h.prompt.entries[0].kind, MessageKind::Warning);
        EXPECT_EQ(h.dialogs.computerIdShown, (Lines{""}));
        EXPECT_EQ(stored(), c.after);
    }
    // Asked once: the next identifier takes the stored letter.
    store("B");
    h.prompt.entries.clear();
    EXPECT_EQ(NewFileId(h.context), "B0000100");
    EXPECT_TRUE(h.prompt.entries.empty());
}

}  // namespace
}  // namespace loom
