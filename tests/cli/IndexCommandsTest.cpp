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

using nlohmann::json;
using test::cliText;
using test::runCli;

// Three data files and no index.
class IndexCommandsTest : public test::CliHome {
  protected:
    IndexCommandsTest() {
        saveSystem(home_ + "/FILES/A0000010.KQD", values({"Östen", "Lund", "larm"}, 2));
        saveSystem(home_ + "/FILES/A0000020.KQD", values({"Åsa", "Malmö", "kod 1234"}, 2));
        saveSystem(home_ + "/FILES/A0000030.KQD", values({"Ärna", "Malmö", ""}, 2));
        std::filesystem::remove(home_ + "/INDEX/DATA.KQI");
    }
};

TEST_F(IndexCommandsTest, RebuildThenSearchInSwedishOrder) {
    const test::CliRun rebuilt = runCli({"index", "rebuild"});
    EXPECT_EQ(rebuilt.code, 0) << rebuilt.err;
    EXPECT_EQ(rebuilt.out,
              "DATA.KQI: 3 av 3 datafiler indexerade\nFORM.KQI: 0 mallar indexerade\n");
    EXPECT_EQ(runCli({"index", "search"}).out,
              "A0000020\tÅsa\tMalmö\nA0000030\tÄrna\tMalmö\nA0000010\tÖsten\tLund\n");
    EXPECT_EQ(json::parse(runCli({"index", "search", "--json", "malmö \"ärna\""}).out),
              json::parse(R"([{"key": "A0000030", "values": ["Ärna", "Malmö"]}])"));
    const test::CliRun none = runCli({"index", "search", "--json", "1234"});
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(json::parse(none.out), json::array());
    EXPECT_EQ(none.err, cliText(MessageId::NoFilesFound) + "\n");
    const test::CliRun quote = runCli({"index", "search", "lund \"x"});
    EXPECT_EQ(quote.out, "A0000010\tÖsten\tLund\n");
    EXPECT_TRUE(quote.err.starts_with(cliText(MessageId::MissingClosingQuote))) << quote.err;
    // Without the index every value is read; several words are one text, a quote spans words.
    const struct {
        std::vector<std::string> words;
        const char* out;
    } texts[] = {{{"1234"}, "A0000020\tÅsa\tMalmö\n"},
                 {{"malmö", "ärna"}, "A0000030\tÄrna\tMalmö\n"},
                 {{"\"1234", "kod\""}, ""},
                 {{"\"kod", "1234\""}, "A0000020\tÅsa\tMalmö\n"}};
    for (const auto& t : texts) {
        std::vector<std::string> args = {"index", "search", "--no-index"};
        args.insert(args.end(), t.words.begin(), t.words.end());
        EXPECT_EQ(runCli(args).out, t.out) << t.words[0];
    }

    test::installTemplate(home_, "VT.FRM", "template \"VT 340\" \"Central VT\"\n");
    ASSERT_EQ(runCli({"index", "rebuild"}).code, 0);
    EXPECT_EQ(runCli({"index", "forms", "vt"}).out, "VT.FRM\tVT 340\tCentral VT\n");
    EXPECT_TRUE(
        runCli({"index", "forms", "gl"}).err.starts_with(cliText(MessageId::NoSystemsFound)));
}

// A damaged or planted index cannot drive the terminal: control characters and the bytes
// that would be C1 controls are shown escaped, the fields stay TAB-separated.
TEST_F(IndexCommandsTest, PlainOutputEscapesControlCharacters) {
    std::ofstream(home_ + "/INDEX/DATA.KQI", std::ios::binary) << "E\x1B]0;x\x07\tLund\x9D\\\r\n";
    EXPECT_EQ(runCli({"index", "search"}).out, "E\\x1B]0;x\\x07\tLund\\x9D\\\\\n");
}

// Commands that only read create nothing, and a home that is none is named as such.
TEST_F(IndexCommandsTest, RefusalsCreateNothing) {
    const std::string typo = home_ + "-typo";
    for (const char* command : {"search", "forms", "rebuild"}) {
        const test::CliRun r = runCli({"--home", typo, "index", command});
        EXPECT_EQ(r.code, 1) << command;
        EXPECT_TRUE(r.err.starts_with(cliText(MessageId::NotAProgramDirectory))) << r.err;
        EXPECT_FALSE(std::filesystem::exists(typo)) << command;
    }
    std::filesystem::remove_all(home_ + "/INDEX");
    EXPECT_EQ(runCli({"index", "search", "x"}).err, cliText(MessageId::NoFilesFound) + "\n");
    EXPECT_FALSE(std::filesystem::exists(home_ + "/INDEX"));

    std::filesystem::create_directories(home_ + "/INDEX/FORM.KQI");
    const test::CliRun r = runCli({"index", "rebuild"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.starts_with(cliText(MessageId::IndexNotCreated))) << r.err;
}

}  // namespace
}  // namespace loom
