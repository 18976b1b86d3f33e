#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/DemoTemplates.h"
#include "support/RunCli.h"

namespace loom {
namespace {

using test::CliRun;
using test::cliText;
using test::contains;
using test::runCli;

// The demo template, a system naming user 1 "Åsa" and area 2 "Lager", and a log of an
// unknown event followed by user 1 arming area 2.
class LogCommandsTest : public test::CliHome {
  protected:
    LogCommandsTest() {
        test::installTemplate(home_, "GL200.FRM", test::demoTemplateSource("GL200"));
        FieldStore store;
        store.findOrCreate(0x1D010u << 3) = {0x1D010u << 3, 128, 5, 0, "Lager"};
        const FieldAddress user1 = kAddresslessBit | (10025u << 3);
        store.findOrCreate(user1) = {user1, 0, 5, 0, utf8ToCp1252("Åsa")};
        saveSystem(dataPath(), store, "GL 200");
        std::ofstream(logPath(), std::ios::binary) << "05000000010109000000000000000000\r\n"
                                                   << "201E2D0E0F060901FDFFFFFFFFFFFFFF\r\n";
    }

    std::string form() const { return home_ + "/FORMS/GL200.FRM"; }
    std::string dataPath() const { return home_ + "/FILES/A0000100.KQD"; }
    std::string logPath() const { return home_ + "/LOG/00000024.LOG"; }
};

const std::string kArming = "Tillkoppling\nMåndag, 15 juni 2009, 14:45.30\nAnvändare: ";
const std::string kUnknown = "Händelsefunktion: 0x05\n";

TEST_F(LogCommandsTest, ShowPrintsJsonOrFilteredPlainTextAndRefusesBadDates) {
    const CliRun json = runCli({"log", "show", logPath(), "--data", dataPath(), "--json"});
    ASSERT_EQ(json.code, 0) << json.err;
    const auto j = nlohmann::ordered_json::parse(json.out);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(test::keysOf(j[0]),
              (std::vector<std::string>{"text", "date", "lines", "color", "background"}));
    EXPECT_EQ(j[0]["text"],
              "Tillkoppling\r\nMåndag, 15 juni 2009, 14:45.30\r\nAnvändare: Åsa\r\nOmråde: 2: "
              "Lager");
    EXPECT_EQ(j[0]["date"], 20090615);
    EXPECT_TRUE(j[1]["date"].is_null());
    const struct {
        std::vector<std::string> args;
        int code;
        std::string out, err;  // err: a text stderr holds
    } cases[] = {
        {{"--form", form()}, 0, kArming + "1\nOmråde: 2:\n\n" + kUnknown, ""},  // numbers only
        {{"--data", "A0000100.KQD", "--user", "åsa"}, 0, kArming + "Åsa\nOmråde: 2: Lager\n", ""},
        {{"--form", form(), "--from", "091"}, 1, "", cliText(MessageId::BadFromDate)}};
    for (const auto& c : cases) {
        std::vector<std::string> args{"log", "show", logPath()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = runCli(args);
        EXPECT_EQ(r.code, c.code) << args.back() << r.err;
        EXPECT_EQ(r.out, c.out) << args.back();
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
    }
    EXPECT_TRUE(runCli({"log", "show", "A0000100"}).out.starts_with(kArming + "Åsa\n"));
    std::filesystem::remove(logPath());
    const CliRun noLog = runCli({"log", "show", "A0000100"});
    EXPECT_EQ(noLog.code, 1);
    EXPECT_TRUE(contains(noLog.err, "ingen logg")) << noLog.err;
}

TEST_F(LogCommandsTest, MergeAddsTheNewRecordsAndPathNamesTheLog) {
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
    std::ofstream(hex, std::ios::trunc) << "12 3";
    EXPECT_EQ(runCli({"log", "merge", logPath(), hex}).code, 1);

    r = runCli({"log", "path", dataPath()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(std::filesystem::path(r.out.substr(0, r.out.find('\n'))), logPath());
    EXPECT_EQ(runCli({"log", "path", "/x/notanid.KQD"}).code, 1);
}

}  // namespace
}  // namespace loom
