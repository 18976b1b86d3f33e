#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "archive/SystemSave.h"
#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "document/ProgramState.h"
#include "support/RunCli.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace loom {
namespace {

using nlohmann::json;
using test::CliRun;
using test::runCli;

using test::ScopedEnv;

// The demo template, a system naming user 1 "Åsa" and area 2 "Lager", and a log of an
// unknown event followed by user 1 arming area 2.
class LogCommandsTest : public ::testing::Test {
  protected:
    LogCommandsTest()
        : home_(dir_.path("home")),
          settings_("LOOMCRAFT_SETTINGS", dir_.path("settings.ini")),
          homeEnv_("LOOMCRAFT_HOME", home_) {
        std::filesystem::create_directories(home_ + "/FORMS");
        std::filesystem::create_directories(home_ + "/FILES");
        std::filesystem::create_directories(home_ + "/LOG");
        const std::string cmd = std::string(LOOM_KQFORM) + " compile " + LOOM_DEMO_DIR +
                                "/forms/GL200.kqf -o " + form();
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        SilentPrompt prompt;
        ProgramState app(prompt);
        app.setProgramDirectory(ProgramDirectory(home_));
        FieldStore values;
        values.findOrCreate(0x1D010u << 3) = {0x1D010u << 3, 128, 5, 0, "Lager"};
        const FieldAddress user1 = kAddresslessBit | (10025u << 3);
        values.findOrCreate(user1) = {user1, 0, 5, 0, utf8ToCp1252("Åsa")};
        DataFile data(app);
        EXPECT_TRUE(SaveSystem(app, dataPath(), "GL 200", "sys", values, true).written);
        std::ofstream(logPath(), std::ios::binary) << "05000000010109000000000000000000\r\n"
                                                   << "201E2D0E0F060901FDFFFFFFFFFFFFFF\r\n";
    }

    std::string form() const { return home_ + "/FORMS/GL200.FRM"; }
    std::string dataPath() const { return home_ + "/FILES/A0000100.KQD"; }
    std::string logPath() const { return home_ + "/LOG/00000024.LOG"; }

    test::TempDir dir_;
    std::string home_;
    ScopedEnv settings_, homeEnv_;
};

TEST_F(LogCommandsTest, ShowJsonHasTheDecodedEntriesNewestFirst) {
    const CliRun r =
        runCli({"log", "show", logPath(), "--form", form(), "--data", dataPath(), "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const json j = json::parse(r.out);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(
        j[0]["text"],
        "Tillkoppling\r\nMåndag, 15 juni 2009, 14:45.30\r\nAnvändare: Åsa\r\nOmråde: 2: Lager");
    EXPECT_EQ(j[0]["date"], 20090615);
    EXPECT_EQ(j[0]["lines"], json::array({"Tillkoppling", "Måndag, 15 juni 2009, 14:45.30",
                                          "Användare: Åsa", "Område: 2: Lager"}));
    EXPECT_EQ(j[0]["color"], "#000000");
    EXPECT_EQ(j[0]["background"], "#FFFFFF");
    EXPECT_EQ(j[1]["text"], "Händelsefunktion: 0x05");
    EXPECT_TRUE(j[1]["date"].is_null());
    std::vector<std::string> keys;
    const nlohmann::ordered_json ordered = nlohmann::ordered_json::parse(r.out);
    for (const auto& item : ordered[0].items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"text", "date", "lines", "color", "background"}));
    // An intrusion is white on red.
    std::ofstream(logPath(), std::ios::binary) << "101E2D0E0F0609000000000000000000\r\n";
    const json red =
        json::parse(runCli({"log", "show", logPath(), "--form", form(), "--json"}).out);
    EXPECT_EQ(red[0]["color"], "#FFFFFF");
    EXPECT_EQ(red[0]["background"], "#C00000");
}

TEST_F(LogCommandsTest, ShowPrintsFilteredPlainTextAndRefusesBadDates) {
    const std::string arming = "Tillkoppling\nMåndag, 15 juni 2009, 14:45.30\nAnvändare: ";
    const std::string unknown = "Händelsefunktion: 0x05\n";
    const struct {
        std::vector<std::string> args;
        int code;
        std::string out;
        const char* err;  // a text stderr holds
    } cases[] = {
        {{}, 0, arming + "1\nOmråde: 2:\n\n" + unknown, ""},  // without data: numbers only
        {{"--data", dataPath(), "--user", "åsa"}, 0, arming + "Åsa\nOmråde: 2: Lager\n", ""},
        {{"--to", "091231"}, 0, arming + "1\nOmråde: 2:\n", ""},  // no date: left out
        {{"--text", "xyz;0X05"}, 0, unknown, ""},
        {{"--from", "091"}, 1, "", "Felaktigt Från-datum."},
        {{"--from", "090102", "--to", "090101"}, 1, "", "Ingenting kan passa!"}};
    for (const auto& c : cases) {
        std::vector<std::string> args{"log", "show", logPath(), "--form", form()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = runCli(args);
        EXPECT_EQ(r.code, c.code) << args.back() << r.err;
        EXPECT_EQ(r.out, c.out) << args.back();
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    const CliRun none = runCli({"log", "show", logPath() + "X", "--form", form(), "--json"});
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("loggfilen finns inte"), std::string::npos) << none.err;
}

// A log is found through its system, and the system's template through its file.
TEST_F(LogCommandsTest, ShowFindsTheLogAndTheTemplateThroughTheSystem) {
    const std::string named = "Tillkoppling\nMåndag, 15 juni 2009, 14:45.30\nAnvändare: Åsa\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"log", "show", "A0000100"},
          std::vector<std::string>{"log", "show", logPath(), "--data", "A0000100.KQD"}}) {
        const CliRun r = runCli(args);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out.substr(0, named.size()), named);
    }
    // Without a system, the data file whose log it is names the template.
    const CliRun bare = runCli({"log", "show", logPath()});
    EXPECT_EQ(bare.code, 0) << bare.err;
    EXPECT_NE(bare.out.find("Tillkoppling"), std::string::npos);
    std::filesystem::remove(logPath());
    const CliRun noLog = runCli({"log", "show", "A0000100"});
    EXPECT_EQ(noLog.code, 1);
    EXPECT_NE(noLog.err.find("ingen logg"), std::string::npos) << noLog.err;
}

TEST_F(LogCommandsTest, MergeAddsTheNewRecords) {
    const std::string hex = dir_.path("rx.hex");
    // Newest first: one new record, then the file's last one.
    std::ofstream(hex) << "21 1E2D0E100609 01 FDFFFFFFFFFFFFFF\n"
                          "201E2D0E0F060901FDFFFFFFFFFFFFFF\n  ";
    CliRun r = runCli({"log", "merge", logPath(), hex});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Poster i loggen: 3, tillagda: 1\n");
    EXPECT_EQ(test::readFile(logPath()),
              "05000000010109000000000000000000\r\n201E2D0E0F060901FDFFFFFFFFFFFFFF\r\n"
              "211E2D0E10060901FDFFFFFFFFFFFFFF\r\n");
    for (const char* bad : {"0", "GG", "12 3"}) {
        std::ofstream(hex, std::ios::trunc) << bad;
        r = runCli({"log", "merge", logPath(), hex});
        EXPECT_EQ(r.code, 1) << bad;
    }
}

TEST_F(LogCommandsTest, PathNamesTheLogByTheFileIdentifier) {
    CliRun r = runCli({"--home", home_, "log", "path", dataPath()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(std::filesystem::path(r.out.substr(0, r.out.find('\n'))),
              std::filesystem::path(home_) / "LOG" / "00000024.LOG");
    EXPECT_EQ(runCli({"log", "path", "/x/notanid.KQD"}).code, 1);
}

}  // namespace
}  // namespace loom
