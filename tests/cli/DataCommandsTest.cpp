#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "archive/FileId.h"
#include "archive/PasswordFile.h"
#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "document/ProgramState.h"
#include "support/NoTerminal.h"
#include "support/RunCli.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace loom {
namespace {

using nlohmann::json;
using test::CliRun;
using test::runCli;
using test::ScopedEnv;

// A program directory with the demo templates, a password file (system password "sys",
// user "anna" / "hemlig") and settings of its own.
class DataCommandsTest : public ::testing::Test {
  protected:
    DataCommandsTest()
        : home_(dir_.path("home")),
          settings_("LOOMCRAFT_SETTINGS", dir_.path("settings.ini")),
          homeEnv_("LOOMCRAFT_HOME", home_),
          password_("LOOMCRAFT_PASSWORD", "hemlig") {
        std::filesystem::create_directories(home_ + "/FORMS");
        for (const char* name : {"GL200", "VT340"}) {
            const std::string cmd = std::string(LOOM_KQFORM) + " compile " + LOOM_DEMO_DIR +
                                    "/forms/" + name + ".kqf -o " + home_ + "/FORMS/" + name +
                                    ".FRM";
            EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        }
        SilentPrompt prompt;
        ProgramState app(prompt);
        app.setProgramDirectory(ProgramDirectory(home_));
        PasswordFile passwords(app);
        EXPECT_TRUE(passwords.WriteSystemPassword("sys"));
        EXPECT_TRUE(passwords.WriteUsers({"anna"}, {"hemlig"}));
        EXPECT_EQ(runCli({"settings", "set", "ComputerID", "T"}).code, 0);
    }

    std::string form(const char* name = "GL200") const { return home_ + "/FORMS/" + name + ".FRM"; }
    // Creates a system and returns its path.
    std::string newSystem(std::vector<std::string> sets) {
        std::vector<std::string> args{"--login", "anna", "data", "new", "--form", form()};
        for (auto& s : sets) {
            args.push_back("--set");
            args.push_back(s);
        }
        CliRun r = runCli(args);
        EXPECT_EQ(r.code, 0) << r.err;
        std::string path = r.out.substr(0, r.out.find('\n'));
        return path;
    }
    json show(const std::string& path) {
        CliRun r = runCli({"data", "show", path, "--json"});
        EXPECT_EQ(r.code, 0) << r.err;
        return json::parse(r.out);
    }
    static std::string valueAt(const json& j, unsigned address) {
        for (const auto& rec : j["records"]) {
            if (rec["address"] == address) return rec["value"];
        }
        return "<none>";
    }

    test::TempDir dir_;
    std::string home_;
    ScopedEnv settings_, homeEnv_, password_;
};

TEST_F(DataCommandsTest, NewMakesANamedFileUnderTheSystemPasswordWithDefaultsAndValues) {
    const std::string path = newSystem({"0x100=Åkerlund AB", "1216=1234"});
    const std::string name = std::filesystem::path(path).filename().string();
    EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(home_) / "FILES");
    EXPECT_TRUE(IsWellFormedFileId(name.substr(0, 8))) << name;
    EXPECT_EQ(name[0], 'T');
    EXPECT_EQ(name.substr(8), ".KQD");

    json j = show(path);
    EXPECT_EQ(j["template"], "GL 200");
    EXPECT_EQ(valueAt(j, 0x100), "Åkerlund AB");
    EXPECT_EQ(valueAt(j, 0x4C0), "1234");
    EXPECT_EQ(valueAt(j, 0x500), "300");  // a default of the template
    // Both values marked for the display name follow the key, in record order.
    EXPECT_EQ(j["displayName"].get<std::string>().substr(0, 9), name.substr(0, 8) + "\t");
    EXPECT_NE(j["displayName"].get<std::string>().find("\tÅkerlund AB"), std::string::npos);
    const auto ordered =
        nlohmann::ordered_json::parse(runCli({"data", "show", path, "--json"}).out);
    std::vector<std::string> keys;
    for (const auto& item : ordered.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"template", "displayName", "records"}));
    EXPECT_EQ(j["records"][0].size(), 6u);  // address, type, flags, value, page, caption
    // The password is not shown, in either form.
    EXPECT_EQ(runCli({"data", "show", path}).out.find("sys"), std::string::npos);

    // Made within the same second, the next system still gets a file of its own.
    EXPECT_NE(newSystem({}), path);
}

TEST_F(DataCommandsTest, SetChangesValuesAndRefusesWhatTheFieldRefuses) {
    const std::string path = newSystem({"0x100=Före"});
    const std::string before = test::readFile(path);

    CliRun refused =
        runCli({"--login", "anna", "data", "set", path, "0x100=Efter", "0x4C0=123456789"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("0x000004C0"), std::string::npos) << refused.err;
    EXPECT_TRUE(test::readFile(path) == before);  // nothing written

    // Global options may follow the command words.
    CliRun ok = runCli({"data", "set", path, "0x100=Efter", "0x528=12", "--login", "anna"});
    EXPECT_EQ(ok.code, 0) << ok.err;
    json j = show(path);
    EXPECT_EQ(valueAt(j, 0x100), "Efter");
    EXPECT_EQ(valueAt(j, 0x528), "12");
    EXPECT_EQ(valueAt(j, 0x500), "300");

    EXPECT_EQ(runCli({"--login", "anna", "data", "set", path, "0x7777=1"}).code, 1);
    EXPECT_EQ(runCli({"--login", "anna", "data", "set", path, "nonsense"}).code, 2);
}

// What the form's window would refuse never reaches a file (and so never a panel).
TEST_F(DataCommandsTest, ValuesMustPassTheChecksOfTheControlsThatShowThem) {
    const std::string path = newSystem({});
    const std::string before = test::readFile(path);
    struct Case {
        const char* assignment;
        const char* message;  // empty: accepted
    };
    const Case cases[] = {
        {"0x500=99999", "För stort värde har matats in.\nHögsta tillåtna värde = 900."},
        {"0x4C0=12", "För få tecken har matats in.\nMin antal tecken = 4."},
        {"0x4C0=12ab", "Värdet innehåller tecken som fältet inte tar emot."},
        {"0x4E0=9", "Tillåtna värden: 0 (Svenska), 1 (Norska)"},
        {"0x810=J", "Värdet måste vara 1 (ikryssad) eller 0 (inte ikryssad)."},
        {"0x4E0=2", ""},
    };
    for (const Case& c : cases) {
        CliRun set = runCli({"--login", "anna", "data", "set", path, c.assignment});
        CliRun made =
            runCli({"--login", "anna", "data", "new", "--form", "GL200", "--set", c.assignment});
        for (const CliRun* r : {&set, &made}) {
            if (*c.message == 0) {
                EXPECT_EQ(r->code, 0) << c.assignment << ": " << r->err;
                continue;
            }
            EXPECT_EQ(r->code, 1) << c.assignment;
            EXPECT_NE(r->err.find(c.message), std::string::npos) << r->err;
        }
        if (*c.message != 0) {
            EXPECT_TRUE(test::readFile(path) == before) << c.assignment;
        }
    }
    // Only the accepted case made a new system besides the first.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home_ + "/FILES"),
                            std::filesystem::directory_iterator()),
              2);
}

TEST_F(DataCommandsTest, AnotherModelsTemplateIsRefused) {
    const std::string path = newSystem({});
    const std::string before = test::readFile(path);
    CliRun r = runCli({"--login", "anna", "data", "set", path, "0x100=X", "--form", form("VT340")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Mallen hör inte till systemet."), std::string::npos) << r.err;
    EXPECT_TRUE(test::readFile(path) == before);
}

// Systems by key, templates by file name or template name, fields by page and caption.
TEST_F(DataCommandsTest, ThingsAreNamedAsTheArchiveShowsThem) {
    const std::string path = newSystem({"0x500=600"});
    const std::string key = std::filesystem::path(path).stem().string();
    const json byKey = show(key);
    EXPECT_EQ(valueAt(byKey, 0x500), "600");
    EXPECT_EQ(show(key + ".KQD"), byKey);
    for (const auto& record : byKey["records"]) {
        if (record["address"] == 0x500) {
            EXPECT_EQ(record["page"], "Tider");
            EXPECT_EQ(record["caption"], "Sirentid (s)");
        }
    }
    CliRun plain = runCli({"data", "show", key});
    EXPECT_NE(plain.out.find("\"600\"  [Tider: Sirentid (s)]"), std::string::npos) << plain.out;

    // The image finds the system's template itself.
    EXPECT_EQ(runCli({"data", "image", key}).out,
              runCli({"data", "image", path, "--form", "GL 200"}).out);
    EXPECT_EQ(runCli({"data", "image", key, "--form", "gl200"}).code, 0);

    CliRun fields = runCli({"form", "fields", "GL200.FRM"});
    ASSERT_EQ(fields.code, 0) << fields.err;
    EXPECT_NE(fields.out.find("0x00000500\tTider\tSirentid (s)\tedit\t6\t8\tfilter 5, högst 5 "
                              "tecken, högsta värde 900, minsta värde 0\n"),
              std::string::npos)
        << fields.out;
    const json listed = json::parse(runCli({"form", "fields", "GL200", "--json"}).out);
    EXPECT_EQ(listed[0]["caption"], "Kundnamn");
    EXPECT_EQ(listed[0]["maxChars"], 32);

    CliRun missing = runCli({"data", "show", "T0000000"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("ingen datafil \"T0000000\""), std::string::npos) << missing.err;
}

TEST_F(DataCommandsTest, LoginIsRequiredAndChecked) {
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;  // on stderr
    };
    const std::vector<std::string> newArgs{"data", "new", "--form", form()};
    auto with = [&](std::vector<std::string> front) {
        front.insert(front.end(), newArgs.begin(), newArgs.end());
        return front;
    };
    const Case cases[] = {
        {newArgs, 2, "--login"},
        {with({"--login", "ANNA"}), 1, "fel: okänd användare: ANNA"},
        {with({"--login", ""}), 2, "--login"},
    };
    for (const Case& c : cases) {
        CliRun r = runCli(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // A wrong password and none at all (nobody at the terminal) are told apart.
    for (const char* password : {"fel", static_cast<const char*>(nullptr)}) {
        ScopedEnv env("LOOMCRAFT_PASSWORD", password);
        test::NoTerminal noTerminal;
        CliRun r = runCli(with({"--login", "anna"}));
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, password ? "Felaktigt lösenord.\n"
                                  : "fel: inget lösenord: sätt LOOMCRAFT_PASSWORD eller kör "
                                    "kommandot på en terminal\n");
    }
    std::filesystem::remove(home_ + "/LOGIN.KEY");
    CliRun r = runCli(with({"--login", "anna"}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Filen med lösenord saknas eller är felaktig.\n");
    EXPECT_FALSE(std::filesystem::exists(home_ + "/LOGIN.KEY"));  // never made by the CLI
    EXPECT_FALSE(std::filesystem::exists(home_ + "/FILES"));
}

TEST_F(DataCommandsTest, ShowRefusesADamagedFileWithTheMessageText) {
    const std::string path = newSystem({});
    std::string bytes = test::readFile(path);
    bytes[200] = static_cast<char>(bytes[200] ^ 0x10);
    std::ofstream(path, std::ios::binary) << bytes;
    CliRun r = runCli({"data", "show", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Kan inte läsa filen.\nfil: " + path +
                         "\nFilens checksumma är fel\n(filen har ändrats).\n");
    EXPECT_EQ(r.out, "");
}

TEST_F(DataCommandsTest, ImagePrintsBlocksAndPlacesIdentityAndProduct) {
    const std::string path = newSystem({"0x100=AB"});
    CliRun plain = runCli({"data", "image", path, "--form", form()});
    ASSERT_EQ(plain.code, 0) << plain.err;
    // Customer name at byte 0x20: "AB" and blanks... one line per block in address order.
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < plain.out.size();) {
        const std::size_t end = plain.out.find('\n', at);
        lines.push_back(plain.out.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_FALSE(lines.empty());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), 5u + 1u + 32u) << lines[i];
        EXPECT_NE(lines[i].substr(6), std::string(32, 'F'));
        if (i > 0) {
            EXPECT_LT(std::stoul(lines[i - 1].substr(0, 5), nullptr, 16),
                      std::stoul(lines[i].substr(0, 5), nullptr, 16));
        }
    }
    EXPECT_EQ(lines[0].substr(0, 5), "00020");
    EXPECT_EQ(lines[0].substr(6, 4), "4142");
    // Nothing at the identity (byte 8) and product (byte 0) positions without the options.
    EXPECT_EQ(plain.out.find("00000 "), std::string::npos);

    CliRun placed = runCli({"data", "image", path, "--form", form(), "--fileid", "A0000100",
                            "--product", "GL 200  PANEL"});
    ASSERT_EQ(placed.code, 0) << placed.err;
    EXPECT_EQ(placed.out.substr(0, 38),
              "00000 50414E454C202020000000244"
              "1FFFFFF");
    EXPECT_EQ(placed.out.substr(39), plain.out);

    EXPECT_EQ(runCli({"data", "image", path, "--form", form(), "--fileid", "A00"}).code, 2);
    CliRun noConversion =
        runCli({"data", "image", path, "--form", form(), "--convert-to", "XY 999"});
    EXPECT_EQ(noConversion.code, 1);
    EXPECT_NE(noConversion.err.find("ingen konvertering"), std::string::npos);
}

// The demo conversion turns a GL 200 system into a VT 340 image: the customer name moves
// to VT 340's place.
TEST_F(DataCommandsTest, ImageConvertsToAnotherModelWithAConversionFile) {
    std::filesystem::create_directories(home_ + "/Convert");
    const std::string cmd = std::string(LOOM_MAKE_CONVERSION) + " " + LOOM_DEMO_DIR +
                            "/convert/GL200_VT340.txt -o " + home_ + "/Convert/GL200_VT340.cnv";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const std::string path = newSystem({"0x100=Kund AB"});
    CliRun plain = runCli({"data", "image", path, "--form", form()});
    CliRun converted = runCli({"data", "image", path, "--form", form(), "--convert-to", "VT 340"});
    ASSERT_EQ(converted.code, 0) << converted.err;
    EXPECT_NE(converted.out, plain.out);
    // "Kund AB" at VT 340's customer name (byte 0x10), blank-padded to its 24 bytes.
    EXPECT_NE(converted.out.find("00010 4B756E64204142"), std::string::npos) << converted.out;
}

TEST(FileIdCommands, PrintExactlyTheDocumentedLines) {
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out;
    };
    const Case cases[] = {
        {{"make", "--time", "0", "--letter", "A"}, 0, "A0000000\n"},
        {{"make", "--time", "1000000000", "--letter", "a"}, 0, "AGJDGXS0\n"},
        {{"make", "--time", "36", "--letter", "3"}, 2, ""},
        {{"parse", "a0000100"}, 0, "36 A\n"},
        {{"parse", "é0000100"}, 0, "36 É\n"},  // eight characters, nine bytes of UTF-8
        {{"from-bytes", "00000024E9FFFFFF"}, 0, "É0000100\n"},
        {{"parse", "A00001"}, 1, ""},
        {{"parse", "A00-0100"}, 1, ""},
        {{"bytes", "A0000100"}, 0, "0000002441FFFFFF\n"},
        {{"bytes", "no-sense"}, 0, "\n"},
        {{"from-bytes", "00 00 00 24 41 FF FF FF"}, 0, "A0000100\n"},
        {{"from-bytes", "FFFFFFFFFFFFFFFF"}, 0, "\n"},
        {{"from-bytes", "0000"}, 0, "\n"},
        {{"from-bytes", "xyz"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"fileid"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CliRun r = runCli(args);
        EXPECT_EQ(r.code, c.code) << c.args[0] << " " << c.args[1] << ": " << r.err;
        if (c.code == 0) {
            EXPECT_EQ(r.out, c.out) << c.args[0] << " " << c.args[1];
        }
    }
}

}  // namespace
}  // namespace loom
