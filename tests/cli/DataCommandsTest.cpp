#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "archive/FileId.h"
#include "support/DemoTemplates.h"
#include "support/NoTerminal.h"
#include "support/RunCli.h"

namespace loom {
namespace {

using test::CliRun;
using test::cliText;
using test::contains;
using test::runCli;

// The demo GL 200 template in FORMS.
class DataCommandsTest : public test::CliHome {
  protected:
    DataCommandsTest() {
        test::installTemplate(home_, "GL200.FRM", test::demoTemplateSource("GL200"));
    }

    std::string form() const { return home_ + "/FORMS/GL200.FRM"; }
    // Creates a system and returns its path.
    std::string newSystem(const std::string& set) {
        const CliRun r = asAnna({"data", "new", "--form", form(), "--set", set});
        EXPECT_EQ(r.code, 0) << r.err;
        return r.out.substr(0, r.out.find('\n'));
    }
    static std::string valueAt(const nlohmann::ordered_json& j, unsigned address) {
        for (const auto& rec : j["records"]) {
            if (rec["address"] == address) return rec["value"];
        }
        return "<none>";
    }
};

// Systems by path or key, fields by page and caption; refusals write nothing.
TEST_F(DataCommandsTest, NewShowAndSetWriteOnlyWhatTheFieldsTake) {
    const std::string path = newSystem("0x100=Åkerlund AB");
    const std::string key = std::filesystem::path(path).stem().string();
    EXPECT_EQ(path, home_ + "/FILES/" + key + ".KQD");
    EXPECT_TRUE(IsWellFormedFileId(key) && key[0] == 'T') << path;

    const auto j = nlohmann::ordered_json::parse(runCli({"data", "show", path, "--json"}).out);
    EXPECT_EQ(test::keysOf(j), (std::vector<std::string>{"template", "displayName", "records"}));
    EXPECT_EQ(test::keysOf(j["records"][0]),
              (std::vector<std::string>{"address", "type", "flags", "value", "page", "caption"}));
    EXPECT_EQ(j["template"], "GL 200");
    EXPECT_EQ(valueAt(j, 0x100), "Åkerlund AB");
    EXPECT_TRUE(contains(runCli({"data", "show", key}).out, "\"300\"  [Tider: Sirentid (s)]"));
    EXPECT_TRUE(contains(runCli({"form", "fields", "GL200.FRM"}).out,
                         "0x00000500\tTider\tSirentid (s)\tedit\t6\t8\tfilter 5, högst 5 "
                         "tecken, högsta värde 900, minsta värde 0\n"));

    // Global options may follow the command words.
    test::installTemplate(home_, "VT340.FRM", test::demoTemplateSource("VT340"));
    const std::string before = test::readFile(path);
    const struct {
        std::vector<std::string> args;
        int code;
        std::string err;  // a text stderr holds
    } refusals[] = {
        {{"0x100=Efter", "0x500=99999"}, 1, cliText(MessageId::ValueTooLarge)},
        {{"nonsense"}, 2, ""},
        {{"0x100=X", "--form", "VT340"}, 1, cliText(MessageId::WrongTemplate)},
    };
    for (const auto& c : refusals) {
        std::vector<std::string> args{"data", "set", path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"--login", "anna"});
        const CliRun r = runCli(args);
        EXPECT_EQ(r.code, c.code) << c.args[0] << r.err;
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
        EXPECT_EQ(test::readFile(path), before) << c.args[0];
    }
    EXPECT_EQ(asAnna({"data", "set", key, "0x100=Efter", "0x528=12"}).code, 0);
    const auto after = nlohmann::ordered_json::parse(runCli({"data", "show", path, "--json"}).out);
    EXPECT_EQ(valueAt(after, 0x100), "Efter");
    EXPECT_EQ(valueAt(after, 0x528), "12");
}

TEST_F(DataCommandsTest, LoginIsRequiredAndChecked) {
    test::NoTerminal noTerminal;
    const struct {
        const char* login;  // null: no --login
        const char* password;
        int code;
        std::string err;  // a text stderr holds
    } cases[] = {
        {nullptr, "hemlig", 2, "--login"},
        {"ANNA", "hemlig", 1, "okänd användare: ANNA"},
        {"anna", "fel", 1, cliText(MessageId::WrongPassword)},
        {"anna", nullptr, 1, "sätt LOOMCRAFT_PASSWORD"},
    };
    for (const auto& c : cases) {
        test::ScopedEnv env("LOOMCRAFT_PASSWORD", c.password);
        std::vector<std::string> args{"data", "new", "--form", form()};
        if (c.login) args.insert(args.begin(), {"--login", c.login});
        const CliRun r = runCli(args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
    }
    std::filesystem::remove(home_ + "/LOGIN.KEY");
    const CliRun r = asAnna({"data", "new", "--form", form()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, cliText(MessageId::PasswordFileMissing) + "\n");
    EXPECT_FALSE(std::filesystem::exists(home_ + "/LOGIN.KEY"));  // never made by the CLI
    EXPECT_TRUE(std::filesystem::is_empty(home_ + "/FILES"));
}

TEST_F(DataCommandsTest, ImagePrintsBlocksAndPlacesTheIdentity) {
    const std::string path = newSystem("0x100=Kund AB");
    const CliRun plain = runCli({"data", "image", path, "--form", form()});
    ASSERT_EQ(plain.code, 0) << plain.err;
    // One line per 16-byte block: the customer name at 0x20, blank-padded.
    EXPECT_TRUE(plain.out.starts_with("00020 4B756E642041422020")) << plain.out;
    const CliRun placed = runCli({"data", "image", path, "--form", form(), "--fileid", "A0000100",
                                  "--product", "GL 200  PANEL"});
    ASSERT_EQ(placed.code, 0) << placed.err;
    EXPECT_EQ(placed.out, "00000 50414E454C2020200000002441FFFFFF\n" + plain.out);
}

TEST(FileIdCommands, PrintExactlyTheDocumentedLines) {
    const struct {
        std::vector<std::string> args;
        int code;
        std::string out;
    } cases[] = {
        {{"make", "--time", "1000000000", "--letter", "a"}, 0, "AGJDGXS0\n"},
        {{"make", "--time", "36", "--letter", "3"}, 2, ""},
        {{"parse", "é0000100"}, 0, "36 É\n"},
        {{"parse", "A00-0100"}, 1, ""},
        {{"bytes", "A0000100"}, 0, "0000002441FFFFFF\n"},
        {{"from-bytes", "00 00 00 24 E9 FF FF FF"}, 0, "É0000100\n"},
        {{"from-bytes", "xyz"}, 2, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"fileid"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = runCli(args);
        EXPECT_EQ(r.code, c.code) << c.args[0] << " " << c.args[1] << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0] << " " << c.args[1];
    }
}

}  // namespace
}  // namespace loom
