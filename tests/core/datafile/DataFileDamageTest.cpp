// Damaged, cut and half-written files: every one must be refused cleanly, and a save
// that fails must leave the previous file exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "core/datafile/DataFileFixture.h"
#include "datafile/DataFile.h"
#include "support/FailingFileSystem.h"

namespace loom {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kHeaderEnd = 149;  // 139 + "ALFA 2000" + its zero byte

class DataFileDamageTest : public test::DataFileFixture {
  protected:
    FieldStore sample() {
        FieldStore store;
        store.copyIn(record(0x10 << 3, 16, 1, kFieldFlagDisplayName, "BEEF"));
        store.copyIn(record((0x20 << 3) | 2, 8 * 8, 5, 0x80, "Kund AB"));
        store.copyIn(record(kAddresslessBit | (10000 << 3), 0, 5, 0, "Entr\xE9"));
        return store;
    }

    std::string readContext() const {
        return "Kan inte läsa filen.\nfil: " + cp1252ToUtf8(pathText(dataPath()));
    }
    std::string saveContext() const {
        return "Kan inte spara filen.\nfil: " + cp1252ToUtf8(pathText(dataPath()));
    }

    // Reads the file with messages; the one message shown (empty when the read worked).
    std::string readMessage() {
        prompt_.entries.clear();
        DataFile file(context_);
        const bool ok = file.Read(dataPath(), true);
        EXPECT_EQ(prompt_.entries.size(), ok ? 0u : 1u);
        return ok || prompt_.entries.empty() ? std::string() : prompt_.entries.front().text;
    }
};

// Offsets, in the sample file, of the zero bytes that end texts and of the end marker's
// low byte: damaging them changes the structure, not only the sum.
std::set<std::size_t> structuralOffsets(const std::vector<std::uint8_t>& plain,
                                        std::size_t passwordLength) {
    std::set<std::size_t> offsets{11 + passwordLength, kHeaderEnd - 1};
    std::size_t at = kHeaderEnd;
    for (;;) {
        if ((plain[at + 3] & 1) != 0) {
            offsets.insert(at + 3);
            return offsets;
        }
        at += 12;
        while (plain[at] != 0)
            ++at;
        offsets.insert(at++);
    }
}

TEST_F(DataFileDamageTest, EverySingleByteChangeIsRefused) {
    ASSERT_TRUE(write(sample(), "pw"));
    const std::vector<std::uint8_t> good = bytesOf(dataPath());
    const std::set<std::size_t> structural = structuralOffsets(xorKey(good), 2);
    const std::string badChecksum =
        readContext() + "\nFilens checksumma är fel\n(filen har ändrats).";
    std::size_t checksumFailures = 0;
    for (std::size_t offset = 0; offset < good.size(); ++offset) {
        for (const int change : {0x01, 0xFF}) {
            std::vector<std::uint8_t> damaged = good;
            damaged[offset] = static_cast<std::uint8_t>(damaged[offset] ^ change);
            writeBytes(dataPath(), damaged);
            const std::string message = readMessage();
            SCOPED_TRACE(testing::Message() << "offset " << offset << " xor " << change);
            ASSERT_FALSE(message.empty());
            EXPECT_EQ(message.rfind(readContext(), 0), 0u);
            if (offset < 10) {
                EXPECT_EQ(message, readContext() + "\nFilen är inte en datafil.");
            } else if (offset == 10) {
                EXPECT_EQ(message, readContext() + "\nFilen har ett okänt versionsnummer.");
            } else if (!structural.count(offset)) {
                // Filler, text characters, flags, addresses, types, the end marker's high
                // bytes and the checksum itself.
                EXPECT_EQ(message, badChecksum);
            }
            checksumFailures += message == badChecksum;
        }
    }
    EXPECT_GT(checksumFailures, good.size());
}

TEST_F(DataFileDamageTest, HeaderFailuresHaveTheirOwnTexts) {
    ASSERT_TRUE(write(sample(), "pw"));
    const std::vector<std::uint8_t> good = xorKey(bytesOf(dataPath()));
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        std::string reason;
    };
    const Case cases[] = {
        {"magic", [](auto& b) { b[1] = 'k'; }, "Filen är inte en datafil."},
        {"magic end", [](auto& b) { b[9] = ' '; }, "Filen är inte en datafil."},
        {"version 0", [](auto& b) { b[10] = 0; }, "Filen har ett okänt versionsnummer."},
        {"version 2", [](auto& b) { b[10] = 2; }, "Filen har ett okänt versionsnummer."},
        {"password of 128", [](auto& b) { std::fill(b.begin() + 11, b.begin() + 139, 'x'); },
         "Felaktigt lösenord."},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> plain = good;
        c.damage(plain);
        writeBytes(dataPath(), xorKey(plain));
        EXPECT_EQ(readMessage(), readContext() + "\n" + c.reason) << c.name;
        prompt_.entries.clear();
        std::string name, password;
        DataFile file(context_);
        EXPECT_FALSE(file.ReadHeader(dataPath(), name, password, true)) << c.name;
        EXPECT_EQ(prompt_.texts(), std::vector<std::string>{readContext() + "\n" + c.reason});
        prompt_.entries.clear();
        EXPECT_FALSE(file.Read(dataPath(), false));
        EXPECT_TRUE(prompt_.entries.empty()) << c.name;
    }
}

TEST_F(DataFileDamageTest, TextsLongerThanTheLimitAreRefused) {
    ASSERT_TRUE(write(sample(), "pw"));
    std::vector<std::uint8_t> plain = xorKey(bytesOf(dataPath()));
    // A template name of 700 characters in place of "ALFA 2000".
    plain.erase(plain.begin() + 139, plain.begin() + kHeaderEnd - 1);
    plain.insert(plain.begin() + 139, 700, 'n');
    writeBytes(dataPath(), xorKey(plain));
    EXPECT_EQ(readMessage(), readContext());
}

// A file cut anywhere fails as an unexpected end, with the context alone; the header
// alone can be read once it is complete.
TEST_F(DataFileDamageTest, TruncationAtEveryLengthFails) {
    ASSERT_TRUE(write(sample(), "pw"));
    const std::vector<std::uint8_t> good = bytesOf(dataPath());
    for (std::size_t length = 0; length < good.size(); ++length) {
        writeBytes(dataPath(), {good.begin(), good.begin() + static_cast<long>(length)});
        EXPECT_EQ(readMessage(), readContext()) << length;
        DataFile file(context_);
        std::string name, password;
        EXPECT_EQ(file.ReadHeader(dataPath(), name, password, false), length >= kHeaderEnd)
            << length;
    }
}

// Saving over an existing file: a write that fails after any number of bytes, or a commit
// that fails, leaves the old file byte for byte, no temporary file and the index as it was.
TEST_F(DataFileDamageTest, FailedWriteKeepsThePreviousFile) {
    ASSERT_TRUE(write(sample()));
    const std::vector<std::uint8_t> before = bytesOf(dataPath());

    FieldStore large;
    for (std::uint32_t i = 0; i < 3000; ++i)
        large.copyIn(record(i << 5, 8 * 12, 5, i % 7 == 0 ? 2 : 0, "Värde " + std::to_string(i)));
    ASSERT_TRUE(write(large, "pw", dataPath("SIZE.KQD")));
    const std::uint64_t size = bytesOf(dataPath("SIZE.KQD")).size();
    ASSERT_GT(size, 3 * DataFile::kBufferSize);
    fs::remove(dataPath("SIZE.KQD"));
    const std::vector<std::uint8_t> indexAfterProbe = bytesOf(indexPath());

    std::vector<std::uint64_t> limits = {0,     1,     10,    139,      16383,   16384,
                                         16385, 32768, 40000, size - 4, size - 1};
    for (std::uint64_t n = 500; n < size; n += 4999)
        limits.push_back(n);
    for (const std::uint64_t n : limits) {
        for (const bool commitFails : {false, true}) {
            test::FailingFileSystem files;
            context_.setFileSystem(files);
            if (commitFails)
                files.failCommit();
            else
                files.failWritesAfter(n);
            prompt_.entries.clear();
            EXPECT_FALSE(write(large, "pw")) << n;
            // The disk's reason, not a generic one.
            EXPECT_EQ(prompt_.texts(),
                      std::vector<std::string>{saveContext() +
                                               "\nDet finns inget utrymme kvar på enheten."})
                << n;
            EXPECT_EQ(bytesOf(dataPath()), before) << n;
            EXPECT_EQ(bytesOf(indexPath()), indexAfterProbe) << n;
            std::vector<std::string> names;
            for (const auto& entry : fs::directory_iterator(home_ / "FILES"))
                names.push_back(entry.path().filename().string());
            EXPECT_EQ(names, std::vector<std::string>{"A1B2C3D0.KQD"}) << n;
            if (commitFails) break;
        }
    }
}

// A process that dies in the middle of a save leaves at most a temporary file beside the
// old one; the old file still reads as it was.
TEST_F(DataFileDamageTest, CrashDuringWriteKeepsThePreviousFile) {
    ASSERT_TRUE(write(sample()));
    const std::vector<std::uint8_t> before = bytesOf(dataPath());
    FieldStore large;
    for (std::uint32_t i = 0; i < 2000; ++i)
        large.copyIn(record(kAddresslessBit | (i << 3), 0, 5, 0, "Värde " + std::to_string(i)));
    for (const std::uint64_t n : {0u, 100u, 16384u, 20000u}) {
        test::FailingFileSystem files;
        context_.setFileSystem(files);
        files.crashAfter(n);
        EXPECT_FALSE(write(large));
        EXPECT_EQ(bytesOf(dataPath()), before) << n;
        DataFile file(context_);
        ASSERT_TRUE(file.Read(dataPath(), true)) << n;
        EXPECT_EQ(file.Store().find(0x10 << 3)->value, "BEEF");
    }
}

}  // namespace
}  // namespace loom
