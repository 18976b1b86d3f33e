#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/template/SampleTemplates.h"
#include "support/TempDir.h"
#include "template/TemplateScanner.h"
#include "template/TemplateWriter.h"

namespace loom {
namespace {

using samples::control;
using samples::dataControl;

// Writes every item it is given straight back through a TemplateWriter, so that a scan
// that loses or alters anything shows up as a byte difference.
class RewritingVisitor : public TemplateVisitor {
  public:
    explicit RewritingVisitor(const TemplateHeader& h) { w.header(h.name, h.title, h.version); }
    void onGroup(std::string_view name) override { w.group(name); }
    void onGroupEnd() override { w.groupEnd(); }
    void onPage(std::string_view name) override { w.page(name); }
    void onControl(const RawControl& c) override { w.control(c); }
    void onValueList(const RawValueList& list) override { w.valueList(list); }
    void onCaption(std::string_view text) override { w.caption(text); }
    void onPageEnd() override { w.pageEnd(); }
    void onIdAddress(std::uint32_t a) override { w.idAddress(a); }
    void onProductAddress(std::uint32_t a) override { w.productAddress(a); }
    void onHelp(std::string_view name) override { w.help(name); }
    void onEvents(const std::vector<RawEventCode>& codes) override { w.events(codes); }
    void onNoErase(std::uint32_t v) override { w.noErase(v); }
    void onBodyEnd() override { w.end(); }
    void onRuleCount(std::uint32_t n) override { w.rawInt(n); }
    void onRule(const RawRule& r) override {
        w.rule(r);
        rules.push_back(r);
    }
    TemplateWriter w;
    std::vector<RawRule> rules;
};

std::vector<std::uint8_t> rescan(TemplateScanner scanner) {
    RewritingVisitor v(scanner.readHeader());
    scanner.readBody(v);
    return v.w.finish();
}

std::vector<std::uint8_t> rescan(const std::vector<std::uint8_t>& bytes) {
    return rescan(TemplateScanner::fromMemory(bytes));
}

// A template far larger than the read buffer, with texts of every length up to the limit,
// so that items, integers and texts straddle buffer refills.
std::vector<std::uint8_t> largeTemplate(std::size_t pages) {
    TemplateWriter w;
    w.header("LARGE", "Large");
    std::size_t n = 0;
    for (std::size_t p = 0; p < pages; ++p) {
        w.page("Sida " + std::to_string(p));
        for (int i = 0; i < 40; ++i, ++n) {
            auto text = std::string(n % 700, static_cast<char>('a' + n % 26));
            auto kind = (n % 3 == 0) ? TemplateTag::Edit : TemplateTag::Label;
            w.control(kind == TemplateTag::Edit
                          ? dataControl(kind, text, static_cast<std::uint32_t>(n))
                          : control(kind, text));
        }
        w.pageEnd();
    }
    w.end().rules({samples::rule(49, 0, {samples::action(71, 0, 0, std::string(699, 'x'))})});
    return w.finish();
}

TEST(TemplateScanner, HandsOverEveryItemExactlyAsWrittenAcrossBufferRefills) {
    EXPECT_EQ(rescan(samples::richTemplate()), samples::richTemplate());
    auto bytes = largeTemplate(12);
    constexpr std::size_t kSmallBuffer = 16384;
    ASSERT_GT(bytes.size(), 8 * kSmallBuffer);
    EXPECT_EQ(rescan(bytes), bytes);
    test::TempDir dir;
    const std::string path = dir.write("large.FRM", bytes);
    EXPECT_EQ(rescan(TemplateScanner::openFile(path)), bytes);
    // Buffers smaller than the longest item, down to the smallest, refill inside items.
    for (std::size_t size : {kSmallBuffer, std::size_t{3001}, std::size_t{700}, std::size_t{1}})
        EXPECT_EQ(rescan(TemplateScanner::openFile(path, size)), bytes) << size;
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
