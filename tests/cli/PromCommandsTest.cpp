#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "support/DemoTemplates.h"
#include "support/RunCli.h"
#include "support/SpoilingRelay.h"

namespace loom {
namespace {

using nlohmann::json;
using test::CliRun;
using test::cliText;
using test::contains;
using test::runCli;

panelsim::LogRecord record(const char* hex) {
    panelsim::LogRecord r{};
    for (std::size_t i = 0; i < r.size(); ++i)
        r[i] = static_cast<std::uint8_t>(std::stoul(std::string(hex + 2 * i, 2), nullptr, 16));
    return r;
}

// The GL 200 template and its index, one system with a customer name, fast link waits,
// and a simulated GL 200 panel (ID code 123456) on loopback TCP.
class PromCommandsTest : public test::CliHome {
  protected:
    static constexpr const char* kCustomer = "0x100";  // GL 200: customer name, PROM 0x20

    PromCommandsTest() {
        test::installTemplate(home_, "GL200.FRM", test::demoTemplateSource("GL200"));
        const CliRun made = asAnna({"data", "new", "--form", "GL200", "--set",
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
        args.insert(args.begin(), "prom");
        args.insert(args.end(), {"--tcp", endpoint(port), "--id", "123456"});
        return asAnna(args);
    }
    json readJson() {
        const CliRun r = prom({"read", "--json"});
        EXPECT_EQ(r.code, 0) << r.err;
        return json::parse(r.out);
    }

    test::ScopedEnv timing_{"LOOMCRAFT_LINK_TIMING", "fast"};
    std::string system_;
    panelsim::PanelSimulator panel_{panelsim::PanelConfig{}};
    std::uint16_t port_ = 0;
};

TEST_F(PromCommandsTest, WrittenSystemReadsBackWithItsDifferences) {
    CliRun r = prom({"write", system_, "--yes"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(contains(r.err, cliText(MessageId::WriteDone))) << r.err;
    ASSERT_EQ(asAnna({"data", "set", system_, std::string(kCustomer) + "=Bageriet"}).code, 0);
    const json j = readJson();
    EXPECT_EQ(j["message"], 82);
    EXPECT_EQ(j["differences"],
              json::parse(R"([{"page": "Anläggning", "address": "0x00000100", "file": "Bageriet",
                               "prom": "Åkerlunds Bageri AB", "caption": "Kundnamn"}])"));
    // Without --json the outcome message leads stdout, and stdout alone, then the fields by
    // page.
    r = prom({"read", "--save"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("Nedläsning klar!\n")) << r.out;
    EXPECT_FALSE(contains(r.err, "Nedläsning klar!")) << r.err;
    EXPECT_TRUE(contains(r.out,
                         "Sida \"Anläggning\":\n  0x00000100 (Kundnamn)  fil \"Bageriet\"  "
                         "prom \"Åkerlunds Bageri AB\"\n"))
        << r.out;
    // Saved: the file is the PROM again.
    EXPECT_EQ(nlohmann::ordered_json::parse(prom({"read", "--json"}).out),
              nlohmann::ordered_json::parse(R"({"message": 81, "file": ")" + fileId() +
                                            R"(", "template": "GL 200", "differences": []})"));
}

TEST_F(PromCommandsTest, VerifyComparesEveryBlockWrittenWithWhatReadsBack) {
    // A PROM whose customer block reads back changed.
    test::SpoilingRelay relay(port_, 0x20);
    const CliRun r = prom({"write", system_, "--yes", "--verify"}, relay.port());
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_TRUE(r.out.starts_with("verifieringen misslyckades: 1 av ")) << r.out;
    EXPECT_TRUE(r.out.ends_with(":\n00020\n")) << r.out;
}

TEST_F(PromCommandsTest, LogPrintsOnlyTheRecordsNewSinceTheLastRead) {
    panel_.setFileId(fileId());
    const auto mainsFault = record("30091114020C1A0004FFFFFFFFFFFFFF");
    const auto arming = record("20002D07030C1A01FEFFFFFFFFFFFFFF");
    panel_.setLog({mainsFault});
    CliRun r = prom({"log", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)[0]["lines"][0], "Nätfel");
    panel_.setLog({mainsFault, arming});
    r = prom({"log"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("Tillkoppling\n")) << r.out;
    EXPECT_FALSE(contains(r.out, "Nät")) << r.out;
    EXPECT_TRUE(contains(r.err, "2 poster, 1 nya")) << r.err;
}

// An empty read exits 1 and says why; refusals leave the panel alone.
TEST_F(PromCommandsTest, FailuresAndRefusalsExitWithTheirCodes) {
    const std::string tcp = endpoint();
    const struct {
        std::vector<std::string> args;
        int code;
        std::string err;  // a text stderr holds
    } cases[] = {
        {{"read", "--tcp", tcp, "--id", "123456", "--save"}, 1, "ingenting sparades"},
        // Nobody at a terminal to confirm the write.
        {{"write", system_, "--tcp", tcp, "--id", "123456"}, 1, "--yes"},
        {{"read", "--tcp", tcp}, 2, "--id"},
        {{"read", "--tcp", tcp, "--id", "654321"}, 1, cliText(MessageId::WrongIdCode)},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"prom"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = asAnna(args);
        EXPECT_EQ(r.code, c.code) << c.args.back() << r.err;
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
    }
    EXPECT_EQ(panel_.counters().erases, 0u);
}

}  // namespace
}  // namespace loom
