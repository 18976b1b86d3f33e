#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CliCommand.h"

namespace loom::cli {
namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun run(std::vector<std::string> args) {
    args.insert(args.begin(), "loomcraft-cli");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out;
    std::ostringstream err;
    const int code = runCli(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

struct Case {
    std::vector<std::string> args;
    int code;
    std::string out;  // checked when the exit code is 0
};

TEST(ValueCommands, EncodePrintsResultAndPlacedBytes) {
    const Case cases[] = {
        {{"--type", "0", "--size", "8", "--offset", "4", "--over", "00 00", "171"}, 0, "0 B0 0A\n"},
        {{"--type", "0", "--size", "8", "--offset", "4", "171"}, 0, "0 BF FA\n"},
        {{"--type", "0", "--size", "3", "--offset", "2", "--over", "ff", "0"}, 0, "0 E3\n"},
        {{"--type", "0", "--size", "8", "--over", "12345678", "1"}, 0, "0 01\n"},
        {{"--type", "5", "--size", "32", "Åke"}, 0, "0 8F 6B 65 20\n"},
        {{"--type", "0", "--size", "0", "5"}, 0, "0\n"},
        {{"--type", "1", "--size", "12", "G"}, 0, "1 FF FF\n"},  // refused: bytes unchanged
        {{"--type", "1", "--size", "12", "--over", "12 34", "1000"}, 0, "2 12 34\n"},
        {{"--type", "0", "--size", "32", "4294967296"}, 0, "2 FF FF FF FF\n"},
        {{"--type", "0", "--size", "2147483647", "1"}, 0, "2\n"},
        {{"--type", "0", "--size", "8", "--over", "0G", "1"}, 1, ""},
        {{"--type", "5", "--size", "16", "日"}, 1, ""},
        {{"--type", "0", "--size", "8", "--offset", "8", "1"}, 2, ""},
        {{"--type", "0", "--size", "2147483648", "1"}, 2, ""},
        {{"--size", "8", "1"}, 2, ""},
        {{"--type", "0", "--size", "8"}, 2, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"value", "encode"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = run(args);
        std::string line;
        for (const auto& a : c.args)
            line += a + " ";
        EXPECT_EQ(r.code, c.code) << line << r.err;
        if (c.code == 0) {
            EXPECT_EQ(r.out, c.out) << line;
        }
        if (c.code != 0) {
            EXPECT_FALSE(r.err.empty()) << line;
        }
    }
}

TEST(ValueCommands, DecodePrintsResultAndText) {
    const Case cases[] = {
        {{"--type", "5", "--size", "32", "8F 6B 65 20"}, 0, "0 Åke\n"},
        {{"--type", "0", "--size", "8", "--offset", "4", "B00A"}, 0, "0 171\n"},
        {{"--type", "0", "--size", "16", ""}, 0, "0 65535\n"},  // missing bytes are erased
        {{"--type", "5", "--size", "33", "00"}, 0, "2 \n"},
        {{"--type", "5", "--size", "32", "41 0A 5C 01"}, 0, "0 A\\n\\\\\\x01\n"},  // one line
        {{"--type", "0", "--size", "8", "ABC"}, 1, ""},
        {{"--type", "0", "--size", "8", "--offset", "-1", "00"}, 2, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"value", "decode"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = run(args);
        std::string line;
        for (const auto& a : c.args)
            line += a + " ";
        EXPECT_EQ(r.code, c.code) << line << r.err;
        if (c.code == 0) {
            EXPECT_EQ(r.out, c.out) << line;
        }
    }
}

TEST(ValueCommands, EveryCommandHasHelp) {
    for (const auto& cmd : {std::vector<std::string>{"value", "--help"},
                            std::vector<std::string>{"value", "encode", "--help"},
                            std::vector<std::string>{"value", "decode", "--help"}}) {
        const CliRun r = run(cmd);
        EXPECT_EQ(r.code, 0) << cmd.back();
        EXPECT_NE(r.out.find("--"), std::string::npos);
    }
    EXPECT_NE(run({"value", "encode", "--help"}).out.find("--over"), std::string::npos);
    EXPECT_EQ(run({"value"}).code, 2);
}

}  // namespace
}  // namespace loom::cli
