#include "archive/FileId.h"
#include "document/ProgramState.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "platform/SettingsStore.h"
#include "support/HexBytes.h"
#include "support/RecordingPrompt.h"
#include "support/ScriptedDialogs.h"

namespace loom {
namespace {

using test::hexBytes;
using test::hexString;

constexpr std::uint32_t kModulus = 2176782336u;  // 36 to the 6th

TEST(FileId, TextFormOfTimeAndLetter) {
    struct Case {
        std::uint32_t time;
        char letter;
        const char* id;
    };
    const Case cases[] = {
        {0, 'A', "A0000000"},
        {36, 'A', "A0000100"},
        {1000000000, 'A', "AGJDGXS0"},
        {35, 'K', "K00000Z0"},
        {kModulus - 1, 'B', "BZZZZZZ0"},
        {kModulus, 'B', "B0000000"},  // higher digits are dropped
        {kModulus + 36, 'B', "B0000100"},
        {0xFFFFFFFF, 'C', "CZ141Z30"},  // 0xFFFFFFFF - 36^6 = 2118184959
        {36, 'q', "Q0000100"},          // the whole text is upper case
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeFileId(c.time, c.letter), c.id) << c.time;
}

TEST(FileId, ParsesUpperCasedTextAndRefusesOthers) {
    struct Case {
        const char* text;
        bool ok;
        std::uint32_t time;
        char letter;
    };
    const Case cases[] = {
        {"A0000100", true, 36, 'A'},
        {"a0000100", true, 36, 'A'},
        {"agjdgxs0", true, 1000000000, 'A'},
        {"BZZZZZZ0", true, kModulus - 1, 'B'},
        {"#0000100", true, 36, '#'},  // the letter is not checked
        {"A000010x", true, 36, 'A'},  // nor is the last character
        {"A00001000", false, 0, 0},
        {"A000010", false, 0, 0},
        {"", false, 0, 0},
        {"A00-0100", false, 0, 0},
        {"A0000 00", false, 0, 0},
    };
    for (const Case& c : cases) {
        std::uint32_t time = 7;
        char letter = '?';
        EXPECT_EQ(ParseFileId(c.text, time, letter), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(time, c.time) << c.text;
        EXPECT_EQ(letter, c.letter) << c.text;
    }
}

TEST(FileId, BinaryForm) {
    EXPECT_EQ(hexString(FileIdToBytes("A0000100")), "00 00 00 24 41 FF FF FF");
    EXPECT_EQ(hexString(FileIdToBytes("agjdgxs0")), "3B 9A CA 00 41 FF FF FF");
    EXPECT_TRUE(FileIdToBytes("A000010").empty());
    EXPECT_TRUE(FileIdToBytes("A00*0100").empty());

    EXPECT_EQ(FileIdFromBytes(hexBytes("00 00 00 24 41 FF FF FF")), "A0000100");
    EXPECT_EQ(FileIdFromBytes(hexBytes("00 00 00 24 61 00 00 00")), "A0000100");
    EXPECT_EQ(FileIdFromBytes(hexBytes("FF FF FF FF FF FF FF FF")), "");
    // An erased letter or an erased time means an unwritten area; bytes 5-7 do not matter.
    EXPECT_EQ(FileIdFromBytes(hexBytes("00 00 00 24 FF FF FF FF")), "");
    EXPECT_EQ(FileIdFromBytes(hexBytes("FF FF FF FF 41 FF FF FF")), "");
    // A time with one byte 0xFF is a second like any other.
    EXPECT_EQ(FileIdFromBytes(hexBytes("6B 16 1C FF 54 FF FF FF")), "TTPNM670");
    EXPECT_EQ(FileIdFromBytes(hexBytes("00 00 00 24 41 FF FF")), "");
}

// Every kept time (modulo 36^6) reads back from bytes, 0xFF bytes in it included.
TEST(FileId, RoundTripsThroughTextAndBytes) {
    struct Case {
        std::uint32_t time;
    };
    const Case cases[] = {
        {0},          {1},
        {36},         {1000000000},
        {0x000000FF}, {0x0000FF00},
        {0x00FF0000}, {kModulus - 1},  // 0x81BF0FFF
        {kModulus},   {kModulus + 1},
        {0x7FFFFFFF}, {0xFFFFFFFE},  // kept 0x7E40EFFE
        {0xFFFFFFFF},                // kept 0x7E40EFFF
    };
    for (const Case& c : cases) {
        const std::string id = MakeFileId(c.time, 'M');
        EXPECT_TRUE(IsWellFormedFileId(id)) << id;
        std::uint32_t time = 0;
        char letter = 0;
        ASSERT_TRUE(ParseFileId(id, time, letter)) << id;
        EXPECT_EQ(time, c.time % kModulus) << id;
        EXPECT_EQ(letter, 'M');
        const std::vector<std::uint8_t> bytes = FileIdToBytes(id);
        ASSERT_EQ(bytes.size(), kFileIdLength) << id;
        EXPECT_EQ(FileIdFromBytes(bytes), id) << id;
    }
}

TEST(FileId, WellFormedIsEightLettersOrDigits) {
    for (const char* id : {"A0000100", "zzzzzzzz"})
        EXPECT_TRUE(IsWellFormedFileId(id)) << id;
    for (const char* id : {"A000010", "A00001000", "A000_100",
                           "\xC4"
                           "0000100"})  // Ä: not a-z
        EXPECT_FALSE(IsWellFormedFileId(id)) << id;
}

TEST(FileId, ComputerLetterFilter) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},   {"b", "B"}, {"B", "B"}, {"qx", "Q"},  {"a", "A"},
        {"z", "Z"}, {"3", ""},  {"3A", ""}, {"\xE4", ""}, {" ", ""},
    };
    for (const auto& [text, filtered] : cases)
        EXPECT_EQ(filterComputerLetter(text), filtered) << text;
}

class FileIdLetter : public ::testing::Test {
  protected:
    FileIdLetter() {
        context.setDialogs(dialogs);
        context.setSettings(store);
        context.setClock(clock);
    }
    ~FileIdLetter() override { EXPECT_EQ(dialogs.unexpected, 0); }
    std::string stored() { return Settings(store).computerId(); }

    test::RecordingPrompt prompt;
    ProgramState context{prompt};
    test::ScriptedDialogs dialogs{prompt};
    MemorySettingsStore store;
    FixedClock clock{36};
};

const std::string kMissingText =
    "Datorns id-tecken saknas. För att kunna se på vilken dator en fil skapats bör ett "
    "id-tecken anges.";

TEST_F(FileIdLetter, StoredLetterIsUsedWithoutAskingAndTimeWrapsTo32Bits) {
    Settings(store).setComputerId("q");
    EXPECT_EQ(NewFileId(context), "Q0000100");
    clock.set(std::int64_t{1} << 32 | 36);
    EXPECT_EQ(NewFileId(context), "Q0000100");
    EXPECT_TRUE(prompt.entries.empty());
    EXPECT_TRUE(dialogs.computerIdShown.empty());
}

TEST_F(FileIdLetter, MissingLetterIsAskedForAndStored) {
    dialogs.computerIdAnswers = {std::string("b")};
    EXPECT_EQ(NewFileId(context), "B0000100");
    ASSERT_EQ(prompt.entries.size(), 1u);
    EXPECT_EQ(prompt.entries[0].text, kMissingText);
    EXPECT_EQ(prompt.entries[0].kind, MessageKind::Warning);
    EXPECT_FALSE(prompt.entries[0].question);
    EXPECT_EQ(dialogs.computerIdShown, std::vector<std::string>{""});
    EXPECT_EQ(stored(), "B");
    // Asked once: the next identifier takes the stored letter.
    clock.set(1000000000);
    EXPECT_EQ(NewFileId(context), "BGJDGXS0");
    EXPECT_EQ(prompt.entries.size(), 1u);
}

TEST_F(FileIdLetter, CancelledDialogGivesZAndStoresNothing) {
    dialogs.computerIdAnswers = {std::nullopt};
    EXPECT_EQ(MakeFileId(context, 0), "Z0000000");
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{kMissingText});
    EXPECT_EQ(dialogs.computerIdShown.size(), 1u);
    EXPECT_EQ(stored(), "");
}

TEST_F(FileIdLetter, UnusableStoredTextIsShownFilteredAndReplaced) {
    // A digit is no computer letter: shown empty, stored as the empty filter result.
    Settings(store).setComputerId("7");
    dialogs.computerIdAnswers = {std::string("9")};
    EXPECT_EQ(MakeFileId(context, 36), "Z0000100");
    EXPECT_EQ(dialogs.computerIdShown, std::vector<std::string>{""});
    EXPECT_EQ(stored(), "");
}

TEST_F(FileIdLetter, EditCommandShowsTheStoredLetterFilteredAndStoresTheFilteredAnswer) {
    struct Case {
        std::string stored;
        std::optional<std::string> answer;
        std::string shown, after;
        bool ok;
    };
    const Case cases[] = {
        {"q", std::string("x"), "Q", "X", true},
        {"Q", std::string("4"), "Q", "", true},  // OK with nothing usable clears it
        {"Q", std::nullopt, "Q", "Q", false},    // "Avbryt" keeps it
        {"", std::string("ab"), "", "A", true},
    };
    for (const Case& c : cases) {
        Settings(store).setComputerId(c.stored);
        dialogs.computerIdShown.clear();
        dialogs.computerIdAnswers = {c.answer};
        EXPECT_EQ(EditComputerId(context), c.ok) << c.stored;
        EXPECT_EQ(dialogs.computerIdShown, std::vector<std::string>{c.shown});
        EXPECT_EQ(stored(), c.after);
    }
    EXPECT_TRUE(prompt.entries.empty());
}

}  // namespace
}  // namespace loom
