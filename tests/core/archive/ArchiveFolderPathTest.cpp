#include <gtest/gtest.h>

#include <string>

#include "ArchiveHome.h"
#include "archive/Exporter.h"
#include "archive/Importer.h"
#include "archive/SearchResults.h"

namespace loom {
namespace {

namespace fs = std::filesystem;

class ArchiveFolderPathTest : public test::ArchiveCopyHome {};

// Folders go to the file system as the user named them, whatever their characters; the
// result lists' folder is the one the copy ran in, for a later export from the list.
TEST_F(ArchiveFolderPathTest, ImportAndExportWorkInFoldersOutsideTheCodePage) {
    for (const char* name : {"Ωμέγα", "disk åäö", "日本"}) {
        SCOPED_TRACE(name);
        const fs::path in = disk_ / fs::path(reinterpret_cast<const char8_t*>(name));
        const fs::path out = in.parent_path() / (in.filename().u8string() + u8" ut");
        fs::create_directories(in);
        fs::create_directories(out);
        writeOutside(in / "AAA.KQD", system("Kund A"), "sys", kNow - 300);

        Importer first(context_);
        first.folder = in;
        EXPECT_EQ(first.ok().copied, 1);
        EXPECT_TRUE(fs::exists(archived("AAA")));

        // The archive's copy is as new now: listed as not copied, under the import folder.
        Importer again(context_);
        again.folder = in;
        EXPECT_EQ(again.ok().notCopied, 1);
        EXPECT_EQ(context_.searchResults().folder(ResultList::NotCopied), in / "");

        ExportRequest request;
        request.selection = ExportSelection::FilesInList;
        request.chosenList = ResultList::NotCopied;
        request.folder = out;
        EXPECT_EQ(Exporter(context_, nullptr).ok(request).copied, 1);
        EXPECT_TRUE(fs::exists(out / "AAA.KQD"));
        fs::remove(archived("AAA"));
    }
    EXPECT_EQ(prompt_.unexpected, 0);
}

}  // namespace
}  // namespace loom
