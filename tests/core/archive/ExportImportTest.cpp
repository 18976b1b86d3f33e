#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "archive/ExportDate.h"
#include "archive/ExportRequest.h"
#include "archive/Exporter.h"
#include "archive/Importer.h"
#include "archive/IndexEngine.h"
#include "archive/OpenDocument.h"
#include "archive/SearchResults.h"
#include "platform/Settings.h"
#include "support/TestHome.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::kCustomer;
using test::kPhone;
using test::kPromValue;
using test::Lines;
using test::readFile;
using test::text;

constexpr std::int64_t kNow = 1'589'068'800;  // 2020-05-10 00:00 UTC
constexpr std::int64_t kUtcOffset = 7200;

class FakeDocument final : public OpenDocument {
  public:
    fs::path file;
    bool isModified = false;
    bool saveWorks = true;
    std::function<void()> onSave;

    fs::path path() const override { return file; }
    bool modified() const override { return isModified; }
    bool save() override {
        if (!saveWorks) return false;
        if (onSave) onSave();
        isModified = false;
        return true;
    }
};

std::string counts(int copied, int notCopied) {
    return text(MessageId::FilesCopied, {std::int64_t{copied}, std::int64_t{notCopied}});
}

// Export and import: the clock at kNow, two hours east of UTC, system password "sys".
class CopyTest : public ::testing::Test {
  protected:
    CopyTest() {
        h.clock.set(kNow);
        h.clock.setUtcOffset(kUtcOffset);
        h.context.setSystemPassword("sys");
    }
    CopyRunResult exportWith(ExportSelection selection, std::optional<ResultList> chosen = {},
                             OpenDocument* document = nullptr) {
        ExportRequest request;
        request.selection = selection;
        request.chosenList = chosen;
        request.folder = h.diskette;
        return Exporter(h.context, document).ok(request);
    }
    CopyRunResult importAll() {
        Importer importer(h.context);
        importer.folder = h.diskette;
        return importer.ok();
    }
    void threeSystems() {
        for (const char* key : {"AAA", "BBB", "CCC"})
            h.writeArchived(key, h.system(std::string("Kund ") + key[0]), kNow - 86400);
    }
    Lines& list(ResultList which) { return h.context.searchResults().list(which); }
    // A result list's head line: its folder, code page 1252.
    std::string filesHead() const { return pathText(h.root / "FILES") + "/"; }

    test::TestHome h;
};

TEST(ExportDate, GivesLocalMidnightOrNothing) {
    const FixedClock clock(0, 7200);
    const std::pair<const char*, std::int64_t> valid[] = {
        {"1997-12-24", 882'921'600},
        {"1997-2-30", 857'260'800},  // carried over to 2 March
        {"0001997-012-024", 882'921'600}};
    for (const auto& [date, utcMidnight] : valid)
        EXPECT_EQ(parseExportDate(clock, date), utcMidnight - 7200) << date;
    for (const char* date : {"1899-12-31", "97-12-24", "2039-01-01", "1997-12", "1997-13-01",
                             "1997-12-32", "+1997-12-24"})
        EXPECT_EQ(parseExportDate(clock, date), std::nullopt) << date;
    // 23:30 UTC on 9 May 2020 is already 10 May two hours east.
    EXPECT_EQ(exportDateToday(FixedClock(kNow - 1800, 7200)), "2020-05-10");
    EXPECT_EQ(exportDateToday(FixedClock(kNow - 1800, 0)), "2020-05-09");
}

TEST_F(CopyTest, ExportAllCopiesEveryIndexedFileWithItsBytesAndTimeButNoUnsafeKey) {
    threeSystems();
    h.clock.set(kNow - 1800);  // 9 May 23:30 UTC, 10 May local
    test::writeFile(h.root / "EVIL.KQD", "outside FILES");
    ASSERT_TRUE(IndexEngine(h.context).StoreIndexLine("DATA.KQI", "../EVIL\tx"));
    // Only an older copy in the export folder is replaced.
    const std::int64_t times[] = {kNow - 86401, kNow - 86400};  // older, same
    for (int i = 0; i < 2; ++i) {
        const std::string key(3, static_cast<char>('A' + i));
        test::writeFile(h.onDisk(key), "on disk");
        ASSERT_TRUE(h.files.disk().setLastWriteTime(h.onDisk(key), times[i]));
    }
    const CopyRunResult r = exportWith(ExportSelection::All);
    EXPECT_EQ(r.copied, 2);
    EXPECT_EQ(r.notCopied, 2);
    EXPECT_EQ(list(ResultList::Copied), (Lines{filesHead(), "AAA\tKund A", "CCC\tKund C"}));
    EXPECT_EQ(list(ResultList::NotCopied), (Lines{filesHead(), "BBB\tKund B", "../EVIL\tx"}));
    EXPECT_EQ(readFile(h.onDisk("BBB")), "on disk");
    for (const char* key : {"AAA", "CCC"}) {
        EXPECT_EQ(readFile(h.onDisk(key)), readFile(h.archived(key))) << key;
        EXPECT_EQ(h.lastWrite(h.onDisk(key)), kNow - 86400) << key;
    }
    EXPECT_EQ(h.prompt.texts(), (Lines{counts(2, 2)}));
    EXPECT_EQ(h.context.settings().readString("", "LatestExport", ""), "2020-05-10");
}

// A modified open system is saved first or exported as last saved; a failed save stops.
TEST_F(CopyTest, ExportCurrentExportsTheOpenSystemAsSaved) {
    const struct {
        Answer answer;
        bool saveWorks;
        const char* exported;  // customer of the exported file, or null: nothing exported
    } cases[] = {{Answer::Yes, true, "Kund neu"},
                 {Answer::No, true, "Kund alt"},
                 {Answer::Yes, false, nullptr}};
    const fs::path file = h.other / "FILES" / "DOC.KQD";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exported ? c.exported : "failed save");
        h.prompt.entries.clear();
        fs::remove(h.onDisk("DOC"));
        h.writeOutside(file, h.system("Kund alt"), "sys", kNow - 500);
        FakeDocument document;
        document.file = file;
        document.isModified = true;
        document.saveWorks = c.saveWorks;
        document.onSave = [&] { h.writeOutside(file, h.system("Kund neu"), "sys", kNow - 10); };
        h.prompt.answers.push_back(c.answer);
        EXPECT_EQ(exportWith(ExportSelection::Current, {}, &document).ran, c.exported != nullptr);
        Lines expected{text(MessageId::SaveBeforeExport)};
        if (c.exported) {
            expected.push_back(counts(1, 0));
            EXPECT_EQ(h.valueAt(h.contentOf(h.onDisk("DOC")).store, kCustomer), c.exported);
        } else {
            EXPECT_FALSE(fs::exists(h.onDisk("DOC")));
        }
        EXPECT_EQ(h.prompt.texts(), expected);
    }
}

TEST_F(CopyTest, AFailedExportCopyAsksRetrySkipOrSkipAll) {
    const Lines kA{"AAA\tKund A"}, kB{"BBB\tKund B"}, kAB{"AAA\tKund A", "BBB\tKund B"};
    const struct {
        const char* name;
        int failures;  // copies that fail first, whichever file
        std::vector<Answer> answers;
        Lines copied, notCopied;
        int attempts;
    } cases[] = {{"retry works", 1, {Answer::Yes}, kAB, {}, 3},
                 {"retry twice then skip", 3, {Answer::Yes, Answer::Yes, Answer::No}, kB, kA, 4},
                 {"skip", 1, {Answer::No}, kB, kA, 2},
                 {"skip all", 1, {Answer::Cancel}, {}, kAB, 1}};
    h.writeArchived("AAA", h.system("Kund A"));
    h.writeArchived("BBB", h.system("Kund B"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        h.prompt.entries.clear();
        fs::remove_all(h.diskette);
        fs::create_directories(h.diskette);
        int calls = 0;
        h.files.beforeReplace = [&](const fs::path&) { h.files.failCommit(++calls <= c.failures); };
        h.prompt.answers.assign(c.answers.begin(), c.answers.end());
        const CopyRunResult r = exportWith(ExportSelection::All);
        EXPECT_EQ(calls, c.attempts);
        EXPECT_TRUE(h.prompt.answers.empty());
        const auto withHead = [&](Lines lines) {
            if (!lines.empty()) lines.insert(lines.begin(), filesHead());
            return lines;
        };
        EXPECT_EQ(list(ResultList::Copied), withHead(c.copied));
        EXPECT_EQ(list(ResultList::NotCopied), withHead(c.notCopied));
        // The disk's own reason, then the question.
        Lines expected(c.answers.size(),
                       text(MessageId::ReasonNoSpace) + text(MessageId::RetryCopy));
        expected.push_back(counts(r.copied, r.notCopied));
        EXPECT_EQ(h.prompt.texts(), expected);
        for (const std::string& line : c.notCopied)
            EXPECT_FALSE(fs::exists(h.onDisk(line.substr(0, 3)))) << line;
    }
    EXPECT_EQ(h.prompt.unexpected, 0);
}

// New files are copied as they are, or rewritten under the system password, and indexed;
// a same or newer archived file stays, a damaged one on disk is left out; the open system's
// labels survive.
TEST_F(CopyTest, ImportCopiesNewerFilesUnderTheSystemPassword) {
    h.writeOutside(h.onDisk("AAA"), h.system("Kund A"), "sys", kNow - 300);
    h.writeOutside(h.onDisk("BBB"), h.system("Kund B", "7"), "fremd", kNow - 200);
    h.writeArchived("CCC", h.system("Arkiv C"), kNow - 100);
    h.writeOutside(h.onDisk("CCC"), h.system("Disk C"), "sys", kNow - 100);
    h.writeOutside(h.onDisk("DDD"), h.system("Disk D"), "sys", kNow - 10);
    std::string damaged = readFile(h.onDisk("DDD"));
    damaged.back() = static_cast<char>(damaged.back() ^ 1);  // the checksum
    test::writeFile(h.onDisk("DDD"), damaged);
    const std::string c = readFile(h.archived("CCC"));
    h.context.labels().set(0, "Entré");
    const CopyRunResult r = importAll();
    EXPECT_EQ(r.copied, 2);
    EXPECT_EQ(r.notCopied, 1);  // a damaged source is left out silently
    EXPECT_FALSE(fs::exists(h.archived("DDD")));
    EXPECT_EQ(h.context.labels().text(0), "Entré");
    EXPECT_EQ(readFile(h.archived("AAA")), readFile(h.onDisk("AAA")));
    EXPECT_EQ(h.lastWrite(h.archived("AAA")), kNow - 300);
    const auto b = h.contentOf(h.archived("BBB"));
    EXPECT_EQ(b.password, "sys");
    EXPECT_EQ(h.valueAt(b.store, kPromValue), "7");
    EXPECT_EQ(h.lastWrite(h.archived("BBB")), kNow - 200);
    EXPECT_EQ(readFile(h.archived("CCC")), c);
    EXPECT_EQ(test::sortedLines(readFile(h.dataIndex())),
              (Lines{"AAA\tKund A", "BBB\tKund B", "CCC\tArkiv C"}));
    EXPECT_EQ(h.prompt.texts(), (Lines{counts(2, 1)}));  // no password dialog, no message
}

TEST_F(CopyTest, ImportMergeKeepsTheArchivesCustomerInformationAndTakesThePanelValues) {
    FieldStore old = h.system("Arkivets kund", "1");
    old.findOrCreate(kPhone).value = "08-123";         // only in the archive
    old.findOrCreate(0x200u << 3).value = "only old";  // a PROM value only in the archive
    h.writeArchived("AAA", old, kNow - 1000, "old password");
    FieldStore fresh = h.system("Diskens kund", "2");
    fresh.findOrCreate(0x300u << 3).value = "new field";
    h.writeOutside(h.onDisk("AAA"), fresh, "fremd", kNow - 10);

    EXPECT_EQ(importAll().copied, 1);
    const auto c = h.contentOf(h.archived("AAA"));
    EXPECT_EQ(c.password, "sys");
    EXPECT_EQ(c.store.size(), 5u);
    EXPECT_EQ(h.valueAt(c.store, kCustomer), "Arkivets kund");
    EXPECT_EQ(h.valueAt(c.store, kPhone), "08-123");
    EXPECT_EQ(h.valueAt(c.store, kPromValue), "2");
    EXPECT_EQ(h.valueAt(c.store, 0x300u << 3), "new field");
    EXPECT_EQ(h.valueAt(c.store, 0x200u << 3), "only old");
    EXPECT_EQ(h.lastWrite(h.archived("AAA")), kNow - 10);
    EXPECT_EQ(readFile(h.dataIndex()), "AAA\tArkivets kund\r\n");
}

}  // namespace
}  // namespace loom
