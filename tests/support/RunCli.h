#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "archive/SystemSave.h"
#include "common/Cp1252.h"
#include "common/Messages.h"
#include "document/ProgramState.h"
#include "fields/FieldStore.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace loom::test {

struct CliRun {
    int code;
    std::string out, err;
};

// Runs the command line tool in process on `args` (without the program name).
inline CliRun runCli(std::vector<std::string> args) {
    args.insert(args.begin(), "loomcraft-cli");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int code = cli::runCli(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

// The catalogue's message as the CLI prints it (UTF-8), up to its first placeholder.
inline std::string cliText(MessageId id) {
    const std::string text = cp1252ToUtf8(messageText(id));
    return text.substr(0, text.find('%'));
}

// An object's keys in its order (sorted for nlohmann::json, as printed for ordered_json).
template <class Json>
std::vector<std::string> keysOf(const Json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items())
        keys.push_back(item.key());
    return keys;
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A program directory made by "init" (system password "sys", user anna / hemlig, computer
// letter T) with settings of its own, found through the environment.
class CliHome : public ::testing::Test {
  protected:
    CliHome() {
        ScopedEnv systemPassword("LOOMCRAFT_NEW_PASSWORD", "sys");
        const CliRun r = runCli({"--login", "anna", "init"});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(runCli({"settings", "set", "ComputerID", "T"}).code, 0);
    }
    // Through the program's writer, which indexes the files in FILES.
    void saveSystem(const std::filesystem::path& path, const FieldStore& store,
                    const std::string& templateName = "ALFA 2000", std::int64_t lastWrite = 0,
                    const std::string& password = "sys") {
        SilentPrompt prompt;
        ProgramState app(prompt);
        app.setProgramDirectory(ProgramDirectory(home_));
        ASSERT_TRUE(SaveSystem(app, path, templateName, password, store, false).written);
        ASSERT_TRUE(!lastWrite || app.files().setLastWriteTime(path, lastWrite));
    }
    // Values at addressless fields, the first `shown` of them in the display name.
    static FieldStore values(const std::vector<std::string>& texts, std::size_t shown) {
        FieldStore store;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const auto address = kAddresslessBit | static_cast<FieldAddress>((i + 1) << 3);
            FieldRecord& r = store.findOrCreate(address);
            r.flags = i < shown ? kFieldFlagDisplayName : 0;
            r.value = utf8ToCp1252(texts[i]);
        }
        return store;
    }
    static CliRun asAnna(std::vector<std::string> args) {
        args.insert(args.begin(), {"--login", "anna"});
        return runCli(args);
    }

    TempDir dir_;
    std::string home_ = dir_.path("home");
    ScopedEnv settings_{"LOOMCRAFT_SETTINGS", dir_.path("settings.ini")};
    ScopedEnv homeEnv_{"LOOMCRAFT_HOME", home_};
    ScopedEnv password_{"LOOMCRAFT_PASSWORD", "hemlig"};
};

}  // namespace loom::test
