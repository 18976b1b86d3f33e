#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunCli.h"

namespace loom {
namespace {

// The line printed is the result code and the bytes (encode) or the text (decode); the
// exit code says whether the input was refused (1) or the command misused (2).
TEST(ValueCommands, EncodeAndDecodePrintResultAndBytesOrText) {
    const struct {
        std::vector<std::string> args;  // after "value"
        int code;
        std::string out;  // checked when the exit code is 0
    } cases[] = {
        {{"encode", "--type", "0", "--size", "8", "--offset", "4", "--over", "00 00", "171"},
         0,
         "0 B0 0A\n"},
        {{"encode", "--type", "0", "--size", "5", "--offset", "4", "--over", "00 00", "1"},
         0,
         "0 10 00\n"},  // the field runs one bit into its second byte
        {{"encode", "--type", "5", "--size", "32", "Åke"}, 0, "0 8F 6B 65 20\n"},
        {{"encode", "--type", "1", "--size", "12", "--over", "12 34", "1000"}, 0, "2 12 34\n"},
        {{"encode", "--type", "5", "--size", "16", "日"}, 1, ""},
        {{"encode", "--type", "0", "--size", "8", "--offset", "8", "1"}, 2, ""},
        {{"decode", "--type", "0", "--size", "8", "--offset", "4", "B00A"}, 0, "0 171\n"},
        {{"decode", "--type", "5", "--size", "32", "41 0A 5C 1F"}, 0, "0 A\\n\\\\\\x1F\n"},
        {{"decode", "--type", "0", "--size", "8", "ABC"}, 1, ""},
        {{}, 2, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"value"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const std::string line = testing::PrintToString(args);
        const test::CliRun r = test::runCli(args);
        EXPECT_EQ(r.code, c.code) << line << r.err;
        if (c.code == 0) {
            EXPECT_EQ(r.out, c.out) << line;
        } else {
            EXPECT_NE(r.err, "") << line;
        }
    }
}

}  // namespace
}  // namespace loom
