#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "archive/SystemSave.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "document/ProgramState.h"
#include "fields/FieldStore.h"
#include "platform/Clock.h"
#include "platform/ProgramDirectory.h"
#include "support/RecordingPrompt.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace loom::test {

// A program directory of its own with a fixed clock, a recording prompt and scripted
// dialogs, for the login, users and system password tests.
struct SecurityHome {
    static constexpr std::int64_t kNow = 1'700'000'000;

    TempDir dir;
    RecordingPrompt prompt;
    ScriptedDialogs dialogs{prompt};
    FixedClock clock{kNow};
    ProgramState context{prompt};

    SecurityHome() {
        context.setProgramDirectory(ProgramDirectory(dir.path("")));
        context.setClock(clock);
        context.setDialogs(dialogs);
        std::filesystem::create_directories(
            context.programDirectory().folder(ProgramFolder::Files));
        std::filesystem::create_directories(
            context.programDirectory().folder(ProgramFolder::Index));
    }

    std::filesystem::path loginKey() const { return context.programDirectory().loginKey(); }
    bool hasLoginKey() const { return std::filesystem::exists(loginKey()); }
    std::string loginKeyBytes() const {
        std::ifstream in(loginKey(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void writeLoginKey(std::string_view bytes) const {
        std::ofstream(loginKey(), std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::filesystem::path dataFile(const std::string& name) const {
        return context.programDirectory().file(ProgramFolder::Files, name);
    }

    // A small system: a display-name value and a label, saved under `password`.
    static FieldStore sampleStore(const std::string& name) {
        FieldStore store;
        FieldRecord& title = store.findOrCreate(kAddresslessBit | (20000u << 3));
        title.flags = kFieldFlagDisplayName;
        title.value = "Kund " + name;
        store.findOrCreate(kAddresslessBit | (10000u << 3)).value = "Entr\xE9";
        return store;
    }
    void writeDataFile(const std::string& name, const std::string& password) {
        ASSERT_TRUE(
            SaveSystem(context, dataFile(name), "Mall " + name, password, sampleStore(name), false)
                .written);
    }
    // The password recorded in the file, or "<unreadable>".
    std::string dataFilePassword(const std::string& name) {
        std::string templateName;
        std::string password;
        if (!DataFile(context).ReadHeader(dataFile(name), templateName, password, false))
            return "<unreadable>";
        return password;
    }
    // True when the whole file reads and holds its template name and sample values.
    bool dataFileIntact(const std::string& name) {
        DataFile file(context);
        std::string templateName;
        std::string password;
        if (!file.ReadHeader(dataFile(name), templateName, password, false)) return false;
        if (!file.Read(dataFile(name), false)) return false;
        FieldStore expected = sampleStore(name);
        return templateName == "Mall " + name && file.Store().ordered().size() == 2 &&
               *file.Store().find(kAddresslessBit | (20000u << 3)) ==
                   *expected.find(kAddresslessBit | (20000u << 3)) &&
               *file.Store().find(kAddresslessBit | (10000u << 3)) ==
                   *expected.find(kAddresslessBit | (10000u << 3));
    }
};

// Names the cases of a table after their `label`.
struct ByLabel {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return info.param.label;
    }
};

// A LOGIN.KEY record as the format defines it, with the filler generator written out:
// state = state * 214013 + 2531011, each filler byte the low byte of bits 16-30.
inline std::string expectedRecord(
    std::string_view name, std::string_view password,
    std::uint32_t seed = static_cast<std::uint32_t>(SecurityHome::kNow)) {
    std::string record;
    record.append(name);
    record.push_back('\0');
    record.append(password);
    record.push_back('\0');
    std::uint32_t state = seed;
    while (record.size() < 128) {
        state = state * 214013u + 2531011u;
        record.push_back(static_cast<char>((state >> 16) & 0xFFu));
    }
    return record;
}

// A whole LOGIN.KEY: record 0 with the system password, then one record per user.
inline std::string loginKeyOf(std::string_view systemPassword,
                              const std::vector<std::pair<std::string, std::string>>& users) {
    std::string out = expectedRecord("", systemPassword);
    for (const auto& [name, password] : users)
        out += expectedRecord(name, password);
    return out;
}

}  // namespace loom::test
