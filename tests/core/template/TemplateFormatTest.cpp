// The template file format: how it is written and scanned.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/template/SampleTemplates.h"
#include "support/TempDir.h"
#include "template/TemplateScanner.h"
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

// Keeps the texts and numbers of the items a scan hands over (the tools' round trip shows
// every item in full).
class RecordingVisitor : public TemplateVisitor {
  public:
    void onPage(std::string_view name) override { items.emplace_back(name); }
    void onControl(const RawControl& c) override {
        items.push_back(c.text + "@" + std::to_string(c.field.address));
    }
    void onRule(const RawRule& r) override { items.push_back(r.actions.at(0).text); }
    std::vector<std::string> items;
};

std::vector<std::string> scan(TemplateScanner scanner) {
    RecordingVisitor v;
    scanner.readHeader();
    scanner.readBody(v);
    return v.items;
}

// A template far larger than the read buffer, with texts of many lengths up to the limit;
// buffers smaller than the longest item, down to one byte, refill inside items, integers
// and texts.
TEST(TemplateScanner, HandsOverEveryItemAcrossBufferRefills) {
    TemplateWriter w;
    w.header("LARGE", "Large").page("P");
    for (std::uint32_t n = 0; n < 200; ++n)
        w.control(samples::dataControl(TemplateTag::Edit, std::string(n * 7 % 700, 'a'), n));
    w.pageEnd().end().rules({samples::rule(49, 0, {samples::action(71, 0, 0, "x")})});
    const auto bytes = w.finish();
    ASSERT_GT(bytes.size(), 4 * 16384u);
    const std::vector<std::string> items = scan(TemplateScanner::fromMemory(bytes));
    ASSERT_EQ(items.size(), 202u);
    EXPECT_EQ(items[199], std::string(198 * 7 % 700, 'a') + "@198");
    test::TempDir dir;
    const std::string path = dir.write("large.FRM", bytes);
    for (std::size_t size : {std::size_t{16384}, std::size_t{700}, std::size_t{1}})
        EXPECT_EQ(scan(TemplateScanner::openFile(path, size)), items) << size;
}

// Every prefix of a valid template is refused: too short for a header below 11 bytes,
// otherwise malformed, and never read past its end.
TEST(TemplateScanner, RefusesTheTemplateCutAtEveryPoint) {
    auto bytes = samples::richTemplate();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        auto expected = cut < 11 ? ScanFailure::NotTemplate : ScanFailure::Malformed;
        ASSERT_EQ(samples::scanFailure(prefix), std::optional<ScanFailure>(expected))
            << "cut at " << cut;
    }
}

}  // namespace
}  // namespace loom
