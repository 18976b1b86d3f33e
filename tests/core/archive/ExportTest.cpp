#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "ArchiveCopyHome.h"
#include "archive/ExportDate.h"
#include "archive/ExportRequest.h"
#include "archive/Exporter.h"
#include "archive/IndexEngine.h"
#include "archive/OpenDocument.h"
#include "platform/Settings.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kBadDate =
    "Felaktigt datum.\nDatumet måste ges på formen ÅÅÅÅ-MM-DD\n\nt ex julafton 1997 skrivs som "
    "1997-12-24.";
const std::string kRetry =
    "\nVill du försöka igen? \"Nej\" hoppar över aktuell fil,\n\"Avbryt\" hoppar över alla "
    "resterande filer.";

std::string counts(int copied, int notCopied) {
    return std::to_string(copied) + " filer har kopierats.\n" + std::to_string(notCopied) +
           " filer har inte kopierats.";
}

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
        request.folderText = utf8ToCp1252(disk_.string());
        return Exporter(context_, document).ok(request);
    }
    // Three systems in the archive, indexed in this order.
    void threeSystems() {
        writeArchived("AAA", system("Kund A"));
        writeArchived("BBB", system("Kund B"));
        writeArchived("CCC", system("Kund C"));
    }
    std::string filesHead() const { return folderOf(home_ / "FILES"); }
};

// ---- the date of "Ändrade efter" ----

struct DateCase {
    const char* text;
    std::optional<std::int64_t> limit;  // local midnight, two hours east of UTC
};

class ExportDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(ExportDateTest, GivesLocalMidnightOrNothing) {
    const FixedClock clock(0, 7200);
    EXPECT_EQ(parseExportDate(clock, GetParam().text), GetParam().limit);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, ExportDateTest,
    ::testing::Values(DateCase{"1997-12-24", 882'921'600 - 7200},
                      DateCase{"1997-2-30", 857'260'800 - 7200},  // carried over to 2 March
                      DateCase{"1900-01-01", -2'208'988'800 - 7200},
                      DateCase{"2038-12-31", 2'177'366'400 - 7200},
                      DateCase{"0001997-012-024", 882'921'600 - 7200},
                      DateCase{"1899-12-31", std::nullopt}, DateCase{"97-12-24", std::nullopt},
                      DateCase{"2039-01-01", std::nullopt}, DateCase{"1997-12", std::nullopt},
                      DateCase{"1997-1a-01", std::nullopt}, DateCase{"", std::nullopt},
                      DateCase{"1997-13-01", std::nullopt}, DateCase{"1997-00-10", std::nullopt},
                      DateCase{"1997-12-32", std::nullopt}, DateCase{"1997-12-0", std::nullopt},
                      DateCase{"1997-12-24-", std::nullopt}, DateCase{"1997--24", std::nullopt},
                      DateCase{" 1997-12-24", std::nullopt}, DateCase{"+1997-12-24", std::nullopt},
                      DateCase{"99999999999-1-1", std::nullopt}));

TEST(ExportDateToday, IsTheLocalDate) {
    // 23:30 UTC on 9 May 2020 is already 10 May two hours east.
    EXPECT_EQ(exportDateToday(FixedClock(1'589'068'800 - 1800, 7200)), "2020-05-10");
    EXPECT_EQ(exportDateToday(FixedClock(1'589'068'800 - 1800, 0)), "2020-05-09");
}

// ---- opening ----

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

TEST_F(ExportTest, AfterARunTheDialogOpensWithTodaysLocalDate) {
    clock_.set(kNow - 1800);  // 9 May 23:30 UTC, 10 May local
    writeArchived("AAA", system("Kund A"), kNow - 86400);
    EXPECT_TRUE(exportWith(ExportSelection::All).ran);
    EXPECT_EQ(latestExport(), "2020-05-10");
    const ExportRequest r = ExportRequest::opening(context_, nullptr);
    EXPECT_EQ(r.selection, ExportSelection::ChangedAfter);
    EXPECT_EQ(r.dateText, "2020-05-10");
}

// ---- refusals keep the dialog open and change nothing ----

TEST_F(ExportTest, MissingFolderOrBadDateStopsBeforeTheRun) {
    threeSystems();
    list(ResultList::Copied) = {"/kept/", "ZZZ"};
    ExportRequest request;
    request.folderText = utf8ToCp1252((temp_.path("nowhere")));
    EXPECT_FALSE(Exporter(context_, nullptr).ok(request).ran);
    request.folderText.clear();
    EXPECT_FALSE(Exporter(context_, nullptr).ok(request).ran);
    EXPECT_FALSE(exportWith(ExportSelection::ChangedAfter, "97-12-24").ran);
    EXPECT_EQ(said(),
              (Lines{"Angiven katalog finns inte.", "Angiven katalog finns inte.", kBadDate}));
    EXPECT_EQ(latestExport(), "");
    EXPECT_EQ(list(ResultList::Copied), (Lines{"/kept/", "ZZZ"}));
    EXPECT_TRUE(fs::is_empty(disk_));
}

// ---- selections ----

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
        EXPECT_EQ(bytesOf(onDisk(key)), bytesOf(archived(key))) << key;
        EXPECT_EQ(lastWrite(onDisk(key)), kNow - 86400) << key;
    }
    EXPECT_EQ(said(), (Lines{counts(3, 0)}));
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
    EXPECT_FALSE(fs::exists(onDisk("BBB")));
}

TEST_F(ExportTest, FilesInTheFoundListComeFromTheArchive) {
    threeSystems();
    list(ResultList::Found) = {"CCC\tKund C", "AAA\tKund A"};
    const CopyRunResult r = exportWith(ExportSelection::FilesInList, {}, ResultList::Found);
    EXPECT_EQ(r.copied, 2);
    EXPECT_EQ(list(ResultList::Copied), (Lines{filesHead(), "CCC\tKund C", "AAA\tKund A"}));
    EXPECT_FALSE(fs::exists(onDisk("BBB")));
}

TEST_F(ExportTest, FilesInTheCopiedListComeFromTheFolderAtItsHead) {
    writeOutside(elsewhere_ / "FILES" / "XXX.KQD", system("Kund X"), "sys", kNow - 100);
    list(ResultList::Copied) = {folderOf(elsewhere_ / "FILES"), "XXX\tKund X"};
    const CopyRunResult r = exportWith(ExportSelection::FilesInList, {}, ResultList::Copied);
    EXPECT_EQ(r.copied, 1);
    EXPECT_EQ(list(ResultList::Copied), (Lines{folderOf(elsewhere_ / "FILES"), "XXX\tKund X"}));
    EXPECT_EQ(bytesOf(onDisk("XXX")), bytesOf(elsewhere_ / "FILES" / "XXX.KQD"));
}

TEST_F(ExportTest, NoListChosenIsAnEmptyRun) {
    threeSystems();
    const CopyRunResult r = exportWith(ExportSelection::FilesInList);
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.copied + r.notCopied, 0);
    EXPECT_EQ(said(), (Lines{counts(0, 0)}));
    EXPECT_EQ(latestExport(), "2020-05-10");
}

struct CurrentCase {
    const char* name;
    bool modified;
    std::optional<Answer> answer;
    bool saveWorks;
    bool ran;
    const char* exported;  // customer of the exported file, or null
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

    const CopyRunResult r = exportWith(ExportSelection::Current, {}, {}, &document);
    EXPECT_EQ(r.ran, c.ran);
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
    EXPECT_EQ(said(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportCurrentTest,
    ::testing::Values(CurrentCase{"Unmodified", false, std::nullopt, true, true, "Kund alt", 0},
                      CurrentCase{"SavedFirst", true, Answer::Yes, true, true, "Kund neu", 1},
                      CurrentCase{"AsLastSaved", true, Answer::No, true, true, "Kund alt", 0},
                      CurrentCase{"FailedSaveStops", true, Answer::Yes, false, false, nullptr, 1}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ExportTest, CurrentThatCannotBeReadKeepsTheDialogOpen) {
    const fs::path file = elsewhere_ / "FILES" / "DOC.KQD";
    std::ofstream(file) << "not a data file";
    FakeDocument document;
    document.file = file;
    EXPECT_FALSE(exportWith(ExportSelection::Current, {}, {}, &document).ran);
    ASSERT_EQ(said().size(), 1u);
    EXPECT_EQ(said()[0].rfind("Kan inte läsa filen.", 0), 0u) << said()[0];
    EXPECT_EQ(latestExport(), "");
}

// ---- the copy run ----

TEST_F(ExportTest, ASameOrNewerCopyInTheFolderIsNotCopiedNorTouched) {
    threeSystems();
    std::ofstream(onDisk("AAA")) << "same time";
    std::ofstream(onDisk("BBB")) << "newer";
    ASSERT_TRUE(files_.disk().setLastWriteTime(onDisk("AAA"), kNow - 86400));
    ASSERT_TRUE(files_.disk().setLastWriteTime(onDisk("BBB"), kNow));
    list(ResultList::Found) = {"AAA\tKund A", "BBB\tKund B"};
    const int writes = files_.replaceFileCalls();
    const CopyRunResult r = exportWith(ExportSelection::FilesInList, {}, ResultList::Found);
    EXPECT_EQ(r.copied, 0);
    EXPECT_EQ(r.notCopied, 2);
    EXPECT_EQ(files_.replaceFileCalls(), writes);
    EXPECT_EQ(bytesOf(onDisk("AAA")), "same time");
    EXPECT_EQ(bytesOf(onDisk("BBB")), "newer");
    EXPECT_TRUE(list(ResultList::Copied).empty());
    EXPECT_EQ(list(ResultList::NotCopied), (Lines{filesHead(), "AAA\tKund A", "BBB\tKund B"}));
    EXPECT_EQ(said(), (Lines{counts(0, 2)}));
}

TEST_F(ExportTest, AnOlderCopyInTheFolderIsReplaced) {
    writeArchived("AAA", system("Kund A"), kNow - 100);
    std::ofstream(onDisk("AAA")) << "older";
    ASSERT_TRUE(files_.disk().setLastWriteTime(onDisk("AAA"), kNow - 101));
    EXPECT_EQ(exportWith(ExportSelection::All).copied, 1);
    EXPECT_EQ(bytesOf(onDisk("AAA")), bytesOf(archived("AAA")));
}

TEST_F(ExportTest, AKeyThatIsNoPlainNameIsNeverMadeIntoAPath) {
    writeArchived("AAA", system("Kund A"));
    std::ofstream(home_ / "EVIL.KQD") << "outside FILES";
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
    Lines copied;
    Lines notCopied;
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
    const auto withHead = [&](const Lines& lines) {
        Lines out;
        if (!lines.empty()) out.push_back(filesHead());
        out.insert(out.end(), lines.begin(), lines.end());
        return out;
    };
    EXPECT_EQ(list(ResultList::Copied), withHead(c.copied));
    EXPECT_EQ(list(ResultList::NotCopied), withHead(c.notCopied));
    EXPECT_EQ(r.copied, static_cast<int>(c.copied.size()));
    const std::string question = std::make_error_code(std::errc::io_error).message() + kRetry;
    Lines expected(c.answers.size(), question);
    expected.push_back(counts(r.copied, r.notCopied));
    EXPECT_EQ(said(), expected);
    for (const std::string& line : c.notCopied)
        EXPECT_FALSE(fs::exists(onDisk(line.substr(0, 3)))) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ExportFailureTest,
    ::testing::Values(
        FailureCase{"RetryWorks", 1, {Answer::Yes}, {"AAA\tKund A", "BBB\tKund B"}, {}, 3},
        FailureCase{"RetryTwiceThenSkip",
                    3,
                    {Answer::Yes, Answer::Yes, Answer::No},
                    {"BBB\tKund B"},
                    {"AAA\tKund A"},
                    4},
        FailureCase{"Skip", 1, {Answer::No}, {"BBB\tKund B"}, {"AAA\tKund A"}, 2},
        FailureCase{"SkipAll", 1, {Answer::Cancel}, {}, {"AAA\tKund A", "BBB\tKund B"}, 1}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace loom
