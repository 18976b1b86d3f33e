#include <gtest/gtest.h>

#include <filesystem>
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
    // Without the index every value is read, and every word must be found.
    EXPECT_EQ(runCli({"index", "search", "--no-index", "malmö", "ärna"}).out,
              "A0000030\tÄrna\tMalmö\n");
    test::installTemplate(home_, "VT.FRM", "template \"VT 340\" \"Central VT\"\n");
    ASSERT_EQ(runCli({"index", "rebuild"}).code, 0);
    EXPECT_EQ(runCli({"index", "forms", "vt"}).out, "VT.FRM\tVT 340\tCentral VT\n");
    EXPECT_TRUE(
        runCli({"index", "forms", "gl"}).err.starts_with(cliText(MessageId::NoSystemsFound)));
}

}  // namespace
}  // namespace loom
