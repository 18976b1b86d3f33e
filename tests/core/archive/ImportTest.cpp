#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ArchiveHome.h"
#include "archive/Importer.h"
#include "datafile/LabelTable.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::Lines;

class ImportTest : public test::ArchiveCopyHome {
  protected:
    CopyRunResult importAll(bool replaceCustomerInfo = false) {
        Importer importer(context_);
        importer.folder = disk_;
        importer.replaceCustomerInfo = replaceCustomerInfo;
        return importer.ok();
    }
    // The file as the program reads it: template, password and every record.
    struct Content {
        std::string templateName, password;
        FieldStore store;
    };
    Content contentOf(const fs::path& path) {
        Content c;
        DataFile file(context_);
        EXPECT_TRUE(file.ReadHeader(path, c.templateName, c.password, false)) << path;
        EXPECT_TRUE(file.Read(path, false)) << path;
        c.store = file.Store();
        return c;
    }
    static std::string valueAt(const FieldStore& store, FieldAddress address) {
        const FieldRecord* r = store.find(address);
        return r ? r->value : "<none>";
    }
    std::string indexContent() const { return readText(dataIndex()); }
};

TEST_F(ImportTest, NewFilesAreCopiedOrRewrittenUnderTheSystemPasswordAndIndexed) {
    writeOutside(onDisk("AAA"), system("Kund A"), "sys", kNow - 300);
    FieldStore other = system("Kund B", "7");
    other.findOrCreate(kAddresslessBit | (10000u << 3)).value = "Garage";  // a label
    writeOutside(onDisk("BBB"), other, "fremd", kNow - 200);
    context_.labels().set(0, "Entré");
    Importer importer(context_);
    context_.setSystemPassword("changed later");  // the dialog's copy counts
    importer.folder = disk_;
    const CopyRunResult r = importer.ok();
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.copied, 2);
    EXPECT_EQ(context_.labels().text(0), "Entré");  // the open system's labels survive
    EXPECT_EQ(readText(archived("AAA")), readText(onDisk("AAA")));
    EXPECT_EQ(lastWrite(archived("AAA")), kNow - 300);
    const Content c = contentOf(archived("BBB"));
    EXPECT_EQ(c.password, "sys");
    EXPECT_EQ(c.templateName, "BETA 3000");
    EXPECT_EQ(valueAt(c.store, kCustomer), "Kund B");
    EXPECT_EQ(valueAt(c.store, kPromValue), "7");
    EXPECT_EQ(lastWrite(archived("BBB")), kNow - 200);
    EXPECT_EQ(sortedLines(indexContent()), (Lines{"AAA\tKund A", "BBB\tKund B"}));
    Lines copied = list(ResultList::Copied);
    std::sort(copied.begin() + 1, copied.end());
    EXPECT_EQ(copied, (Lines{filesHead(), "AAA\tKund A", "BBB\tKund B"}));
    EXPECT_TRUE(list(ResultList::NotCopied).empty());
    EXPECT_EQ(prompt_.texts(), (Lines{counts(2, 0)}));  // no password dialog, no message
}

TEST_F(ImportTest, ASameOrNewerArchivedFileStaysAndTheImportedOneIsListedAsNotCopied) {
    writeArchived("AAA", system("Arkiv A"), kNow - 100);
    writeArchived("BBB", system("Arkiv B"), kNow - 100);
    writeOutside(onDisk("AAA"), system("Disk A"), "sys", kNow - 100);
    writeOutside(onDisk("BBB"), system("Disk B"), "sys", kNow - 200);
    const std::string a = readText(archived("AAA"));
    const std::string b = readText(archived("BBB"));
    const CopyRunResult r = importAll();
    EXPECT_EQ(r.copied, 0);
    EXPECT_EQ(r.notCopied, 2);
    EXPECT_EQ(readText(archived("AAA")), a);
    EXPECT_EQ(readText(archived("BBB")), b);
    Lines notCopied = list(ResultList::NotCopied);
    ASSERT_EQ(notCopied.size(), 3u);
    EXPECT_EQ(notCopied[0], folderOf(disk_));
    std::sort(notCopied.begin() + 1, notCopied.end());
    EXPECT_EQ(notCopied, (Lines{folderOf(disk_), "AAA\tDisk A", "BBB\tDisk B"}));
    EXPECT_TRUE(list(ResultList::Copied).empty());
    EXPECT_EQ(indexContent(), "AAA\tArkiv A\r\nBBB\tArkiv B\r\n");
}

TEST_F(ImportTest, MergeKeepsTheArchivesCustomerInformationAndTakesThePanelValues) {
    FieldStore old = system("Arkivets kund", "1");
    old.findOrCreate(kPhone).value = "08-123";         // only in the archive
    old.findOrCreate(0x200u << 3).value = "only old";  // a PROM value only in the archive
    writeArchived("AAA", old, kNow - 1000, "old password");
    FieldStore fresh = system("Diskens kund", "2");
    fresh.findOrCreate(0x300u << 3).value = "new field";
    writeOutside(onDisk("AAA"), fresh, "fremd", kNow - 10);

    EXPECT_EQ(importAll().copied, 1);
    const Content c = contentOf(archived("AAA"));
    EXPECT_EQ(c.password, "sys");
    EXPECT_EQ(c.templateName, "BETA 3000");
    EXPECT_EQ(c.store.size(), 5u);
    EXPECT_EQ(valueAt(c.store, kCustomer), "Arkivets kund");
    EXPECT_EQ(valueAt(c.store, kPhone), "08-123");
    EXPECT_EQ(valueAt(c.store, kPromValue), "2");
    EXPECT_EQ(valueAt(c.store, 0x300u << 3), "new field");
    EXPECT_EQ(valueAt(c.store, 0x200u << 3), "only old");
    EXPECT_EQ(c.store.find(kCustomer)->flags, kFieldFlagDisplayName);
    EXPECT_EQ(lastWrite(archived("AAA")), kNow - 10);
    EXPECT_EQ(indexContent(), "AAA\tArkivets kund\r\n");
    EXPECT_EQ(list(ResultList::Copied), (Lines{filesHead(), "AAA\tArkivets kund"}));
}

TEST_F(ImportTest, ReplacingCustomerInformationTakesTheWholeImportedFile) {
    FieldStore old = system("Arkivets kund", "1");
    old.findOrCreate(kPhone).value = "08-123";
    writeArchived("AAA", old, kNow - 1000);
    writeOutside(onDisk("AAA"), system("Diskens kund", "2"), "sys", kNow - 10);
    EXPECT_EQ(importAll(true).copied, 1);
    EXPECT_EQ(readText(archived("AAA")), readText(onDisk("AAA")));
    EXPECT_EQ(indexContent(), "AAA\tDiskens kund\r\n");
}

TEST_F(ImportTest, AnArchivedFileThatCannotBeReadIsNotMergedOver) {
    writeArchived("AAA", system("Arkiv"), kNow - 1000);
    std::string damaged = readText(archived("AAA"));
    damaged.back() = static_cast<char>(damaged.back() ^ 1);  // the checksum
    writeText(archived("AAA"), damaged);
    ASSERT_TRUE(files_.disk().setLastWriteTime(archived("AAA"), kNow - 1000));
    writeOutside(onDisk("AAA"), system("Disk"), "sys", kNow - 10);
    const CopyRunResult r = importAll();
    EXPECT_EQ(r.copied, 0);
    EXPECT_EQ(r.notCopied, 1);
    EXPECT_EQ(readText(archived("AAA")), damaged);
}

TEST_F(ImportTest, UnreadableSourcesAreLeftOutSilently) {
    writeOutside(onDisk("AAA"), system("Kund A"), "sys", kNow - 300);
    writeText(onDisk("JUNK"), "not a data file at all");
    // A good header over a damaged body must not replace the archive's older copy either.
    writeArchived("BBB", system("Arkiv B"), kNow - 1000);
    const std::string archivedB = readText(archived("BBB"));
    writeOutside(onDisk("BBB"), system("Disk B"), "sys", kNow - 10);
    std::string damaged = readText(onDisk("BBB"));
    damaged.back() = static_cast<char>(damaged.back() ^ 1);
    writeText(onDisk("BBB"), damaged);
    ASSERT_TRUE(files_.disk().setLastWriteTime(onDisk("BBB"), kNow - 10));

    const CopyRunResult r = importAll();
    EXPECT_EQ(r.copied, 1);
    EXPECT_EQ(r.notCopied, 0);
    EXPECT_EQ(prompt_.texts(), (Lines{counts(1, 0)}));
    EXPECT_EQ(readText(archived("BBB")), archivedB);
    EXPECT_FALSE(fs::exists(archived("JUNK")));
    EXPECT_EQ(list(ResultList::Copied), (Lines{filesHead(), "AAA\tKund A"}));
    EXPECT_TRUE(list(ResultList::NotCopied).empty());
}

// A full disk: a file that cannot be written says which and why, is listed as not copied
// and counted as failed; the archive's copy stays.
TEST_F(ImportTest, FailedWritesAreReportedWithTheReasonAndCounted) {
    const struct {
        const char* name;
        const char* password;  // of the imported file
        bool archived;         // the archive holds an older copy
        bool replace;
    } cases[] = {{"byte copy", "sys", false, true},
                 {"rewrite under the system password", "fremd", false, true},
                 {"merge", "sys", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const fs::path& folder : {files(), disk_}) {
            fs::remove_all(folder);
            fs::create_directories(folder);
        }
        files_.heal();
        if (c.archived) writeArchived("AAA", system("Arkiv"), kNow - 1000);
        writeOutside(onDisk("AAA"), system("Disk"), c.password, kNow - 100);
        const std::string before = c.archived ? readText(archived("AAA")) : "";
        prompt_.entries.clear();
        files_.failWritesAfter(files_.bytesWritten());
        const CopyRunResult r = importAll(c.replace);
        EXPECT_EQ(r.copied, 0);
        EXPECT_EQ(r.notCopied, 1);
        EXPECT_EQ(r.failed, 1);
        EXPECT_EQ(prompt_.texts(),
                  (Lines{"Kan inte spara filen.\nfil: " + archived("AAA").string() +
                             "\nDet finns inget utrymme kvar på enheten.",
                         counts(0, 1)}));
        EXPECT_EQ(list(ResultList::NotCopied), (Lines{folderOf(disk_), "AAA\tDisk"}));
        EXPECT_EQ(c.archived ? readText(archived("AAA")) : "", before);
        EXPECT_EQ(fs::exists(archived("AAA")), c.archived);
    }
}

TEST_F(ImportTest, AMissingFolderChangesNothing) {
    list(ResultList::Copied) = {"/kept/", "ZZZ"};
    Importer importer(context_);
    importer.folder = temp_.path("nowhere");
    EXPECT_FALSE(importer.ok().ran);
    EXPECT_EQ(prompt_.texts(), (Lines{"Angiven katalog finns inte."}));
    EXPECT_EQ(list(ResultList::Copied), (Lines{"/kept/", "ZZZ"}));
}

}  // namespace
}  // namespace loom
