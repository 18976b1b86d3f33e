#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/template/SampleTemplates.h"
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

class NullVisitor : public TemplateVisitor {};

// The failure a scan of `bytes` ends in, or nothing when it succeeds.
std::optional<ScanFailure> scanFailure(const std::vector<std::uint8_t>& bytes) {
    try {
        auto scanner = TemplateScanner::fromMemory(bytes);
        NullVisitor v;
        scanner.readBody(v);
        return std::nullopt;
    } catch (const TemplateScanError& e) {
        return e.failure();
    }
}

std::filesystem::path tempFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    auto path = std::filesystem::temp_directory_path() /
                ("loom_scanner_" + std::to_string(::getpid()) + "_" + name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(TemplateScanner, HandsOverEveryItemExactlyAsWritten) {
    auto bytes = samples::richTemplate();
    EXPECT_EQ(rescan(bytes), bytes);
}

TEST(TemplateScanner, ReadsTheHeaderTextsAndVersion) {
    auto bytes = samples::richTemplate();
    auto scanner = TemplateScanner::fromMemory(bytes);
    TemplateHeader h = scanner.readHeader();
    EXPECT_EQ(h.version, 1);
    EXPECT_EQ(h.name, "GL 200 v1.2");
    EXPECT_EQ(h.title, "Centrala \xC5\xC4\xD6");
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

TEST(TemplateScanner, FileAndMemoryScansAgreeAcrossBufferRefills) {
    auto bytes = largeTemplate(12);
    constexpr std::size_t kSmallBuffer = 16384;
    ASSERT_GT(bytes.size(), 8 * kSmallBuffer);
    EXPECT_EQ(rescan(bytes), bytes);
    auto path = tempFile("large.FRM", bytes);
    EXPECT_EQ(rescan(TemplateScanner::openFile(path.string())), bytes);
    // Buffers smaller than the longest item, down to the smallest, refill inside items.
    for (std::size_t size : {kSmallBuffer, std::size_t{3001}, std::size_t{700}, std::size_t{1}})
        EXPECT_EQ(rescan(TemplateScanner::openFile(path.string(), size)), bytes) << size;
    std::filesystem::remove(path);
}

TEST(TemplateScanner, IgnoresBytesAfterTheChecksumAndSaysWhereItStopped) {
    auto bytes = samples::minimalTemplate();
    const auto length = bytes.size();
    bytes.push_back(0xAB);
    auto scanner = TemplateScanner::fromMemory(bytes);
    NullVisitor v;
    scanner.readBody(v);
    EXPECT_EQ(scanner.bytesRead(), length);
}

TEST(TemplateScanner, ReadsHeaderOnlyAndReportsUnopenableFiles) {
    auto path = tempFile("header.FRM", samples::richTemplate());
    TemplateHeader h;
    ASSERT_TRUE(TemplateScanner::readHeaderOnly(path.string(), h));
    EXPECT_EQ(h.name, "GL 200 v1.2");
    std::filesystem::remove(path);
    EXPECT_FALSE(TemplateScanner::readHeaderOnly(path.string(), h));
    try {
        TemplateScanner::openFile(path.string());
        FAIL() << "opened a missing file";
    } catch (const TemplateScanError& e) {
        EXPECT_EQ(e.failure(), ScanFailure::CannotOpen);
        EXPECT_NE(e.systemError(), 0);
    }
    auto junk = tempFile("junk.FRM", {'<', 'K', 'Q'});
    EXPECT_FALSE(TemplateScanner::readHeaderOnly(junk.string(), h));
    std::filesystem::remove(junk);
}

TEST(TemplateScanner, LetsTheVisitorsOwnExceptionThrough) {
    struct Stop {};
    struct Stopper : NullVisitor {
        void onPage(std::string_view) override { throw Stop{}; }
    } v;
    auto bytes = samples::richTemplate();
    auto scanner = TemplateScanner::fromMemory(bytes);
    EXPECT_THROW(scanner.readBody(v), Stop);
}

// The rule section holds N entries, 1 + M per rule; reading stops at the first rule that
// reaches N, so the count decides how many rules are read.
TEST(TemplateScanner, ReadsRulesUntilTheCountIsReached) {
    const std::vector<RawRule> rules = {
        samples::rule(49, 0, {samples::action(60, 0), samples::action(61, 0)}),
        samples::rule(49, 0, {}),
        samples::rule(49, 0, {samples::action(60, 0)}),
    };
    struct Case {
        std::uint32_t count;
        std::size_t rulesWritten;
        std::size_t rulesRead;
    };
    const Case cases[] = {
        {0, 0, 0}, {1, 1, 1}, {3, 1, 1}, {4, 2, 2}, {5, 3, 3}, {6, 3, 3}, {0, 0, 0},
    };
    for (const auto& c : cases) {
        TemplateWriter w;
        w.header("R", "R").page("P").control(control(TemplateTag::Button, "B", 1)).pageEnd().end();
        w.rules(c.count, {rules.begin(), rules.begin() + static_cast<long>(c.rulesWritten)});
        auto bytes = w.finish();
        RewritingVisitor v(TemplateHeader{1, "R", "R"});
        auto scanner = TemplateScanner::fromMemory(bytes);
        scanner.readBody(v);
        EXPECT_EQ(v.rules.size(), c.rulesRead) << "count " << c.count;
    }
}

std::vector<std::uint8_t> withPage(const std::function<void(TemplateWriter&)>& items) {
    TemplateWriter w;
    w.header("T", "T").page("P");
    items(w);
    w.pageEnd().end().rules({});
    return w.finish();
}

std::vector<std::uint8_t> withRule(const RawRule& r) {
    TemplateWriter w;
    w.header("T", "T").end().rules(1, {r});
    return w.finish();
}

RawControl checkBox(std::string on, std::string off) {
    RawControl c = dataControl(TemplateTag::CheckBox, "C", 0);
    c.onChar = std::move(on);
    c.offChar = std::move(off);
    return c;
}

TEST(TemplateScanner, RefusesEveryMalformedTemplate) {
    using F = ScanFailure;
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        F failure;
    };
    auto text700 = std::string(700, 'x');
    auto headerOnly = [](std::uint8_t version) {
        TemplateWriter w;
        return w.header("T", "T", version).end().rules({}).finish();
    };
    auto top = [](const std::function<void(TemplateWriter&)>& items) {
        TemplateWriter w;
        w.header("T", "T");
        items(w);
        w.end().rules({});
        return w.finish();
    };
    auto minimal = samples::minimalTemplate();
    auto wrongMagic = minimal;
    wrongMagic[1] = 'k';
    auto noZeroInMagic = minimal;
    noZeroInMagic[9] = ' ';
    RawRule unknownCondition41 = samples::rule(41, 0, {});
    RawRule unknownCondition60 = samples::rule(60, 0, {});
    RawRule unknownAction59 = samples::rule(49, 0, {samples::action(59, 0)});
    RawRule unknownAction75 = samples::rule(49, 0, {samples::action(75, 0)});

    const Case cases[] = {
        {"empty file", {}, F::NotTemplate},
        {"ten bytes", {minimal.begin(), minimal.begin() + 10}, F::NotTemplate},
        {"wrong magic", wrongMagic, F::NotTemplate},
        {"magic without its zero byte", noZeroInMagic, F::NotTemplate},
        {"version 0", headerOnly(0), F::WrongVersion},
        {"version 2", headerOnly(2), F::WrongVersion},
        {"group end with no group", top([](auto& w) { w.groupEnd(); }), F::Malformed},
        {"one group end too many", top([](auto& w) { w.group("G").groupEnd().groupEnd(); }),
         F::Malformed},
        {"page end at top level", top([](auto& w) { w.pageEnd(); }), F::Malformed},
        {"control at top level", top([](auto& w) { w.control(control(TemplateTag::Label, "L")); }),
         F::Malformed},
        {"tag 0 at top level", top([](auto& w) { w.rawByte(0); }), F::Malformed},
        {"event code at top level", top([](auto& w) { w.rawByte(21); }), F::Malformed},
        {"tag 255 at top level", top([](auto& w) { w.rawByte(255); }), F::Malformed},
        {"page inside a page", withPage([](auto& w) { w.page("Q"); }), F::Malformed},
        {"id address inside a page", withPage([](auto& w) { w.idAddress(1); }), F::Malformed},
        {"body end inside a page", withPage([](auto& w) { w.end(); }), F::Malformed},
        {"tag 17 in a page", withPage([](auto& w) { w.rawByte(17).rawInt(0); }), F::Malformed},
        {"group name of 700 characters", top([&](auto& w) { w.group(text700); }), F::Malformed},
        {"caption of 700 characters", withPage([&](auto& w) { w.caption(text700); }), F::Malformed},
        {"control text of 700 characters",
         withPage([&](auto& w) { w.control(control(TemplateTag::Label, text700)); }), F::Malformed},
        // The same with plenty of bytes behind, so the whole control lies in the buffer.
        {"control text of 700 characters, more bytes behind", withPage([&](auto& w) {
             w.control(control(TemplateTag::Label, text700)).rawBytes(std::string(5000, 'x'));
         }),
         F::Malformed},
        {"default value of 700 characters, more bytes behind", withPage([&](auto& w) {
             RawControl c = dataControl(TemplateTag::Edit, "E", 0);
             c.field.defaultValue = text700;
             w.control(c).rawBytes(std::string(5000, 'x'));
         }),
         F::Malformed},
        {"check box on text of two characters, more bytes behind", withPage([](auto& w) {
             w.control(checkBox("JA", "N")).rawBytes(std::string(5000, '\1'));
         }),
         F::Malformed},
        {"template name of 700 characters",
         TemplateWriter().header(text700, "T").end().rules({}).finish(), F::Malformed},
        {"check box on text of two characters",
         withPage([](auto& w) { w.control(checkBox("JA", "N")); }), F::Malformed},
        {"check box with empty on text", withPage([](auto& w) { w.control(checkBox("", "N")); }),
         F::Malformed},
        {"check box with empty off text", withPage([](auto& w) { w.control(checkBox("J", "")); }),
         F::Malformed},
        {"check box off text of two characters",
         withPage([](auto& w) { w.control(checkBox("J", "NE")); }), F::Malformed},
        {"event section not starting with a code",
         top([](auto& w) { w.rawByte(20).rawByte(5).rawText("x").rawByte(29); }), F::Malformed},
        {"value list count beyond the file",
         withPage([](auto& w) { w.rawByte(14).rawInt(0xFFFFFFFFu).rawText("a").rawText("b"); }),
         F::Malformed},
        {"unknown condition code 41", withRule(unknownCondition41), F::UnknownRuleCode},
        {"action code as condition", withRule(unknownCondition60), F::UnknownRuleCode},
        {"unknown action code 59", withRule(unknownAction59), F::UnknownRuleCode},
        {"unknown action code 75", withRule(unknownAction75), F::UnknownRuleCode},
        {"action count beyond the file",
         TemplateWriter()
             .header("T", "T")
             .end()
             .rawInt(1)
             .rawInt(49)
             .rawInt(0)
             .rawInt(0x40000000u)
             .finish(),
         F::Malformed},
        {"bad checksum",
         TemplateWriter().header("T", "T").end().rules({}).finishWithWrongChecksum(),
         F::BadChecksum},
        {"checksum off by 2^31",
         TemplateWriter().header("T", "T").end().rules({}).finishWithWrongChecksum(0x80000000u),
         F::BadChecksum},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scanFailure(c.bytes), std::optional<F>(c.failure)) << c.name;
    }
}

TEST(TemplateScanner, AcceptsTheEdgesOfTheFormat) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    auto top = [](const std::function<void(TemplateWriter&)>& items) {
        TemplateWriter w;
        w.header("T", "T");
        items(w);
        w.end().rules({});
        return w.finish();
    };
    const Case cases[] = {
        {"group left open at the end", top([](auto& w) { w.group("G").group("H").groupEnd(); })},
        {"text of 699 characters", top([](auto& w) { w.help(std::string(699, 'h')); })},
        {"empty page", top([](auto& w) { w.page("").pageEnd(); })},
        {"repeated settings", top([](auto& w) {
             w.idAddress(1).idAddress(2).help("a").help("").noErase(1).noErase(0);
         })},
        {"empty event section", top([](auto& w) { w.events({}); })},
        {"event entry tags 0 and 255", top([](auto& w) {
             w.events({{0xFFFFFFFFu, {{0, "a"}, {255, "b"}, {20, ""}, {1, ""}}}});
         })},
        {"rule without actions", withRule(samples::rule(59, 0, {}))},
        {"check box characters of code page 1252",
         withPage([](auto& w) { w.control(checkBox("\xFF", "\x01")); })},
        {"value list of empty texts", withPage([](auto& w) {
             w.valueList({{"", ""}, {"", ""}});
         })},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scanFailure(c.bytes), std::nullopt) << c.name;
        EXPECT_EQ(rescan(c.bytes), c.bytes) << c.name;
    }
}

// Every prefix of a valid template is refused: too short for a header below 11 bytes,
// otherwise malformed, and never read past its end.
TEST(TemplateScanner, RefusesTheTemplateCutAtEveryPoint) {
    auto bytes = samples::richTemplate();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        auto expected = cut < 11 ? ScanFailure::NotTemplate : ScanFailure::Malformed;
        ASSERT_EQ(scanFailure(prefix), std::optional<ScanFailure>(expected)) << "cut at " << cut;
    }
}

TEST(TemplateScanner, ReportsBadChecksumOnlyOnceTheStoredValueIsRead) {
    auto bytes = TemplateWriter().header("T", "T").end().rules({}).finishWithWrongChecksum();
    bytes.pop_back();
    EXPECT_EQ(scanFailure(bytes), std::optional<ScanFailure>(ScanFailure::Malformed));
}

TEST(TemplateScanner, ChecksumCoversTheHeaderTexts) {
    auto bytes = samples::minimalTemplate();
    auto changed = bytes;
    changed[11] ^= 0x01;  // first byte of the name
    EXPECT_EQ(scanFailure(changed), std::optional<ScanFailure>(ScanFailure::BadChecksum));
}

}  // namespace
}  // namespace loom
