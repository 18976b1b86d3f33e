#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "template/TemplateWriter.h"

namespace loom {
namespace {

// The byte layout written out by hand, so that a fault shared by the writer and the
// scanner (byte order, text ends, operand order) cannot hide behind a round trip.
TEST(TemplateWriter, WritesTheFileLayoutByteForByte) {
    RawControl box;
    box.tag = TemplateTag::CheckBox;
    box.text = "X";
    box.rect = {1, 2, 3, 4};
    box.flags = 0x201;
    box.field = {0x10, 8, 3, 2, "7"};
    box.onChar = "J";
    box.offChar = "N";
    RawRule rule;
    rule.condition = {55, 0, 0, "5"};
    rule.actions = {{60, 0, 0, {}}};

    TemplateWriter w;
    w.header("AB", "C").idAddress(0x01020304).page("P").control(box).pageEnd();
    w.events({{0x12, {{1, "E"}}}}).end().rules({rule});
    const std::vector<std::uint8_t> expected = {
        '<', 'K', 'Q',  '_',  'F', 'O',  'R', 'M', '>', 0,  1,  // magic, version
        'A', 'B', 0,    'C',  0,                                // name, title
        17,  1,   2,    3,    4,                                // id address
        4,   'P', 0,                                            // page
        9,   'X', 0,    0,    0,   0,    1,   0,   0,   0,  2, 0,
        0,   0,   3,    0,    0,   0,    4,  // check box, rectangle
        0,   0,   2,    1,                   // control flags
        0,   0,   0,    0x10, 0,   0,    0,   8,   0,   0,  0, 3,
        0,   0,   0,    2,    '7', 0,                              // field descriptor
        'J', 0,   'N',  0,                                         // on, off
        5,                                                         // page end
        20,  21,  0,    0,    0,   0x12, 1,   'E', 0,   29,        // event texts
        1,                                                         // body end
        0,   0,   0,    2,                                         // rule count 1 + 1
        0,   0,   0,    55,   0,   0,    0,   0,   '5', 0,         // condition
        0,   0,   0,    1,    0,   0,    0,   60,  0,   0,  0, 0,  // one action
        0,   0,   0x03, 0xDE,                                      // checksum
    };
    EXPECT_EQ(w.finish(), expected);
}

}  // namespace
}  // namespace loom
