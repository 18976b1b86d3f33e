#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <ctime>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "platform/FileSystem.h"
#include "support/FailingFileSystem.h"
#include "support/TempDir.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::FailingFileSystem;
using test::TempDir;
using Names = std::vector<std::string>;

Names namesIn(const fs::path& folder) {
    Names names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string contentOf(FileSystem& files, const fs::path& path) {
    std::string content, error;
    EXPECT_TRUE(files.readWhole(path, content, error)) << error;
    return content;
}

// Limits the size of files this process writes, for one scope (a full disk).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // report EFBIG instead of ending
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    void (*oldHandler_)(int);
};

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(LocalFileSystem, ReplaceIsAllOrNothing) {
    // Larger than one write chunk, so failures can hit the middle.
    const std::string fresh(40000, 'n');
    struct Case {
        const char* name;
        std::function<void(FailingFileSystem&)> arrange;
        bool replaced;
        bool strayTemporary;  // what a crashed writer leaves behind
    };
    const Case cases[] = {
        {"works", [](FailingFileSystem&) {}, true, false},
        {"short write", [](FailingFileSystem& f) { f.failWritesAfter(20000); }, false, false},
        {"commit fails", [](FailingFileSystem& f) { f.failCommit(); }, false, false},
        {"crash", [](FailingFileSystem& f) { f.crashAfter(20000); }, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        FailingFileSystem files;
        const fs::path target = dir.path("A.KQD");
        std::string error;
        ASSERT_TRUE(files.writeWhole(target, "old", error)) << error;
        c.arrange(files);
        {
            std::unique_ptr<OutputFile> out = files.replaceFile(target, error);
            ASSERT_TRUE(out) << error;
            bool ok = true;
            for (std::size_t at = 0; at < fresh.size(); at += 16384)
                ok = out->write(bytesOf(std::string_view(fresh).substr(at, 16384))) && ok;
            EXPECT_EQ(out->commit() && ok, c.replaced);
        }
        files.heal();
        EXPECT_EQ(contentOf(files, target), c.replaced ? fresh : "old");
        EXPECT_EQ(namesIn(dir.path("")).size(), c.strayTemporary ? 2u : 1u);
        // A stray temporary file neither blocks the next replace nor shows in listings.
        ASSERT_TRUE(files.writeWhole(target, "next", error)) << error;
        EXPECT_EQ(contentOf(files, target), "next");
        EXPECT_EQ(files.list(dir.path(""), ".kqd"), Names{"A.KQD"});
    }
}

// A held file is not opened twice and keeps its hold over a replace; a rewrite keeps the
// old file's permissions; a file over the reader's limit is not read.
TEST(LocalFileSystem, LockedFileIsHeldOverAReplaceAndKeepsPermissions) {
    TempDir dir;
    LocalFileSystem files;
    const fs::path path = dir.path("LOGIN.KEY");
    const fs::perms ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
    std::string error, content;
    auto held = files.openLocked(path, OpenMode::CreateIfAbsent, error);
    ASSERT_TRUE(held) << error;
    error.clear();
    EXPECT_FALSE(files.openLocked(path, OpenMode::Existing, error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(held->append("ab"));
    ASSERT_TRUE(held->append("cd"));
    fs::permissions(path, ownerOnly);
    ASSERT_TRUE(held->readAll(content, 4));
    EXPECT_EQ(content, "abcd");
    ASSERT_TRUE(held->replace("new"));
    EXPECT_FALSE(files.openLocked(path, OpenMode::Existing, error));
    held.reset();
    EXPECT_EQ(fs::status(path).permissions(), ownerOnly);
    ASSERT_TRUE(files.writeWhole(path, "0123456789", error));
    EXPECT_EQ(fs::status(path).permissions(), ownerOnly);
    EXPECT_TRUE(files.readWhole(path, content, error, 10));
    EXPECT_EQ(content, "0123456789");
    EXPECT_FALSE(files.readWhole(path, content, error, 9));
}

// An index file that is a symbolic link is read through it, but a change replaces the link
// by a file of its own; an append that cannot be completed leaves no part of itself.
TEST(LocalFileSystem, AppendsNeitherWriteThroughALinkNorLeaveAPart) {
    TempDir dir;
    LocalFileSystem files;
    std::string error, content;
    dir.write("elsewhere", {'A', '\n'});
    fs::create_symlink(dir.path("elsewhere"), dir.path("DATA.KQI"));
    auto held = files.openLocked(dir.path("DATA.KQI"), OpenMode::CreateIfAbsent, error);
    ASSERT_TRUE(held) << error;
    ASSERT_TRUE(held->append("B\n"));
    ASSERT_TRUE(held->readAll(content, 1 << 20));
    EXPECT_EQ(content, "A\nB\n");
    EXPECT_FALSE(fs::is_symlink(dir.path("DATA.KQI")));
    EXPECT_EQ(contentOf(files, dir.path("elsewhere")), "A\n");
    {
        const FileSizeLimit limit(content.size() + 5);
        EXPECT_FALSE(held->append("abcdefghij"));
    }
    ASSERT_TRUE(held->readAll(content, 1 << 20));
    EXPECT_EQ(content, "A\nB\n");
}

// Temporary files that interrupted saves left are removed at the first write into their
// folder once they are an hour old, unless a process still holds one.
TEST(LocalFileSystem, StaleTemporaryFilesAreSweptButNotOnesInUse) {
    TempDir dir;
    LocalFileSystem files;
    const std::int64_t old = static_cast<std::int64_t>(std::time(nullptr)) - 2 * 3600;
    const struct {
        const char* name;
        bool stale;
        bool kept;
    } cases[] = {{"A.KQD.tmp0123456789abcdef", true, false},
                 {"B.KQD.tmp0123456789abcdef", false, true},  // a save may be writing it
                 {"C.KQD.tmp0123456789abcdeX", true, true},   // not our naming
                 {"E.LOG.tmpfedcba9876543210", true, true}};  // held, below
    for (const auto& c : cases) {
        dir.write(c.name, {1, 2, 3});
        if (c.stale) {
            ASSERT_TRUE(files.setLastWriteTime(dir.path(c.name), old));
        }
    }
    const int holder = ::open(dir.path("E.LOG.tmpfedcba9876543210").c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    std::string error;
    ASSERT_TRUE(files.writeWhole(dir.path("F.KQD"), "new", error));
    ::close(holder);
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(dir.path(c.name)), c.kept) << c.name;
}

}  // namespace
}  // namespace loom
