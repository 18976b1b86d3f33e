#include "archive/NewDataFile.h"

#include <gtest/gtest.h>

#include "ArchiveHome.h"
#include "archive/FileId.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::Lines;

class NewDataFileTest : public test::ArchiveHome {
  protected:
    fs::path saveNew(const std::string& customer) {
        return SaveNewDataFile(context_, MakeFileId(kNow, 'T'), "ALFA 2000", "",
                               system(utf8ToCp1252(customer)), true);
    }
    std::string customerIn(const fs::path& path) {
        DataFile file(context_);
        EXPECT_TRUE(file.Read(path, true)) << path;
        const FieldRecord* r = file.Store().find(kCustomer);
        return r ? cp1252ToUtf8(r->value) : "<none>";
    }
};

// Two saves of new systems given one name within a second: the one that creates its file
// first keeps the name, the other takes the next free second's; neither replaces a file.
TEST_F(NewDataFileTest, OverlappingNewSystemsBothKeepTheirFiles) {
    const fs::path taken = archived(MakeFileId(kNow + 1, 'T'));  // another computer's, say
    writeText(taken, "not ours");
    fs::path second;
    bool hold = true;
    files_.beforeCommitNew = [&](const fs::path&) {
        if (!std::exchange(hold, false)) return;
        second = saveNew("Andra");  // runs while the first holds its finished content
    };
    const fs::path first = saveNew("Första");

    EXPECT_EQ(second, archived(MakeFileId(kNow, 'T')));
    EXPECT_EQ(first, archived(MakeFileId(kNow + 2, 'T')));
    EXPECT_EQ(customerIn(second), "Andra");
    EXPECT_EQ(customerIn(first), "Första");
    EXPECT_EQ(readText(taken), "not ours");
    EXPECT_EQ(sortedLines(readText(dataIndex())),
              (Lines{MakeFileId(kNow, 'T') + "\tAndra", MakeFileId(kNow + 2, 'T') + "\tFörsta"}));
    EXPECT_TRUE(prompt_.entries.empty());
}

}  // namespace
}  // namespace loom
