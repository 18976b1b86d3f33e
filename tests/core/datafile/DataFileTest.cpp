#include "archive/SystemSave.h"
#include "datafile/DataFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "core/datafile/DataFileFixture.h"
#include "datafile/LabelTable.h"
#include "support/FailingFileSystem.h"
#include "support/HexBytes.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::DataFileFixture;

constexpr FieldAddress addressless(std::uint32_t number) {
    return kAddresslessBit | (number << 3);
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

using DataFileTest = DataFileFixture;

// The whole file, byte for byte: layout, cipher, filler from the clock and checksum.
TEST_F(DataFileTest, WritesTheDocumentedLayout) {
    EXPECT_EQ(test::hexString(std::vector<std::uint8_t>(DataFile::keyStream().begin(),
                                                        DataFile::keyStream().begin() + 16)),
              "17 B9 E7 4F B3 65 A2 1C 88 6A 46 61 72 C5 24 2F");
    FieldStore store;
    store.copyIn(record(0x10 << 3, 8, 1, kFieldFlagDisplayName, "A1"));
    ASSERT_TRUE(write(store, "pw"));

    std::vector<std::uint8_t> plain;
    const std::string magic = "<KQ_DATA>";
    plain.insert(plain.end(), magic.begin(), magic.end());
    plain.push_back(0);
    plain.push_back(1);
    plain.insert(plain.end(), {'p', 'w', 0});
    std::uint32_t state = static_cast<std::uint32_t>(clock_.nowSeconds());
    while (plain.size() < 139) {
        state = state * 214013u + 2531011u;
        plain.push_back(static_cast<std::uint8_t>(state >> 16));
    }
    const std::string name = "ALFA 2000";
    plain.insert(plain.end(), name.begin(), name.end());
    plain.push_back(0);
    const auto words = test::hexBytes("00000002 00000080 00000001 41 31 00 00000001");
    plain.insert(plain.end(), words.begin(), words.end());
    std::uint32_t sum = 0;
    for (std::uint8_t b : plain)
        sum += b;
    for (int shift = 24; shift >= 0; shift -= 8)
        plain.push_back(static_cast<std::uint8_t>(sum >> shift));

    EXPECT_EQ(test::hexString(xorKey(bytesOf(dataPath()))), test::hexString(plain));
}

TEST_F(DataFileTest, RoundTripKeepsEveryRecord) {
    FieldStore store;
    // Already normalised values of every type, flags beyond bit 1 carried through,
    // address-less records, and a text at the longest length.
    const std::vector<FieldRecord> records = {
        record(0x300 << 3, 8, 0, kFieldFlagDisplayName, "Storgatan 1"),  // not parsable
        record(0x100 << 3, 8 * 16, 5, kFieldFlagDisplayName, utf8ToCp1252("Kund Åkesson AB")),
        record((0x200 << 3) | 3, 12, 1, 0x80, "FFF"),
        record(0x210 << 3, 16, 2, 0x04, "12"),
        record(0x220 << 3, 16, 3, 0, ""),
        record(0x230 << 3, 5, 4, 0, "10101"),
        record(0x240 << 3, 8, 6, 0, "1490"),
        record(0x250 << 3, 16, 7, 0, ""),
        record(0x260 << 3, 4, 8, 0, "1"),
        record(0x270 << 3, 12, 9, 0, "25"),
        record(addressless(10025), 0, 5, 0, "Entr\xE9"),
        record(addressless(42), 0, 1, kFieldFlagDisplayName, std::string(699, 'x')),
        record(addressless(43), 0, 1, 0, ""),
    };
    for (const FieldRecord& r : records)
        store.copyIn(r);
    ASSERT_TRUE(write(store));

    DataFile file(context_);
    ASSERT_TRUE(file.Read(dataPath(), true));
    EXPECT_TRUE(prompt_.entries.empty());
    EXPECT_EQ(file.templateName(), "ALFA 2000");
    ASSERT_EQ(file.Store().size(), records.size());
    for (FieldRecord expected : records) {
        expected.size = 0;  // sizes come from the template, not the file
        const FieldRecord* got = file.Store().find(expected.address);
        ASSERT_NE(got, nullptr) << expected.address;
        EXPECT_EQ(*got, expected) << expected.address;
    }
    // The store's order (bucket by bucket), not the order of insertion.
    const std::string name =
        "A1B2C3D0\t" + utf8ToCp1252("Kund Åkesson AB") + "\tStorgatan 1\t" + std::string(699, 'x');
    EXPECT_EQ(file.DisplayName(), name);
    EXPECT_EQ(readText(indexPath()), name + "\r\n");
    EXPECT_EQ(context_.labels().text(1), "Entr\xE9");

    FieldStore copy;
    copy.copyIn(record(7, 8, 0, 0, "stale"));
    file.CopyStoreTo(copy);
    EXPECT_EQ(copy.size(), records.size());
    EXPECT_EQ(copy.find(7), nullptr);
    EXPECT_EQ(copy.find(0x100 << 3)->value, utf8ToCp1252("Kund Åkesson AB"));
}

// Several buffers' worth, so that numbers, texts and the key position cross buffer ends.
TEST_F(DataFileTest, RoundTripOverManyBuffers) {
    FieldStore store;
    for (std::uint32_t i = 0; i < 4000; ++i)
        store.copyIn(record(addressless(i), 0, static_cast<std::uint8_t>(i % 10),
                            static_cast<std::uint8_t>(i % 3 * 2), std::string(i % 37, 'a')));
    ASSERT_TRUE(write(store));
    ASSERT_GT(bytesOf(dataPath()).size(), 4 * DataFile::kBufferSize);
    DataFile file(context_);
    ASSERT_TRUE(file.Read(dataPath(), true));
    ASSERT_EQ(file.Store().size(), store.size());
    store.forEach([&](const FieldRecord& r) { EXPECT_EQ(*file.Store().find(r.address), r); });
}

TEST_F(DataFileTest, EmptyStoreAndEmptyDisplayValue) {
    FieldStore store;
    ASSERT_TRUE(write(store, "", dataPath("X0000000.KQD")));
    DataFile file(context_);
    ASSERT_TRUE(file.Read(dataPath("X0000000.KQD"), true));
    EXPECT_TRUE(file.Store().empty());
    EXPECT_EQ(file.DisplayName(), "X0000000");

    store.copyIn(record(addressless(1), 0, 5, kFieldFlagDisplayName, ""));
    ASSERT_TRUE(write(store, "", dataPath("Y0000000.tar.KQD")));
    ASSERT_TRUE(file.Read(dataPath("Y0000000.tar.KQD"), true));
    EXPECT_EQ(file.DisplayName(), "Y0000000\t");
}

TEST_F(DataFileTest, PasswordFieldIsAlways128Bytes) {
    for (const std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{127}}) {
        const std::string password(length, 'p');
        ASSERT_TRUE(write(FieldStore{}, password));
        const std::vector<std::uint8_t> plain = xorKey(bytesOf(dataPath()));
        EXPECT_EQ(plain[11 + length], 0) << length;
        EXPECT_EQ(std::string(plain.begin() + 139, plain.begin() + 148), "ALFA 2000") << length;

        DataFile file(context_);
        std::string templateName, read;
        ASSERT_TRUE(file.ReadHeader(dataPath(), templateName, read, true));
        EXPECT_EQ(read, password);
        EXPECT_EQ(templateName, "ALFA 2000");
    }
}

TEST_F(DataFileTest, ValuesAreSavedNormalised) {
    struct Case {
        FieldRecord in;
        std::string saved;
    };
    const Case cases[] = {
        {record(0x10 << 3, 16, 1, 0, "00a1"), "A1"},
        {record(0x20 << 3, 16, 7, 0, "1234"), ""},
        {record(0x30 << 3, 4, 8, 0, "101"), "1"},
        {record(0x40 << 3, 4, 0, 0, "17"), "1"},
        {record(0x50 << 3, 8 * 4, 5, 0, "ab  "), "ab"},
        {record(0x60 << 3, 8, 0, 0, "12x"), "12x"},                   // does not parse: as entered
        {record(0x70 << 3, 32, 0, 0, "42949672950"), "42949672950"},  // does not fit
        // Judged by the text written, not the text entered.
        {record(0x90 << 3, 4 * 800, 1, 0, std::string(798, '0') + "a1"), "A1"},
        {record(addressless(5), 16, 1, 0, "00a1"), "00a1"},  // no PROM place: as it is
        {record(0x80 << 3, 0, 0, 0, "17"), "17"},        // never merged with a template: no size
        {record(addressless(6), 0, 0, 0x03, "a"), "a"},  // flag bit 0 is never written
    };
    FieldStore store;
    for (const Case& c : cases)
        store.copyIn(c.in);
    ASSERT_TRUE(write(store));
    DataFile file(context_);
    ASSERT_TRUE(file.Read(dataPath(), true));
    ASSERT_EQ(file.Store().size(), std::size(cases));
    for (const Case& c : cases) {
        EXPECT_EQ(file.Store().find(c.in.address)->value, c.saved) << c.in.value;
        EXPECT_EQ(file.Store().find(c.in.address)->flags, c.in.flags & 0xFE) << c.in.value;
    }
}

TEST_F(DataFileTest, LabelTableFollowsTheLastRead) {
    FieldStore store;
    for (std::uint32_t n : {10000u, 16350u, 16375u, 10010u, 9975u})
        store.copyIn(record(addressless(n), 0, 5, 0, "n" + std::to_string(n)));
    store.copyIn(record(addressless(10050) | 1, 0, 5, 0, "offset"));
    store.copyIn(record(10075 << 3, 8, 5, 0, "prom"));
    context_.labels().set(7, "old");
    ASSERT_TRUE(write(store));
    DataFile file(context_);
    ASSERT_TRUE(file.Read(dataPath(), true));
    std::vector<std::string> filled;
    for (std::size_t i = 0; i < LabelTable::kSize; ++i) {
        if (!context_.labels().text(i).empty())
            filled.push_back(std::to_string(i) + "=" + context_.labels().text(i));
    }
    EXPECT_EQ(filled, (std::vector<std::string>{"0=n10000", "254=n16350"}));
}

// Values Read could not take back are refused before anything is written.
TEST_F(DataFileTest, WriteRefusesWhatCouldNotBeReadBack) {
    FieldStore good;
    good.copyIn(record(0x10 << 3, 8, 0, kFieldFlagDisplayName, "5"));
    ASSERT_TRUE(write(good));
    const std::vector<std::uint8_t> before = bytesOf(dataPath());
    const std::string index = readText(indexPath());
    const std::string context = "Kan inte spara filen.\nfil: " + cp1252ToUtf8(pathText(dataPath()));
    const std::string cannotSave =
        "\nEtt värde kan inte sparas: det är längre än 699 tecken eller innehåller ett "
        "nolltecken.\nfält: ";

    struct Case {
        const char* name;
        std::string templateName;
        std::string password;
        FieldRecord value;
        std::string message;
    };
    const Case cases[] = {
        {"long password", "T", std::string(128, 'p'), record(1, 0, 0, 0, ""), context},
        {"zero in password", "T", std::string("a\0b", 3), record(1, 0, 0, 0, ""), context},
        {"long template name", std::string(700, 't'), "", record(1, 0, 0, 0, ""), context},
        {"long value", "T", "", record(addressless(3), 0, 5, 0, std::string(700, 'v')),
         context + cannotSave + "0x80000018"},
        {"zero in value", "T", "", record(0x123, 0, 5, 0, std::string("a\0b", 3)),
         context + cannotSave + "0x123"},
        {"long after normalising", "T", "", record(0x200, 8 * 800, 5, 0, std::string(700, 'v')),
         context + cannotSave + "0x200"},
    };
    for (const Case& c : cases) {
        prompt_.entries.clear();
        FieldStore store = good;
        store.copyIn(c.value);
        DataFile file(context_);
        EXPECT_FALSE(
            SaveSystem(context_, dataPath(), c.templateName, c.password, store, true).written)
            << c.name;
        EXPECT_EQ(prompt_.texts(), std::vector<std::string>{c.message}) << c.name;
        EXPECT_EQ(bytesOf(dataPath()), before) << c.name;
        EXPECT_EQ(namesIn(home_ / "FILES"), std::vector<std::string>{"A1B2C3D0.KQD"}) << c.name;
        EXPECT_EQ(readText(indexPath()), index) << c.name;

        prompt_.entries.clear();
        EXPECT_FALSE(
            SaveSystem(context_, dataPath(), c.templateName, c.password, store, false).written);
        EXPECT_TRUE(prompt_.entries.empty()) << c.name;
    }
}

TEST_F(DataFileTest, MissingFileIsReportedWithItsPath) {
    DataFile file(context_);
    std::string name, password;
    EXPECT_FALSE(file.Read(dataPath("NONE.KQD"), true));
    EXPECT_FALSE(file.ReadHeader(dataPath("NONE.KQD"), name, password, true));
    const std::string message =
        "Kan inte läsa filen.\nfil: " + cp1252ToUtf8(pathText(dataPath("NONE.KQD")));
    EXPECT_EQ(prompt_.texts(), (std::vector<std::string>{message, message}));
    prompt_.entries.clear();
    EXPECT_FALSE(file.Read(dataPath("NONE.KQD"), false));
    EXPECT_TRUE(prompt_.entries.empty());
}

// The file is saved even when the index cannot be updated; the index says so itself.
TEST_F(DataFileTest, HeldIndexDoesNotFailTheWrite) {
    test::FailingFileSystem files;
    context_.setFileSystem(files);
    files.failLocked();
    FieldStore store;
    store.copyIn(record(0x10 << 3, 8, 0, 0, "5"));
    EXPECT_TRUE(write(store));
    EXPECT_EQ(prompt_.texts(), std::vector<std::string>{"Kan inte öppna filen.\nfil: " +
                                                        cp1252ToUtf8(pathText(indexPath())) +
                                                        "\nFilen används av ett annat program."});
    DataFile file(context_);
    EXPECT_TRUE(file.Read(dataPath(), true));
}

}  // namespace
}  // namespace loom
