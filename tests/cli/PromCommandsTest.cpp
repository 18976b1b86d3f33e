#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "archive/PasswordFile.h"
#include "context/AppContext.h"
#include "document/ProgramState.h"
#include "support/DemoTemplates.h"
#include "support/RunCli.h"
#include "support/ScopedEnv.h"
#include "support/SpoilingRelay.h"
#include "support/TempDir.h"

namespace loom {
namespace {

using nlohmann::json;
using test::CliRun;
using test::runCli;
using test::ScopedEnv;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

panelsim::LogRecord record(const char* hex) {
    panelsim::LogRecord r{};
    for (std::size_t i = 0; i < r.size(); ++i)
        r[i] = static_cast<std::uint8_t>(std::stoul(std::string(hex + 2 * i, 2), nullptr, 16));
    return r;
}

// A program directory with the GL 200 template and its index, user "anna" / "hemlig",
// one system with a customer name, fast link waits, and a simulated GL 200 panel (ID
// code 123456) on loopback TCP.
class PromCommandsTest : public ::testing::Test {
  protected:
    static constexpr const char* kCustomer = "0x100";  // GL 200: customer name, PROM 0x20

    PromCommandsTest()
        : home_(dir_.path("home")),
          settings_("LOOMCRAFT_SETTINGS", dir_.path("settings.ini")),
          homeEnv_("LOOMCRAFT_HOME", home_),
          password_("LOOMCRAFT_PASSWORD", "hemlig"),
          timing_("LOOMCRAFT_LINK_TIMING", "fast") {
        test::installTemplate(home_, "GL200.FRM", test::demoTemplateSource("GL200"));
        SilentPrompt prompt;
        ProgramState app(prompt);
        app.setProgramDirectory(ProgramDirectory(home_));
        PasswordFile passwords(app);
        EXPECT_TRUE(passwords.WriteSystemPassword("sys"));
        EXPECT_TRUE(passwords.WriteUsers({"anna"}, {"hemlig"}));
        EXPECT_EQ(runCli({"settings", "set", "ComputerID", "T"}).code, 0);
        const CliRun made =
            runCli({"--login", "anna", "data", "new", "--form", home_ + "/FORMS/GL200.FRM", "--set",
                    std::string(kCustomer) + "=Åkerlunds Bageri AB"});
        EXPECT_EQ(made.code, 0) << made.err;
        system_ = made.out.substr(0, made.out.find('\n'));
        EXPECT_EQ(runCli({"index", "rebuild"}).code, 0);
        port_ = panel_.startTcp().value_or(0);
    }

    std::string fileId() const { return std::filesystem::path(system_).stem().string(); }
    std::string endpoint(std::uint16_t port = 0) const {
        return "127.0.0.1:" + std::to_string(port ? port : port_);
    }
    // prom ARGS... over TCP to the panel (or `port`).
    CliRun prom(std::vector<std::string> args, std::uint16_t port = 0) {
        args.insert(args.begin(), {"--login", "anna", "prom"});
        args.insert(args.end(), {"--tcp", endpoint(port), "--id", "123456"});
        return runCli(args);
    }
    json readJson() {
        const CliRun r = prom({"read", "--json"});
        EXPECT_EQ(r.code, 0) << r.err;
        return json::parse(r.out);
    }
    void write() {
        const CliRun r = prom({"write", system_, "--yes"});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_TRUE(contains(r.err, "Skrivning klar!")) << r.err;
    }

    test::TempDir dir_;
    std::string home_;
    ScopedEnv settings_, homeEnv_, password_, timing_;
    std::string system_;
    panelsim::PanelSimulator panel_{panelsim::PanelConfig{}};
    std::uint16_t port_ = 0;
};

TEST_F(PromCommandsTest, WrittenSystemReadsBackAsTheIdenticalFile) {
    write();
    EXPECT_EQ(panel_.counters().erases, 1u);
    const CliRun r = prom({"read", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const nlohmann::ordered_json j = nlohmann::ordered_json::parse(r.out);
    EXPECT_EQ(j, nlohmann::ordered_json::parse(R"({"message": 81, "file": ")" + fileId() +
                                               R"(", "template": "GL 200", "differences": []})"));
}

TEST_F(PromCommandsTest, ChangedFileReadsWithItsDifferencesAndSaveTakesThePromValues) {
    write();
    ASSERT_EQ(
        runCli({"--login", "anna", "data", "set", system_, std::string(kCustomer) + "=Bageriet"})
            .code,
        0);
    const json j = readJson();
    EXPECT_EQ(j["message"], 82);
    EXPECT_EQ(j["file"], fileId());
    EXPECT_EQ(j["differences"],
              json::parse(R"([{"page": "Anläggning", "address": "0x00000100", "file": "Bageriet",
                               "prom": "Åkerlunds Bageri AB", "caption": "Kundnamn"}])"));
    // Without --json the outcome message leads stdout, and stdout alone, then the fields by
    // page.
    const CliRun text = prom({"read", "--save"});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_TRUE(text.out.starts_with("Nedläsning klar!\n")) << text.out;
    EXPECT_FALSE(contains(text.err, "Nedläsning klar!")) << text.err;
    EXPECT_TRUE(contains(text.out,
                         "Sida \"Anläggning\":\n  0x00000100 (Kundnamn)  fil \"Bageriet\"  "
                         "prom \"Åkerlunds Bageri AB\"\n"))
        << text.out;
    EXPECT_EQ(readJson()["message"], 81);
}

TEST_F(PromCommandsTest, PromOfAFileNotInTheArchiveReadsAsNew) {
    write();
    std::filesystem::remove(system_);
    const json j = readJson();
    EXPECT_EQ(j["message"], 80);
    EXPECT_TRUE(j["file"].is_null());
    EXPECT_EQ(j["differences"], json::array());
}

TEST_F(PromCommandsTest, VerifyComparesEveryBlockWrittenWithWhatReadsBack) {
    CliRun r = prom({"write", fileId(), "--yes", "--verify"});  // the system by its key
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("verifierat: ")) << r.out;
    // A PROM whose customer block reads back changed.
    test::SpoilingRelay relay(port_, 0x20);
    r = prom({"write", system_, "--yes", "--verify"}, relay.port());
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_TRUE(r.out.starts_with("verifieringen misslyckades: 1 av ")) << r.out;
    EXPECT_TRUE(r.out.ends_with(":\n00020\n")) << r.out;
}

TEST_F(PromCommandsTest, LogPrintsOnlyTheRecordsNewSinceTheLastRead) {
    panel_.setFileId(fileId());
    const auto mainsFault = record("30091114020C1A0004FFFFFFFFFFFFFF");
    const auto mainsBack = record("313A3B14020C1A0000FFFFFFFFFFFFFF");
    const auto arming = record("20002D07030C1A01FEFFFFFFFFFFFFFF");
    panel_.setLog({mainsFault, mainsBack});
    CliRun r = prom({"log", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    json j = json::parse(r.out);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0]["lines"][0], "Nätspänning åter");  // newest first
    EXPECT_EQ(j[1]["lines"][0], "Nätfel");

    panel_.setLog({mainsFault, mainsBack, arming});
    r = prom({"log"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("Tillkoppling\n")) << r.out;
    EXPECT_FALSE(contains(r.out, "Nät")) << r.out;
    EXPECT_TRUE(contains(r.err, "3 poster, 1 nya")) << r.err;
}

TEST_F(PromCommandsTest, PanelOfAnotherModelIsWrittenOnlyWithConvert) {
    test::installDemoConversion(home_, "GL200_VT340");
    panelsim::Identity vt340{};
    std::string error;
    ASSERT_TRUE(panelsim::parseIdentity("VT 340", vt340, error)) << error;
    panel_.setIdentity(vt340);
    CliRun r = prom({"write", system_, "--yes"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(contains(r.err,
                         "Konvertering är möjlig. Skall data konverteras?\n\n-> nej\n"
                         "Data konverteras bara med --convert"))
        << r.err;
    EXPECT_EQ(panel_.counters().erases, 0u);
    r = prom({"write", system_, "--yes", "--convert"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(contains(r.err, "Skall data konverteras?\n\n-> ja")) << r.err;
}

// A write that stops midway: the reason, 83 and the PROM to be written again, and a bar
// that never reached 100.
TEST_F(PromCommandsTest, AWriteThatFailsMidwaySaysWhyAndThatThePromIsIncomplete) {
    const struct {
        void (*fault)(panelsim::PanelFaults&);
        const char* reason;
        const char* waitLine;  // stderr holds it, or nothing
    } cases[] = {
        {[](panelsim::PanelFaults& f) { f.dropAfterBlocks = 3; },
         "Förbindelsen med centralen bröts.", nullptr},
        {[](panelsim::PanelFaults& f) { f.silentAfterBlocks = 3; },
         "Centralen svarade inte inom tidsgränsen.", "Väntar på svar från centralen (5 s)...\n"},
    };
    for (const auto& c : cases) {
        panelsim::PanelFaults faults;
        c.fault(faults);
        panel_.setFaults(faults);
        const CliRun r = prom({"write", system_, "--yes"});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(contains(r.err, std::string(c.reason) +
                                        "\nSändningen avbröts.\nCentralens prom är nu "
                                        "ofullständigt.\nPromet måste skrivas på nytt"))
            << r.err;
        EXPECT_FALSE(contains(r.err, "progress 100\n")) << r.err;
        if (c.waitLine) {
            EXPECT_TRUE(contains(r.err, c.waitLine)) << r.err;
        }
    }
}

// An erased PROM holds no system, whether the panel sends no block or only blocks of FF:
// the read says so, and --save keeps it out of FILES.
TEST_F(PromCommandsTest, AnErasedPromIsReportedEmptyAndNeverSaved) {
    panelsim::PanelConfig allBlocks;
    allBlocks.settings.sendAllBlocks = true;
    panelsim::PanelSimulator sendsErased(allBlocks);
    const std::uint16_t erasedPort = sendsErased.startTcp().value_or(0);
    const auto files = [this] {
        return std::distance(std::filesystem::directory_iterator(home_ + "/FILES"),
                             std::filesystem::directory_iterator());
    };
    const auto before = files();
    const struct {
        std::uint16_t port;  // 0: the fixture's panel, which sends no block
        bool save;
    } cases[] = {{0, false}, {0, true}, {erasedPort, true}};
    for (const auto& c : cases) {
        const CliRun r = prom(
            c.save ? std::vector<std::string>{"read", "--save"} : std::vector<std::string>{"read"},
            c.port);
        EXPECT_EQ(r.code, c.save ? 1 : 0) << r.err;
        EXPECT_TRUE(r.out.starts_with("Nedläsning klar!\nPromet är tomt")) << r.out;
        EXPECT_EQ(contains(r.err, "ingenting sparades"), c.save) << r.err;
    }
    EXPECT_EQ(sendsErased.counters().blocksRead, 8192u);
    EXPECT_EQ(files(), before);
}

TEST_F(PromCommandsTest, RefusalsAndUsageErrorsExitWithoutTouchingThePanel) {
    const std::string tcp = endpoint();
    const struct {
        std::vector<std::string> args;
        int code;
        const char* err;  // a text stderr holds
    } cases[] = {
        // Nobody at a terminal to confirm the write.
        {{"write", system_, "--tcp", tcp, "--id", "123456"}, 1, "--yes"},
        {{"read"}, 2, "--tcp HOST:PORT"},
        {{"read", "--tcp", tcp}, 2, "--id"},
        {{"read", "--tcp", "localhost:1", "--id", "123456"}, 2, "HOST:PORT"},
        {{"read", "--tcp", "0.0.0.0:1", "--id", "123456"}, 2, "HOST:PORT"},
        {{"read", "--tcp", tcp, "--serial", "/dev/null"}, 2, "excludes"},
        {{"read", "--modem", "/dev/null", "--id", "1"}, 2, "--phone"},
        {{"read", "--tcp", tcp, "--id", "12345"}, 1, "Felaktigt Produkt-ID"},
        {{"read", "--tcp", tcp, "--id", "654321"}, 1, "Felaktig ID-kod."},
        {{"read", "--tcp", "127.0.0.1:1", "--id", "123456"},
         1,
         "Kommunikation via TCP/IP kan inte öppnas."},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"--login", "anna", "prom"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = runCli(args);
        EXPECT_EQ(r.code, c.code) << c.args.back() << r.err;
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
    }
    EXPECT_EQ(panel_.counters().erases, 0u);
    EXPECT_EQ(panel_.counters().blocksRead, 0u);
}

}  // namespace
}  // namespace loom
