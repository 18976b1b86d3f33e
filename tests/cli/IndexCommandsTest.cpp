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
        ASSERT_TRUE(
            SaveSystem(app_, home_ + "/FILES/" + key + ".KQD", "ALFA 2000", "", store, false)
                .written);
    }
    test::CliRun run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home_});
        return runCli(args);
    }

    test::TempDir dir_;
    std::string home_;
    SilentPrompt prompt_;
    ProgramState app_;
};

TEST_F(IndexCommandsTest, RebuildThenSearchInSwedishOrder) {
    const test::CliRun rebuilt = run({"index", "rebuild"});
    EXPECT_EQ(rebuilt.code, 0) << rebuilt.err;
    EXPECT_EQ(rebuilt.out,
              "DATA.KQI: 3 av 3 datafiler indexerade\nFORM.KQI: 0 mallar indexerade\n");

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
    // Several words are one text, split as the dialog splits it: a quote spans words.
    const struct {
        std::vector<std::string> words;
        const char* out;
    } texts[] = {{{"malmö", "ärna"}, "A0000030\tÄrna\tMalmö\n"},
                 {{"1234", "kod"}, "A0000020\tÅsa\tMalmö\n"},
                 {{"\"1234", "kod\""}, ""},
                 {{"\"kod", "1234\""}, "A0000020\tÅsa\tMalmö\n"}};
    for (const auto& t : texts) {
        std::vector<std::string> args = {"index", "search", "--no-index"};
        args.insert(args.end(), t.words.begin(), t.words.end());
        EXPECT_EQ(run(args).out, t.out) << t.words[0];
    }
}

// Commands that only read create nothing, and a home that is none is named as such.
TEST_F(IndexCommandsTest, ReadingCommandsCreateNothingAndRefuseAHomeThatIsNone) {
    const std::string typo = home_ + "-typo";
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"index", "search", "x"},
          {"index", "forms"},
          {"index", "rebuild"}}) {
        std::vector<std::string> args = {"--home", typo};
        args.insert(args.end(), command.begin(), command.end());
        const test::CliRun r = runCli(args);
        EXPECT_EQ(r.code, 1) << command[1];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err,
                  "Programkatalogen finns inte eller saknar programmets kataloger och "
                  "LOGIN.KEY.\nkatalog: " +
                      typo + "\n");
        EXPECT_FALSE(std::filesystem::exists(typo)) << command[1];
    }
    // A home without INDEX: nothing is found and INDEX is not made.
    std::filesystem::remove_all(home_ + "/INDEX");
    const test::CliRun none = run({"index", "search", "x"});
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.err, "Inga filer hittades.\n");
    EXPECT_EQ(run({"index", "forms"}).code, 0);
    EXPECT_FALSE(std::filesystem::exists(home_ + "/INDEX"));
}

// A damaged or planted index cannot drive the terminal: control characters (and the
// bytes that would be C1 controls) are shown escaped, the fields stay TAB-separated.
TEST_F(IndexCommandsTest, PlainOutputEscapesControlCharacters) {
    std::filesystem::create_directories(home_ + "/INDEX");
    std::ofstream(home_ + "/INDEX/DATA.KQI", std::ios::binary)
        << "E\x1B]0;x\x07\tSkurk\x1B[2J\tLund\x9D\\\r\n";
    const test::CliRun r = run({"index", "search"});
    EXPECT_EQ(r.out, "E\\x1B]0;x\\x07\tSkurk\\x1B[2J\tLund\\x9D\\\\\n");
    EXPECT_EQ(json::parse(run({"index", "search", "--json"}).out)[0]["values"][0], "Skurk\x1B[2J");
}

TEST_F(IndexCommandsTest, RebuildFailsWhenAnIndexCannotBeWritten) {
    std::filesystem::create_directories(home_ + "/INDEX/FORM.KQI");
    const test::CliRun r = run({"index", "rebuild"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Indexet kunde inte skapas.\nKan inte öppna filen.\nfil: " + home_ +
                         "/INDEX/FORM.KQI\nDet är en katalog.\n");
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
