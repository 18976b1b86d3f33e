#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "archive/PasswordFile.h"
#include "archive/SystemSave.h"
#include "datafile/DataFile.h"
#include "document/ProgramState.h"
#include "fields/FieldStore.h"
#include "platform/Clock.h"
#include "platform/ProgramDirectory.h"
#include "support/FailingFileSystem.h"
#include "support/MessageText.h"
#include "support/RecordingPrompt.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace loom::test {

using Lines = std::vector<std::string>;
using Users = std::vector<std::pair<std::string, std::string>>;

constexpr FieldAddress kCustomer = kAddresslessBit | (20000u << 3);
constexpr FieldAddress kPhone = kAddresslessBit | (20001u << 3);
constexpr FieldAddress kPromValue = 0x100u << 3;

// Code page 1252 lines as UTF-8, for readable assertions.
inline Lines utf8(const Lines& lines) {
    Lines out;
    for (const std::string& l : lines)
        out.push_back(cp1252ToUtf8(l));
    return out;
}

// An index file's CRLF lines as UTF-8, sorted (a folder's order is the disk's).
inline Lines sortedLines(const std::string& content) {
    Lines lines;
    for (std::size_t at = 0, end; at < content.size(); at = end + 2) {
        end = content.find("\r\n", at);
        lines.push_back(cp1252ToUtf8(content.substr(at, end - at)));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A program directory on a disk that fails on demand, a clock one hour east of UTC, a
// "diskette" folder and another installation (`outside`) whose index is not ours.
struct TestHome {
    static constexpr std::int64_t kNow = 1'700'000'000;

    TempDir dir;
    std::filesystem::path root{dir.path("")};
    std::filesystem::path diskette{dir.path("disk")};
    std::filesystem::path other{dir.path("other")};
    RecordingPrompt prompt;
    SilentPrompt silent;
    ScriptedDialogs dialogs{prompt};
    FailingFileSystem files;
    FixedClock clock{kNow, 3600};
    ProgramState context{prompt};
    ProgramState outside{silent};

    TestHome() {
        for (const auto& folder :
             {root / "FILES", root / "FORMS", root / "INDEX", diskette, other / "FILES"})
            std::filesystem::create_directories(folder);
        context.setFileSystem(files);
        context.setClock(clock);
        context.setDialogs(dialogs);
        context.setProgramDirectory(ProgramDirectory(root));
        outside.setClock(clock);
        outside.setProgramDirectory(ProgramDirectory(other));
    }

    std::filesystem::path dataFile(const std::string& name) const { return root / "FILES" / name; }
    std::filesystem::path archived(const std::string& key) const { return dataFile(key + ".KQD"); }
    std::filesystem::path onDisk(const std::string& key) const { return diskette / (key + ".KQD"); }
    std::filesystem::path dataIndex() const { return root / "INDEX" / "DATA.KQI"; }
    std::filesystem::path formIndex() const { return root / "INDEX" / "FORM.KQI"; }
    std::filesystem::path loginKey() const { return root / "LOGIN.KEY"; }

    // A system whose display name is "key\tcustomer", with one PROM value.
    static FieldStore system(const std::string& customer, const std::string& promValue = "1") {
        FieldStore store;
        FieldRecord& name = store.findOrCreate(kCustomer);
        name.flags = kFieldFlagDisplayName;
        name.value = customer;
        store.findOrCreate(kPromValue).value = promValue;
        return store;
    }
    // Through the program's own writer, which also stores the file's index line.
    void save(const std::filesystem::path& path, const FieldStore& store,
              const std::string& password = "sys", const std::string& templateName = "ALFA 2000") {
        ASSERT_TRUE(SaveSystem(context, path, templateName, password, store, false).written);
    }
    void writeArchived(const std::string& key, const FieldStore& store,
                       std::int64_t lastWrite = kNow - 86400, const std::string& password = "sys") {
        save(archived(key), store, password);
        ASSERT_TRUE(files.disk().setLastWriteTime(archived(key), lastWrite));
    }
    void writeOutside(const std::filesystem::path& path, const FieldStore& store,
                      const std::string& password, std::int64_t lastWrite) {
        ASSERT_TRUE(SaveSystem(outside, path, "BETA 3000", password, store, false).written);
        ASSERT_TRUE(files.disk().setLastWriteTime(path, lastWrite));
    }
    std::int64_t lastWrite(const std::filesystem::path& path) {
        return files.disk().lastWriteTime(path).value_or(-1);
    }

    // The file as the program reads it (ok false when it does not read).
    struct Content {
        bool ok = false;
        std::string templateName, password;
        FieldStore store;
    };
    Content contentOf(const std::filesystem::path& path) {
        DataFile file(context);
        Content c;
        c.ok = file.ReadHeader(path, c.templateName, c.password, false) && file.Read(path, false);
        c.store = file.Store();
        return c;
    }
    static std::string valueAt(const FieldStore& store, FieldAddress address) {
        return store.find(address) ? store.find(address)->value : "<none>";
    }

    // A data file in FILES holding system("Kund " + name) under template "Mall " + name.
    void writeDataFile(const std::string& name, const std::string& password) {
        save(dataFile(name), system("Kund " + name), password, "Mall " + name);
    }
    std::string dataFilePassword(const std::string& name) {
        const Content c = contentOf(dataFile(name));
        return c.ok ? c.password : "<unreadable>";
    }
    // True when the whole file reads and holds what writeDataFile() wrote.
    bool dataFileIntact(const std::string& name) {
        const Content c = contentOf(dataFile(name));
        const FieldStore expected = system("Kund " + name);
        return c.ok && c.templateName == "Mall " + name && c.store.size() == 2 &&
               *c.store.find(kCustomer) == *expected.find(kCustomer) &&
               *c.store.find(kPromValue) == *expected.find(kPromValue);
    }

    std::string loginKeyBytes() const { return readFile(loginKey()); }
    void writeLoginKey(std::string_view bytes) const { writeFile(loginKey(), bytes); }
    // LOGIN.KEY with record 0 and these users, written by the program's own code.
    void writeLogin(const std::string& systemPassword, const Users& users = {}) {
        Lines names, passwords;
        for (const auto& [name, password] : users)
            names.push_back(name), passwords.push_back(password);
        ASSERT_TRUE(PasswordFile(context).WriteNew(systemPassword, names, passwords));
    }
    Users loginUsers() {
        Lines names, passwords;
        if (!PasswordFile(context).ReadUsers(names, passwords)) return {{"<unreadable>", ""}};
        Users out;
        for (std::size_t i = 0; i < names.size(); ++i)
            out.emplace_back(names[i], passwords[i]);
        return out;
    }
    std::string loginSystemPassword() {
        std::string password;
        return PasswordFile(context).ReadSystemPassword(password) ? password : "<unreadable>";
    }
};

}  // namespace loom::test
