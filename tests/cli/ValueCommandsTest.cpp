#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunCli.h"

namespace loom {
namespace {

using test::runCli;

struct Case {
    std::vector<std::string> args;  // after "value"
    int code;
    std::string out;  // checked when the exit code is 0; otherwise stderr must say why
};

TEST(ValueCommands, EncodeAndDecodePrintResultAndBytesOrText) {
    const Case cases[] = {
        {{"encode", "--type", "0", "--size", "8", "--offset", "4", "--over", "00 00", "171"},
         0,
         "0 B0 0A\n"},
        {{"encode", "--type", "0", "--size", "8", "--offset", "4", "171"}, 0, "0 BF FA\n"},
        {{"encode", "--type", "0", "--size", "3", "--offset", "2", "--over", "ff", "0"},
         0,
         "0 E3\n"},
        {{"encode", "--type", "0", "--size", "8", "--over", "12345678", "1"}, 0, "0 01\n"},
        {{"encode", "--type", "5", "--size", "32", "Åke"}, 0, "0 8F 6B 65 20\n"},
        {{"encode", "--type", "0", "--size", "0", "5"}, 0, "0\n"},
        {{"encode", "--type", "1", "--size", "12", "G"}, 0, "1 FF FF\n"},  // bytes unchanged
        {{"encode", "--type", "1", "--size", "12", "--over", "12 34", "1000"}, 0, "2 12 34\n"},
        {{"encode", "--type", "0", "--size", "32", "4294967296"}, 0, "2 FF FF FF FF\n"},
        {{"encode", "--type", "0", "--size", "2147483647", "1"}, 0, "2\n"},
        {{"encode", "--type", "0", "--size", "8", "--over", "0G", "1"}, 1, ""},
        {{"encode", "--type", "5", "--size", "16", "日"}, 1, ""},
        {{"encode", "--type", "0", "--size", "8", "--offset", "8", "1"}, 2, ""},
        {{"encode", "--type", "0", "--size", "2147483648", "1"}, 2, ""},
        {{"encode", "--size", "8", "1"}, 2, ""},
        {{"encode", "--type", "0", "--size", "8"}, 2, ""},
        {{"decode", "--type", "5", "--size", "32", "8F 6B 65 20"}, 0, "0 Åke\n"},
        {{"decode", "--type", "0", "--size", "8", "--offset", "4", "B00A"}, 0, "0 171\n"},
        {{"decode", "--type", "0", "--size", "16", ""}, 0, "0 65535\n"},  // erased bytes
        {{"decode", "--type", "5", "--size", "33", "00"}, 0, "2 \n"},
        {{"decode", "--type", "5", "--size", "32", "41 0A 5C 01"}, 0, "0 A\\n\\\\\\x01\n"},
        {{"decode", "--type", "0", "--size", "8", "ABC"}, 1, ""},
        {{"decode", "--type", "0", "--size", "8", "--offset", "-1", "00"}, 2, ""},
        {{}, 2, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"value"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::string line;
        for (const auto& a : args)
            line += a + " ";
        const test::CliRun r = runCli(args);
        EXPECT_EQ(r.code, c.code) << line << r.err;
        if (c.code == 0) {
            EXPECT_EQ(r.out, c.out) << line;
        } else {
            EXPECT_NE(r.err, "") << line;
        }
    }
}

TEST(ValueCommands, EveryCommandHasHelp) {
    for (const char* cmd : {"", "encode", "decode"}) {
        std::vector<std::string> args{"value", cmd, "--help"};
        if (*cmd == '\0') args.erase(args.begin() + 1);
        const test::CliRun r = runCli(args);
        EXPECT_EQ(r.code, 0) << cmd;
        EXPECT_NE(r.out.find(*cmd == 'e' ? "--over" : "--"), std::string::npos) << cmd;
    }
}

}  // namespace
}  // namespace loom
