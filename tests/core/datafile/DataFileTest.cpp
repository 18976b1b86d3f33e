#include "datafile/DataFile.h"

#include <gtest/gtest.h>

#include <array>
#include <iterator>
#include <string>
#include <vector>

#include "archive/SystemSave.h"
#include "datafile/LabelTable.h"
#include "support/HexBytes.h"
#include "support/TestHome.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::Lines;
using test::readFile;
using test::text;

constexpr FieldAddress addressless(std::uint32_t number) {
    return kAddresslessBit | (number << 3);
}

FieldRecord record(FieldAddress address, FieldSize size, std::uint8_t type, std::uint8_t flags,
                   std::string value) {
    return FieldRecord{address, size, type, flags, std::move(value)};
}

// Enciphering and deciphering are the same XOR with a key stream computed here from the
// generator's definition, not through the program's own, so that a change of either shows.
std::string xorKey(std::string bytes) {
    std::array<std::uint8_t, 128> key{};
    std::uint32_t state = 0x4B514441;
    for (std::uint8_t& b : key) {
        state = state * 214013u + 2531011u;
        b = static_cast<std::uint8_t>(state >> 16);
    }
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ key[i % key.size()]);
    return bytes;
}

class DataFileTest : public ::testing::Test {
  protected:
    fs::path dataPath(const std::string& name = "A1B2C3D0.KQD") const { return h.dataFile(name); }
    bool write(const FieldStore& store, const std::string& password = "hemligt",
               const fs::path& path = {}) {
        return SaveSystem(h.context, path.empty() ? dataPath() : path, "ALFA 2000", password, store,
                          true)
            .written;
    }
    std::string readContext() const {
        return text(MessageId::CannotReadFile, {pathText(dataPath())});
    }
    // Reads the file with messages; the one message shown (empty when the read worked).
    std::string readMessage() {
        h.prompt.entries.clear();
        DataFile file(h.context);
        const bool ok = file.Read(dataPath(), true);
        EXPECT_EQ(h.prompt.entries.size(), ok ? 0u : 1u);
        return ok || h.prompt.entries.empty() ? std::string() : h.prompt.entries.front().text;
    }
    static FieldStore sample() {
        FieldStore store;
        store.copyIn(record(0x10 << 3, 16, 1, kFieldFlagDisplayName, "BEEF"));
        store.copyIn(record((0x20 << 3) | 2, 8 * 8, 5, 0x80, "Kund AB"));
        store.copyIn(record(addressless(10000), 0, 5, 0, "Entr\xE9"));
        return store;
    }

    test::TestHome h;
};

// The whole file, byte for byte: layout, cipher, filler from the clock and checksum.
TEST_F(DataFileTest, WritesTheDocumentedLayout) {
    FieldStore store;
    store.copyIn(record(0x10 << 3, 8, 1, kFieldFlagDisplayName, "A1"));
    ASSERT_TRUE(write(store, "pw"));

    std::string plain = std::string("<KQ_DATA>\0\1pw\0", 14);
    for (auto state = static_cast<std::uint32_t>(h.clock.nowSeconds()); plain.size() < 139;) {
        state = state * 214013u + 2531011u;
        plain.push_back(static_cast<char>(state >> 16));
    }
    plain += std::string("ALFA 2000\0", 10);
    const auto words = test::hexBytes("00000002 00000080 00000001 41 31 00 00000001");
    plain.append(words.begin(), words.end());
    std::uint32_t sum = 0;
    for (const char b : plain)
        sum += static_cast<std::uint8_t>(b);
    for (int shift = 24; shift >= 0; shift -= 8)
        plain.push_back(static_cast<char>(sum >> shift));
    EXPECT_EQ(xorKey(readFile(dataPath())), plain);

    // The password field is 128 bytes: the longest password still leaves its zero.
    ASSERT_TRUE(write(FieldStore{}, std::string(127, 'p')));
    EXPECT_EQ(xorKey(readFile(dataPath())).substr(139, 10), std::string("ALFA 2000\0", 10));
    std::string templateName, read;
    ASSERT_TRUE(DataFile(h.context).ReadHeader(dataPath(), templateName, read, true));
    EXPECT_EQ(read, std::string(127, 'p'));
}

// Every record comes back with its flags but bit 0, its value normalised where the field has
// a PROM place and a size.
TEST_F(DataFileTest, RoundTripKeepsEveryRecordNormalisedAndIndexesTheDisplayName) {
    const struct {
        FieldRecord in;
        const char* saved;  // null: as it is
    } cases[] = {
        {record(0x300 << 3, 8, 0, kFieldFlagDisplayName, "Storgatan 1"), nullptr},  // no number
        {record(0x100 << 3, 8 * 16, 5, kFieldFlagDisplayName, "Kund \xC5kesson AB"), nullptr},
        {record((0x200 << 3) | 3, 12, 1, 0x80, "FFF"), nullptr},
        {record(0x10 << 3, 16, 1, 0, "00a1"), "A1"},
        {record(0x240 << 3, 8, 6, 0, "1490"), nullptr},
        {record(0x40 << 3, 4, 0, 0, "17"), "1"},
        // Judged by the text written, not the text entered.
        {record(0x90 << 3, 4 * 800, 1, 0, std::string(798, '0') + "a1"), "A1"},
        {record(addressless(5), 16, 1, 0, "00a1"), nullptr},  // no PROM place
        {record(addressless(10025), 0, 5, 0, "Entr\xE9"), nullptr},
        {record(addressless(42), 0, 1, kFieldFlagDisplayName, std::string(699, 'x')), nullptr},
    };
    FieldStore store;
    for (const auto& c : cases)
        store.copyIn(c.in);
    ASSERT_TRUE(write(store));

    DataFile file(h.context);
    ASSERT_TRUE(file.Read(dataPath(), true));
    EXPECT_TRUE(h.prompt.entries.empty());
    EXPECT_EQ(file.templateName(), "ALFA 2000");
    ASSERT_EQ(file.Store().size(), std::size(cases));
    for (const auto& c : cases) {
        FieldRecord expected = c.in;
        expected.size = 0;  // sizes come from the template, not the file
        expected.flags &= 0xFE;
        if (c.saved) expected.value = c.saved;
        ASSERT_NE(file.Store().find(expected.address), nullptr) << expected.address;
        EXPECT_EQ(*file.Store().find(expected.address), expected) << expected.address;
    }
    // The store's order (bucket by bucket), not the order of insertion.
    const std::string name = "A1B2C3D0\tKund \xC5kesson AB\tStorgatan 1\t" + std::string(699, 'x');
    EXPECT_EQ(file.DisplayName(), name);
    EXPECT_EQ(readFile(h.dataIndex()), name + "\r\n");
    EXPECT_EQ(h.context.labels().text(1), "Entr\xE9");
}

TEST_F(DataFileTest, LabelTableFollowsTheLastRead) {
    FieldStore store;
    for (std::uint32_t n : {10000u, 16350u, 16375u, 10010u, 9975u})
        store.copyIn(record(addressless(n), 0, 5, 0, "n" + std::to_string(n)));
    store.copyIn(record(addressless(10050) | 1, 0, 5, 0, "offset"));
    store.copyIn(record(10075 << 3, 8, 5, 0, "prom"));
    h.context.labels().set(7, "old");
    ASSERT_TRUE(write(store));
    ASSERT_TRUE(DataFile(h.context).Read(dataPath(), true));
    Lines filled;
    for (std::size_t i = 0; i < LabelTable::kSize; ++i)
        if (!h.context.labels().text(i).empty())
            filled.push_back(std::to_string(i) + "=" + h.context.labels().text(i));
    EXPECT_EQ(filled, (Lines{"0=n10000", "254=n16350"}));
    EXPECT_EQ(h.context.labels().nameOf(3), "3");  // an empty label goes by its number
}

// Values Read could not take back are refused before anything is written.
TEST_F(DataFileTest, WriteRefusesWhatCouldNotBeReadBack) {
    FieldStore good;
    good.copyIn(record(0x10 << 3, 8, 0, kFieldFlagDisplayName, "5"));
    ASSERT_TRUE(write(good));
    const std::string before = readFile(dataPath()), index = readFile(h.dataIndex());
    const std::string context = text(MessageId::CannotSaveFile, {pathText(dataPath())});
    const struct {
        const char* name;
        std::string password;
        FieldRecord value;
        std::string message;
    } cases[] = {
        {"long password", std::string(128, 'p'), record(1, 0, 0, 0, ""), context},
        {"long value", "", record(addressless(3), 0, 5, 0, std::string(700, 'v')),
         context + "\n" + text(MessageId::ValueCannotBeSaved, {"0x80000018"})},
    };
    for (const auto& c : cases) {
        h.prompt.entries.clear();
        FieldStore store = good;
        store.copyIn(c.value);
        EXPECT_FALSE(SaveSystem(h.context, dataPath(), "T", c.password, store, true).written)
            << c.name;
        EXPECT_EQ(h.prompt.texts(), Lines{c.message}) << c.name;
        EXPECT_EQ(readFile(dataPath()), before) << c.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(h.root / "FILES"), {}), 1) << c.name;
        EXPECT_EQ(readFile(h.dataIndex()), index) << c.name;
    }
}

// The header's failures have texts of their own, with or without the body read, and so has
// a changed byte; a text longer than the limit and a cut file fail with the context alone.
TEST_F(DataFileTest, DamagedHeadersAndCutFilesAreRefusedWithTheirTexts) {
    ASSERT_TRUE(write(sample(), "pw"));
    const std::string good = readFile(dataPath()), plain = xorKey(good);
    const std::string notData = text(MessageId::NotADataFile),
                      version = text(MessageId::UnknownVersion);
    const struct {
        std::size_t at;
        std::string bytes;
        std::string reason;
    } cases[] = {
        {1, "k", notData},
        {10, "\2", version},
        {11, std::string(128, 'x'), text(MessageId::WrongPassword)},
    };
    for (const auto& c : cases) {
        test::writeFile(dataPath(),
                        xorKey(std::string(plain).replace(c.at, c.bytes.size(), c.bytes)));
        EXPECT_EQ(readMessage(), readContext() + "\n" + c.reason) << c.at;
        h.prompt.entries.clear();
        std::string name, password;
        EXPECT_FALSE(DataFile(h.context).ReadHeader(dataPath(), name, password, true)) << c.at;
        EXPECT_EQ(h.prompt.texts(), Lines{readContext() + "\n" + c.reason}) << c.at;
    }
    std::string flipped = good;
    flipped[160] = static_cast<char>(flipped[160] ^ 1);
    test::writeFile(dataPath(), flipped);
    EXPECT_EQ(readMessage(), readContext() + "\n" + text(MessageId::BadChecksum));
    // A template name of 700 characters in place of "ALFA 2000".
    test::writeFile(dataPath(), xorKey(std::string(plain).replace(139, 9, std::string(700, 'n'))));
    EXPECT_EQ(readMessage(), readContext());
    // The header alone can be read once it is complete (139 + "ALFA 2000" + zero).
    for (std::size_t length = 0; length < good.size(); ++length) {
        test::writeFile(dataPath(), good.substr(0, length));
        EXPECT_EQ(readMessage(), readContext()) << length;
        std::string name, password;
        EXPECT_EQ(DataFile(h.context).ReadHeader(dataPath(), name, password, false), length >= 149)
            << length;
    }
}

// Saving over an existing file: a write that fails after any number of bytes, a commit that
// fails or a process that dies leaves the old file byte for byte and the index as it was;
// a failure says why.
TEST_F(DataFileTest, FailedWriteKeepsThePreviousFile) {
    ASSERT_TRUE(write(sample()));
    const std::string before = readFile(dataPath());
    FieldStore large;
    for (std::uint32_t i = 0; i < 3000; ++i)
        large.copyIn(
            record(i << 5, 8 * 12, 5, i % 7 == 0 ? 2 : 0, "V\xE4rde " + std::to_string(i)));
    ASSERT_TRUE(write(large, "pw", dataPath("SIZE.KQD")));
    const std::uint64_t size = readFile(dataPath("SIZE.KQD")).size();
    ASSERT_GT(size, 3 * DataFile::kBufferSize);
    {
        // Numbers, texts and the key position cross buffer ends.
        DataFile file(h.context);
        ASSERT_TRUE(file.Read(dataPath("SIZE.KQD"), true));
        ASSERT_EQ(file.Store().size(), large.size());
        large.forEach([&](const FieldRecord& r) {
            EXPECT_EQ(file.Store().find(r.address)->value, r.value) << r.address;
        });
    }
    fs::remove(dataPath("SIZE.KQD"));
    const std::string index = readFile(h.dataIndex());

    enum Failure { Write, Commit, Crash };
    const std::pair<Failure, std::uint64_t> cases[] = {
        {Write, 0}, {Write, size - 1}, {Commit, 0}, {Crash, 20000}};
    for (const auto& [failure, n] : cases) {
        SCOPED_TRACE(testing::Message() << failure << " " << n);
        h.files.heal();
        h.prompt.entries.clear();
        const std::uint64_t at = h.files.bytesWritten() + n;
        if (failure == Write) h.files.failWritesAfter(at);
        if (failure == Commit) h.files.failCommit();
        if (failure == Crash) h.files.crashAfter(at);
        EXPECT_FALSE(write(large, "pw"));
        EXPECT_EQ(readFile(dataPath()), before);
        EXPECT_EQ(readFile(h.dataIndex()), index);
        if (failure == Crash) continue;  // a temporary file may stay behind
        EXPECT_EQ(h.prompt.texts(), Lines{text(MessageId::CannotSaveFile, {pathText(dataPath())}) +
                                          "\n" + text(MessageId::ReasonNoSpace)});
        EXPECT_EQ(std::distance(fs::directory_iterator(h.root / "FILES"), {}), 1);
    }
}

}  // namespace
}  // namespace loom
