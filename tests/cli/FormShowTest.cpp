#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/template/SampleTemplates.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "template/TemplateWriter.h"

namespace loom {
namespace {

using nlohmann::json;
using test::CliRun;
using test::runCli;

class FormShowTest : public ::testing::Test {
  protected:
    json showJson(const std::vector<std::uint8_t>& bytes) {
        CliRun r = runCli({"form", "show", dir_.write("T.FRM", bytes), "--json"});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return json::parse(r.out);
    }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        return dir_.write(name, bytes);
    }

    test::TempDir dir_;
};

TEST_F(FormShowTest, JsonHoldsExactlyTheDocumentedKeys) {
    json j = showJson(samples::richTemplate());
    std::vector<std::string> keys;
    for (const auto& item : j.items())
        keys.push_back(item.key());
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"captions", "events", "help", "idAddress", "name",
                                              "noErase", "pages", "productAddress", "rules",
                                              "title", "tree", "valueLists"}));
    EXPECT_EQ(j["name"], "GL 200 v1.2");
    EXPECT_EQ(j["title"], "Centrala ÅÄÖ");  // code page 1252 shown as UTF-8
    EXPECT_EQ(j["idAddress"], 0x2F0);       // the later tag 17 wins
    EXPECT_EQ(j["productAddress"], -1);
    EXPECT_EQ(j["noErase"], true);
    EXPECT_EQ(j["help"], nullptr);  // cleared by an empty help text
    EXPECT_EQ(j["captions"], json::parse(R"j([["before any data control", 0], ["Tid (s)", 2]])j"));
    EXPECT_EQ(j["valueLists"], json::parse(R"([[["Av", "0"], ["På", "1"], ["", ""]], []])"));
    EXPECT_EQ(j["events"], json::parse(R"({"18": [[1, "Inbrott\n"], [0, "x"], [255, ""]],
                                            "7": []})"));
    // "Inbrott" is never closed: the later pages stay in it.
    EXPECT_EQ(j["tree"], json::parse(R"([{"group": "Inbrott", "children": [
                                             {"group": "Sektioner", "children": [{"page": 0}]},
                                             {"page": 1}, {"page": 2}]}])"));
}

TEST_F(FormShowTest, ControlsOfEveryKind) {
    json pages = showJson(samples::richTemplate())["pages"];
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0]["name"], "Sektion 1");
    EXPECT_EQ(pages[1], json::parse(R"({"name": "Tom", "controls": []})"));
    const json& c = pages[0]["controls"];
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0], json::parse(R"({"kind": "group", "caption": "Larmtyp", "number": 0,
        "flags": 1, "rect": null,
        "field": {"address": 2048, "size": 8, "type": 3, "flags": 2, "default": "12"}})"));
    EXPECT_EQ(c[1], json::parse(R"({"kind": "option", "caption": "Direkt", "number": null,
        "flags": 0, "rect": [4, 8, 60, 12], "value": "D", "group": 0})"));
    EXPECT_EQ(c[2], json::parse(R"({"kind": "edit", "caption": "Tid", "number": 1,
        "flags": 539, "rect": [4, 8, 60, 12],
        "field": {"address": 2056, "size": 8, "type": 3, "flags": 2, "default": "12"},
        "filter": 5, "maxChars": 3, "minChars": 0, "maxValue": 999, "minValue": null})"));
    EXPECT_EQ(c[3]["kind"], "checkbox");
    EXPECT_EQ(c[3]["on"], "J");
    EXPECT_EQ(c[3]["off"], "\u00A0");
    EXPECT_EQ(c[3]["field"]["address"], (0x102 << 3) | 5);
    EXPECT_EQ(c[4]["kind"], "choice");
    EXPECT_EQ(c[4]["valueList"], 0);
    EXPECT_EQ(c[4]["field"]["address"], 0x80000007u);

    const json& k = pages[2]["controls"];
    ASSERT_EQ(k.size(), 4u);
    EXPECT_EQ(k[0]["kind"], "button");
    EXPECT_EQ(k[0]["number"], 4);
    EXPECT_FALSE(k[0].contains("field"));
    EXPECT_EQ(k[1]["caption"], "Rad 1\nRad 2\t\"x\"\\");
    EXPECT_EQ(k[1]["rect"], json::parse("[4294967295, 0, 2147483648, 7]"));  // as stored
    EXPECT_EQ(k[2]["kind"], "frame");
    EXPECT_EQ(k[3]["kind"], "picture");
    EXPECT_EQ(k[3]["caption"], "logo.bmp");
}

TEST_F(FormShowTest, RulesAsStoredWithTheirOperands) {
    json rules = showJson(samples::richTemplate())["rules"];
    ASSERT_EQ(rules.size(), 18u);
    EXPECT_EQ(rules[0], json::parse(R"({"condition": 49, "trigger": 4, "argument": null,
        "actions": [{"code": 60, "target": 1, "argument": null},
                    {"code": 65, "target": 1, "argument": "hej"},
                    {"code": 73, "target": null, "argument": {"page": 2}}]})"));
    EXPECT_EQ(rules[1], json::parse(R"({"condition": 51, "trigger": 1, "argument": null,
        "actions": []})"));  // kept although it does nothing
    const json& signal = rules[2];
    EXPECT_EQ(signal["trigger"], nullptr);
    EXPECT_EQ(signal["argument"], "larm");
    EXPECT_EQ(signal["actions"][0], json::parse(R"({"code": 71, "target": null,
        "argument": "Meddelande"})"));
    EXPECT_EQ(signal["actions"][2], json::parse(R"({"code": 66, "target": 1, "argument": 3})"));
    EXPECT_EQ(signal["actions"][11], json::parse(R"({"code": 74, "target": null,
        "argument": {"page": 0}})"));
    EXPECT_EQ(rules[12]["condition"], 53);
    EXPECT_EQ(rules[12]["argument"], 3);
    EXPECT_EQ(rules[16]["condition"], 55);
    EXPECT_EQ(rules[16]["argument"], "5");
}

TEST_F(FormShowTest, ListingNamesTheTemplateItsPagesAndControls) {
    CliRun r = runCli({"form", "show", write("T.FRM", samples::richTemplate())});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    for (const char* expected :
         {"Mall \"GL 200 v1.2\"", "Titel \"Centrala ÅÄÖ\"", "Id-adress 0x2F0",
          "produktadress ingen", "Sida 1 \"Tom\", 0 kontroller", "#1 edit \"Tid\" vid 4,8 60x12",
          "(bildpunkter 8,16 120x24)", "filter 5 maxChars 3 minChars 0 maxValue 999",
          "värde \"D\" i grupp #0", "när 59 \"larm\":", "73 sida 2", "\"Sektioner\"/",
          "[2] \"Knappar\"", "18: 1=\"Inbrott\\n\""}) {
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
    }
}

// The loader's messages go to stderr, one per line, and the exit code is 1.
TEST_F(FormShowTest, RefusedTemplatePrintsItsMessagesAndExitsOne) {
    TemplateWriter wrongSum;
    wrongSum.header("T", "T").end().rules({});
    const std::string path = write("BAD.FRM", wrongSum.finishWithWrongChecksum());
    CliRun r = runCli({"form", "show", path, "--json"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Filens checksumma är fel\n(filen har ändrats).\nFilen kan inte tolkas.\nfil: " +
                  path + "\n");
}

TEST_F(FormShowTest, UsageErrorsExitTwoAndHelpExitsZero) {
    EXPECT_EQ(runCli({"form", "show"}).code, 2);
    EXPECT_EQ(runCli({"form", "show", "a", "b"}).code, 2);
    EXPECT_EQ(runCli({"form", "show", "a", "--yaml"}).code, 2);
    CliRun help = runCli({"form", "show", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--json"), std::string::npos);
    EXPECT_NE(help.out.find("{\"page\": n}"), std::string::npos);
}

TEST_F(FormShowTest, MissingFileNamesTheFile) {
    const std::string path = dir_.path("SAKNAS.FRM");
    CliRun r = runCli({"form", "show", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ingen mall \"" + path + "\""), std::string::npos) << r.err;
}

}  // namespace
}  // namespace loom
