#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/template/SampleTemplates.h"
#include "support/RunCli.h"
#include "template/TemplateWriter.h"

namespace loom {
namespace {

using nlohmann::json;
using test::CliRun;
using test::contains;
using test::runCli;

class FormShowTest : public ::testing::Test {
  protected:
    std::string rich() { return dir_.write("T.FRM", samples::richTemplate()); }

    test::TempDir dir_;
};

TEST_F(FormShowTest, JsonHoldsTheDocumentedKeys) {
    const CliRun r = runCli({"form", "show", rich(), "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(test::keysOf(j),
              (std::vector<std::string>{"captions", "events", "help", "idAddress", "name",
                                        "noErase", "pages", "productAddress", "rules", "title",
                                        "tree", "valueLists"}));
    EXPECT_EQ(j["title"], "Centrala ÅÄÖ");  // code page 1252 shown as UTF-8
    EXPECT_EQ(j["pages"][0]["controls"][2],
              json::parse(R"({"kind": "edit", "caption": "Tid", "number": 1,
        "flags": 539, "rect": [4, 8, 60, 12],
        "field": {"address": 2056, "size": 8, "type": 3, "flags": 2, "default": "12"},
        "filter": 5, "maxChars": 3, "minChars": 0, "maxValue": 999, "minValue": null})"));
}

// The loader's messages go to stderr, one per line, and the exit code is 1; misuse exits 2.
TEST_F(FormShowTest, ListingRefusalsAndUsageErrors) {
    const CliRun listed = runCli({"form", "show", rich()});
    ASSERT_EQ(listed.code, 0) << listed.err;
    for (const char* expected : {"Mall \"GL 200 v1.2\"", "#1 edit \"Tid\" vid 4,8 60x12"})
        EXPECT_TRUE(contains(listed.out, expected)) << expected << "\n" << listed.out;
    TemplateWriter wrongSum;
    wrongSum.header("T", "T").end().rules({});
    const std::string bad = dir_.write("BAD.FRM", wrongSum.finishWithWrongChecksum());
    CliRun r = runCli({"form", "show", bad, "--json"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, test::cliText(MessageId::BadChecksum) + "\n" +
                         test::cliText(MessageId::CannotParse) + bad + "\n");
    EXPECT_EQ(runCli({"form", "show", "a", "--yaml"}).code, 2);
}

}  // namespace
}  // namespace loom
