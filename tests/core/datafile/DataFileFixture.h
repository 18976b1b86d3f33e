#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/SystemSave.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "document/ProgramState.h"
#include "platform/Clock.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

namespace loom::test {

// A program directory of its own, a fixed clock and a recording prompt for each test.
class DataFileFixture : public ::testing::Test {
  protected:
    DataFileFixture() : home_(temp_.path("home")), context_(prompt_) {
        std::filesystem::create_directories(home_ / "FILES");
        context_.setClock(clock_);
        context_.setProgramDirectory(ProgramDirectory(home_));
    }

    std::filesystem::path dataPath(const std::string& name = "A1B2C3D0.KQD") const {
        return home_ / "FILES" / name;
    }
    std::filesystem::path indexPath() const { return home_ / "INDEX" / "DATA.KQI"; }

    static std::vector<std::uint8_t> bytesOf(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeBytes(const std::filesystem::path& path,
                           const std::vector<std::uint8_t>& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    // The key stream computed here from the generator's definition, not through the
    // program's own generator, so that a change of either is caught.
    static std::array<std::uint8_t, 128> expectedKey() {
        std::array<std::uint8_t, 128> key{};
        std::uint32_t state = 0x4B514441;
        for (std::uint8_t& b : key) {
            state = state * 214013u + 2531011u;
            b = static_cast<std::uint8_t>(state >> 16);
        }
        return key;
    }
    // Enciphering and deciphering are the same XOR.
    static std::vector<std::uint8_t> xorKey(std::vector<std::uint8_t> bytes) {
        const auto key = expectedKey();
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] ^= key[i % key.size()];
        return bytes;
    }

    static FieldRecord record(FieldAddress address, FieldSize size, std::uint8_t type,
                              std::uint8_t flags, std::string value) {
        return FieldRecord{address, size, type, flags, std::move(value)};
    }

    bool write(const FieldStore& store, const std::string& password = "hemligt",
               const std::filesystem::path& path = {}) {
        DataFile file(context_);
        return SaveSystem(context_, path.empty() ? dataPath() : path, "ALFA 2000", password, store,
                          true)
            .written;
    }

    TempDir temp_;
    std::filesystem::path home_;
    RecordingPrompt prompt_;
    FixedClock clock_{1700000000};
    ProgramState context_;
};

}  // namespace loom::test
