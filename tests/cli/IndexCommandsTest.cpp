#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "template/TemplateWriter.h"

namespace loom {
namespace {

using nlohmann::json;
using test::runCli;

// A program directory with three data files and no index; the CLI finds it by --home.
class IndexCommandsTest : public ::testing::Test {
  protected:
    IndexCommandsTest() : home_(dir_.path("home")), app_(prompt_) {
        app_.setProgramDirectory(ProgramDirectory(home_));
        std::filesystem::create_directories(home_ + "/FILES");
        write("A0000010", {"Östen", "Lund", "larm"});
        write("A0000020", {"Åsa", "Malmö", "kod 1234"});
        write("A0000030", {"Ärna", "Malmö", ""});
        std::filesystem::remove(home_ + "/INDEX/DATA.KQI");
    }

    void write(const std::string& key, const std::vector<std::string>& values) {
        FieldStore store;
        for (std::size_t i = 0; i < values.size(); ++i) {
            FieldRecord& r = store.findOrCreate(kAddresslessBit | static_cast<FieldAddress>(i + 1));
            r.flags = i < 2 ? kFieldFlagDisplayName : 0;
            r.value = utf8ToCp1252(values[i]);
        }
        DataFile data(app_);
        ASSERT_TRUE(data.Write(home_ + "/FILES/" + key + ".KQD", "ALFA 2000", "", store, false));
    }
    test::CliRun run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home_});
        return runCli(args);
    }

    test::TempDir dir_;
    std::string home_;
    SilentPrompt prompt_;
    AppContext app_;
};

TEST_F(IndexCommandsTest, RebuildThenSearchInSwedishOrder) {
    const test::CliRun rebuilt = run({"index", "rebuild"});
    EXPECT_EQ(rebuilt.code, 0) << rebuilt.err;
    EXPECT_NE(rebuilt.out.find("3 of 3"), std::string::npos) << rebuilt.out;

    const test::CliRun all = run({"index", "search"});
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(all.out, "A0000020\tÅsa\tMalmö\nA0000030\tÄrna\tMalmö\nA0000010\tÖsten\tLund\n");
    const test::CliRun some = run({"index", "search", "--json", "malmö \"ärna\""});
    EXPECT_EQ(some.code, 0);
    EXPECT_EQ(json::parse(some.out),
              json::parse(R"([{"key": "A0000030", "values": ["Ärna", "Malmö"]}])"));
    // No match and a missing quote go to standard error.
    const test::CliRun none = run({"index", "search", "--json", "1234"});
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(json::parse(none.out), json::array());
    EXPECT_EQ(none.err, "Inga filer hittades.\n");
    const test::CliRun quote = run({"index", "search", "lund \"x"});
    EXPECT_EQ(quote.out, "A0000010\tÖsten\tLund\n");
    EXPECT_EQ(quote.err, "Avslutande citattecken saknas.\n\nFunna sökord:\nlund\n\n");
    // Without the index every value is read, and nothing is asked.
    const test::CliRun r = run({"index", "search", "--no-index", "1234"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "A0000020\tÅsa\tMalmö\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(IndexCommandsTest, FormsListsTheMatchingTemplates) {
    std::filesystem::create_directories(home_ + "/FORMS");
    for (const auto& [file, name] :
         {std::pair{"ALFA.FRM", "ALFA 2000"}, {"BETA.FRM", "BETA 100"}}) {
        TemplateWriter writer;
        writer.header(name, utf8ToCp1252("Centralapparat för " + std::string(name))).end();
        const std::vector<std::uint8_t> bytes = writer.finish();
        std::ofstream(home_ + "/FORMS/" + file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    ASSERT_EQ(run({"index", "rebuild"}).code, 0);
    const test::CliRun r = run({"index", "forms", "beta"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "BETA.FRM\tBETA 100\tCentralapparat för BETA 100\n");
    EXPECT_EQ(run({"index", "forms", "gamma"}).err.rfind("Inga system hittades.", 0), 0u);
}

}  // namespace
}  // namespace loom
