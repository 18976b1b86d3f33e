#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ArchiveHome.h"
#include "archive/ExportDate.h"
#include "archive/ExportRequest.h"
#include "archive/Exporter.h"
#include "archive/IndexEngine.h"
#include "archive/OpenDocument.h"
#include "platform/Settings.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::Lines;

class FakeDocument final : public OpenDocument {
  public:
    fs::path file;
    bool isModified = false;
    bool saveWorks = true;
    std::function<void()> onSave;
    int saves = 0;

    fs::path path() const override { return file; }
    bool modified() const override { return isModified; }
    bool save() override {
        ++saves;
        if (!saveWorks) return false;
        if (onSave) onSave();
        isModified = false;
        return true;
    }
};

class ExportTest : public test::ArchiveCopyHome {
  protected:
    CopyRunResult exportWith(ExportSelection selection, const std::string& date = {},
                             std::optional<ResultList> chosen = {},
                             OpenDocument* document = nullptr) {
        ExportRequest request;
        request.selection = selection;
        request.dateText = date;
        request.chosenList = chosen;
        request.folder = disk_;
        return Exporter(context_, document).ok(request);
    }
    void threeSystems() {
        for (const char* key : {"AAA", "BBB", "CCC"})
            writeArchived(key, system(std::string("Kund ") + key[0]));
    }
};

TEST(ExportDate, GivesLocalMidnightOrNothing) {
    const FixedClock clock(0, 7200);
    const std::pair<const char*, std::int64_t> valid[] = {
        {"1997-12-24", 882'921'600},
        {"1997-2-30", 857'260'800},  // carried over to 2 March
        {"1900-01-01", -2'208'988'800},
        {"2038-12-31", 2'177'366'400},
        {"0001997-012-024", 882'921'600}};
    for (const auto& [text, utcMidnight] : valid)
        EXPECT_EQ(parseExportDate(clock, text), utcMidnight - 7200) << text;
    for (const char* text : {"1899-12-31", "97-12-24", "2039-01-01", "1997-12", "1997-1a-01", "",
                             "1997-13-01", "1997-00-10", "1997-12-32", "1997-12-0", "1997-12-24-",
                             "1997--24", " 1997-12-24", "+1997-12-24", "99999999999-1-1"})
        EXPECT_EQ(parseExportDate(clock, text), std::nullopt) << text;
    // 23:30 UTC on 9 May 2020 is already 10 May two hours east.
    EXPECT_EQ(exportDateToday(FixedClock(1'589'068'800 - 1800, 7200)), "2020-05-10");
    EXPECT_EQ(exportDateToday(FixedClock(1'589'068'800 - 1800, 0)), "2020-05-09");
}

TEST_F(ExportTest, OpeningOffersTheNonEmptyListsInTabOrderAndTheLastExportDate) {
    list(ResultList::NotCopied) = {"/x/", "AAA\ta"};
    list(ResultList::Copied) = {"/y/", "BBB\tb"};
    FakeDocument unsaved;
    ExportRequest r = ExportRequest::opening(context_, &unsaved);
    EXPECT_EQ(r.offeredLists, (std::vector{ResultList::Copied, ResultList::NotCopied}));
    EXPECT_EQ(r.chosenList, ResultList::Copied);
    EXPECT_TRUE(r.filesInListEnabled());
    EXPECT_FALSE(r.currentEnabled);
    EXPECT_EQ(r.selection, ExportSelection::All);

    Settings(context_.settings()).setText("LatestExport", "2019-01-02");
    FakeDocument saved;
    saved.file = archived("AAA");
    list(ResultList::Copied).clear();
    list(ResultList::NotCopied).clear();
    r = ExportRequest::opening(context_, &saved);
    EXPECT_TRUE(r.offeredLists.empty());
    EXPECT_FALSE(r.chosenList);
    EXPECT_FALSE(r.filesInListEnabled());
    EXPECT_TRUE(r.currentEnabled);
    EXPECT_EQ(r.selection, ExportSelection::ChangedAfter);
    EXPECT_EQ(r.dateText, "2019-01-02");
    EXPECT_FALSE(ExportRequest::opening(context_, nullptr).currentEnabled);
}

TEST_F(ExportTest, AnEmptyRunStillSetsTodaysLocalDateForTheNextOpening) {
    clock_.set(kNow - 1800);  // 9 May 23:30 UTC, 10 May local
    threeSystems();
    const CopyRunResult r = exportWith(ExportSelection::FilesInList);  // no list chosen
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.copied + r.notCopied, 0);
    EXPECT_EQ(prompt_.texts(), (Lines{counts(0, 0)}));
    EXPECT_EQ(latestExport(), "2020-05-10");
    const ExportRequest opened = ExportRequest::opening(context_, nullptr);
    EXPECT_EQ(opened.selection, ExportSelection::ChangedAfter);
    EXPECT_EQ(opened.dateText, "2020-05-10");
}

TEST_F(ExportTest, MissingFolderOrBadDateStopsBeforeTheRun) {
    threeSystems();
    list(ResultList::Copied) = {"/kept/", "ZZZ"};
    ExportRequest request;
    request.folder = temp_.path("nowhere");
    EXPECT_FALSE(Exporter(context_, nullptr).ok(request).ran);
    request.folder.clear();
    EXPECT_FALSE(Exporter(context_, nullptr).ok(request).ran);
    EXPECT_FALSE(exportWith(ExportSelection::ChangedAfter, "97-12-24").ran);
    EXPECT_EQ(prompt_.texts(),
              (Lines{"Angiven katalog finns inte.", "Angiven katalog finns inte.",
                     "Felaktigt datum.\nDatumet måste ges på formen ÅÅÅÅ-MM-DD\n\nt ex julafton "
                     "1997 skrivs som 1997-12-24."}));
    EXPECT_EQ(latestExport(), "");
    EXPECT_EQ(list(ResultList::Copied), (Lines{"/kept/", "ZZZ"}));
    EXPECT_TRUE(fs::is_empty(disk_));
}

TEST_F(ExportTest, AnUnreadableIndexIsNoEmptyArchive) {
    threeSystems();
    files_.failLocked();  // another program holds DATA.KQI
    EXPECT_FALSE(exportWith(ExportSelection::All).ran);
    EXPECT_FALSE(exportWith(ExportSelection::ChangedAfter, "1997-12-24").ran);
    const std::string cannotOpen =
        "Kan inte öppna filen.\nfil: " + (home_ / "INDEX" / "DATA.KQI").string() +
        "\nFilen används av ett annat program.";
    EXPECT_EQ(prompt_.texts(), (Lines{cannotOpen, cannotOpen}));
    EXPECT_EQ(latestExport(), "");
    EXPECT_TRUE(fs::is_empty(disk_));
}

TEST_F(ExportTest, AllCopiesEveryIndexedFileWithItsBytesAndTime) {
    threeSystems();
    const CopyRunResult r = exportWith(ExportSelection::All);
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.copied, 3);
    EXPECT_EQ(r.notCopied, 0);
    EXPECT_EQ(list(ResultList::Copied),
              (Lines{filesHead(), "AAA\tKund A", "BBB\tKund B", "CCC\tKund C"}));
    EXPECT_TRUE(list(ResultList::NotCopied).empty());
    for (const char* key : {"AAA", "BBB", "CCC"}) {
        EXPECT_EQ(readText(onDisk(key)), readText(archived(key))) << key;
        EXPECT_EQ(lastWrite(onDisk(key)), kNow - 86400) << key;
    }
    EXPECT_EQ(prompt_.texts(), (Lines{counts(3, 0)}));
    EXPECT_EQ(prompt_.entries.back().kind, MessageKind::Information);
}

TEST_F(ExportTest, ChangedAfterTakesFilesFromLocalMidnightOn) {
    const std::int64_t midnight = kNow - kUtcOffset;  // 2020-05-10 00:00 local
    writeArchived("AAA", system("Kund A"), midnight);
    writeArchived("BBB", system("Kund B"), midnight - 1);
    writeArchived("CCC", system("Kund C"), midnight + 40 * 86400);
    fs::remove(archived("CCC"));  // indexed but gone: no time, not selected
    writeArchived("DDD", system("Kund D"), midnight + 1);
    const CopyRunResult r = exportWith(ExportSelection::ChangedAfter, "2020-05-10");
    EXPECT_EQ(r.copied, 2);
    EXPECT_EQ(r.notCopied, 0);
    EXPECT_EQ(list(ResultList::Copied), (Lines{filesHead(), "AAA\tKund A", "DDD\tKund D"}));
}

TEST_F(ExportTest, FilesInAListComeFromTheArchiveOrTheFolderAtTheListsHead) {
    threeSystems();
    list(ResultList::Found) = {"CCC\tKund C", "AAA\tKund A"};
    EXPECT_EQ(exportWith(ExportSelection::FilesInList, {}, ResultList::Found).copied, 2);
    EXPECT_EQ(list(ResultList::Copied), (Lines{filesHead(), "CCC\tKund C", "AAA\tKund A"}));
    EXPECT_FALSE(fs::exists(onDisk("BBB")));

    const fs::path other = elsewhere_ / "FILES";
    writeOutside(other / "XXX.KQD", system("Kund X"), "sys", kNow - 100);
    list(ResultList::Copied) = {folderOf(other), "XXX\tKund X"};
    EXPECT_EQ(exportWith(ExportSelection::FilesInList, {}, ResultList::Copied).copied, 1);
    EXPECT_EQ(list(ResultList::Copied), (Lines{folderOf(other), "XXX\tKund X"}));
    EXPECT_EQ(readText(onDisk("XXX")), readText(other / "XXX.KQD"));
}

struct CurrentCase {
    const char* name;
    bool modified;
    std::optional<Answer> answer;
    bool saveWorks;
    const char* exported;  // customer of the exported file, or null: the dialog stays open
    int saves;
};

class ExportCurrentTest : public ExportTest, public ::testing::WithParamInterface<CurrentCase> {};

TEST_P(ExportCurrentTest, ExportsTheOpenSystemAsSaved) {
    const CurrentCase& c = GetParam();
    const fs::path file = elsewhere_ / "FILES" / "DOC.KQD";
    writeOutside(file, system("Kund alt"), "sys", kNow - 500);
    FakeDocument document;
    document.file = file;
    document.isModified = c.modified;
    document.saveWorks = c.saveWorks;
    document.onSave = [&] { writeOutside(file, system("Kund neu"), "sys", kNow - 10); };
    if (c.answer) prompt_.answers.push_back(*c.answer);
    list(ResultList::Copied) = {"/kept/", "ZZZ"};

    EXPECT_EQ(exportWith(ExportSelection::Current, {}, {}, &document).ran, c.exported != nullptr);
    EXPECT_EQ(document.saves, c.saves);
    EXPECT_EQ(prompt_.unexpected, 0);
    Lines expected;
    if (c.modified)
        expected.push_back(
            "Filen har ändrats. För att ändringarna ska komma med måste filen "
            "sparas.\nVill du spara filen?");
    if (c.exported) {
        expected.push_back(counts(1, 0));
        EXPECT_EQ(list(ResultList::Copied),
                  (Lines{folderOf(elsewhere_ / "FILES"), std::string("DOC\t") + c.exported}));
        DataFile copy(context_);
        ASSERT_TRUE(copy.Read(onDisk("DOC"), false));
        EXPECT_EQ(copy.Store().find(kCustomer)->value, c.exported);
        EXPECT_EQ(latestExport(), "2020-05-10");
    } else {
        EXPECT_EQ(list(ResultList::Copied), (Lines{"/kept/", "ZZZ"}));
        EXPECT_FALSE(fs::exists(onDisk("DOC")));
        EXPECT_EQ(latestExport(), "");
    }
    EXPECT_EQ(prompt_.texts(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportCurrentTest,
    ::testing::Values(CurrentCase{"Unmodified", false, std::nullopt, true, "Kund alt", 0},
                      CurrentCase{"SavedFirst", true, Answer::Yes, true, "Kund neu", 1},
                      CurrentCase{"AsLastSaved", true, Answer::No, true, "Kund alt", 0},
                      CurrentCase{"FailedSaveStops", true, Answer::Yes, false, nullptr, 1}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ExportTest, CurrentThatCannotBeReadKeepsTheDialogOpen) {
    FakeDocument document;
    document.file = elsewhere_ / "FILES" / "DOC.KQD";
    writeText(document.file, "not a data file");
    EXPECT_FALSE(exportWith(ExportSelection::Current, {}, {}, &document).ran);
    ASSERT_EQ(prompt_.texts().size(), 1u);
    EXPECT_EQ(prompt_.texts()[0].rfind("Kan inte läsa filen.", 0), 0u) << prompt_.texts()[0];
    EXPECT_EQ(latestExport(), "");
}

TEST_F(ExportTest, OnlyAnOlderCopyInTheFolderIsReplaced) {
    threeSystems();
    const std::int64_t times[] = {kNow - 86400, kNow, kNow - 86401};  // same, newer, older
    for (int i = 0; i < 3; ++i) {
        const std::string key(3, static_cast<char>('A' + i));
        writeText(onDisk(key), "on disk");
        ASSERT_TRUE(files_.disk().setLastWriteTime(onDisk(key), times[i]));
    }
    list(ResultList::Found) = {"AAA\tKund A", "BBB\tKund B", "CCC\tKund C"};
    const CopyRunResult r = exportWith(ExportSelection::FilesInList, {}, ResultList::Found);
    EXPECT_EQ(r.copied, 1);
    EXPECT_EQ(r.notCopied, 2);
    EXPECT_EQ(readText(onDisk("AAA")), "on disk");
    EXPECT_EQ(readText(onDisk("BBB")), "on disk");
    EXPECT_EQ(readText(onDisk("CCC")), readText(archived("CCC")));
    EXPECT_EQ(list(ResultList::Copied), (Lines{filesHead(), "CCC\tKund C"}));
    EXPECT_EQ(list(ResultList::NotCopied), (Lines{filesHead(), "AAA\tKund A", "BBB\tKund B"}));
    EXPECT_EQ(prompt_.texts(), (Lines{counts(1, 2)}));
}

TEST_F(ExportTest, AKeyThatIsNoPlainNameIsNeverMadeIntoAPath) {
    writeArchived("AAA", system("Kund A"));
    writeText(home_ / "EVIL.KQD", "outside FILES");
    ASSERT_TRUE(IndexEngine(context_).StoreIndexLine("DATA.KQI", "../EVIL\tx"));
    const CopyRunResult r = exportWith(ExportSelection::All);
    EXPECT_EQ(r.copied, 1);
    EXPECT_EQ(r.notCopied, 1);
    EXPECT_EQ(list(ResultList::NotCopied), (Lines{filesHead(), "../EVIL\tx"}));
    EXPECT_FALSE(fs::exists(disk_.parent_path() / "EVIL.KQD"));
}

struct FailureCase {
    const char* name;
    int failures;  // copies that fail first, whichever file
    std::vector<Answer> answers;
    Lines copied, notCopied;
    int attempts;
};

class ExportFailureTest : public ExportTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ExportFailureTest, AsksRetrySkipOrSkipAll) {
    const FailureCase& c = GetParam();
    writeArchived("AAA", system("Kund A"));
    writeArchived("BBB", system("Kund B"));
    int calls = 0;
    files_.beforeReplace = [&](const fs::path&) { files_.failCommit(++calls <= c.failures); };
    prompt_.answers.assign(c.answers.begin(), c.answers.end());
    const CopyRunResult r = exportWith(ExportSelection::All);

    EXPECT_EQ(calls, c.attempts);
    EXPECT_EQ(prompt_.unexpected, 0);
    EXPECT_TRUE(prompt_.answers.empty());
    const auto withHead = [&](Lines lines) {
        if (!lines.empty()) lines.insert(lines.begin(), filesHead());
        return lines;
    };
    EXPECT_EQ(list(ResultList::Copied), withHead(c.copied));
    EXPECT_EQ(list(ResultList::NotCopied), withHead(c.notCopied));
    EXPECT_EQ(r.copied, static_cast<int>(c.copied.size()));
    // The disk's own reason, then the question.
    Lines expected(c.answers.size(),
                   "Det finns inget utrymme kvar på enheten.\nVill du försöka igen? \"Nej\" "
                   "hoppar över aktuell fil,\n\"Avbryt\" hoppar över alla resterande filer.");
    expected.push_back(counts(r.copied, r.notCopied));
    EXPECT_EQ(prompt_.texts(), expected);
    for (const std::string& line : c.notCopied)
        EXPECT_FALSE(fs::exists(onDisk(line.substr(0, 3)))) << line;
}

const Lines kA{"AAA\tKund A"}, kB{"BBB\tKund B"}, kAB{"AAA\tKund A", "BBB\tKund B"};

INSTANTIATE_TEST_SUITE_P(
    Answers, ExportFailureTest,
    ::testing::Values(
        FailureCase{"RetryWorks", 1, {Answer::Yes}, kAB, {}, 3},
        FailureCase{"RetryTwiceThenSkip", 3, {Answer::Yes, Answer::Yes, Answer::No}, kB, kA, 4},
        FailureCase{"Skip", 1, {Answer::No}, kB, kA, 2},
        FailureCase{"SkipAll", 1, {Answer::Cancel}, {}, kAB, 1}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace loom
