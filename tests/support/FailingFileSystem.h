#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace loom::test {

// The local disk, with operations that fail on demand, for tests of what the program does
// when the disk lets it down. Files it hands out must not outlive it.
class FailingFileSystem final : public FileSystem {
  public:
    // Writes through replaceFile() outputs fail once their total would pass `bytes`; the
    // bytes up to the limit still reach the temporary file, as with a real short write.
    void failWritesAfter(std::uint64_t bytes) { writeLimit_ = bytes; }
    void failCommit(bool on = true) { failCommit_ = on; }
    // Every openRead(), or openRead() of one path.
    void failOpenRead() { failAllReads_ = true; }
    void failOpenRead(const std::filesystem::path& path) { failedReads_.insert(path); }
    // openLocked() fails as if another program held the file.
    void failLocked(bool on = true) { failLocked_ = on; }
    // LockedFile::replace() and LockedFile::append() fail (the file stays as it was).
    void failReplace(bool on = true) { failReplace_ = on; }
    void failAppend(bool on = true) { failAppend_ = on; }
    // The process "dies" while writing a replaceFile() output: bytes past `bytes` (counted
    // over all outputs) never reach the disk, commit() does nothing and the temporary file
    // stays behind.
    void crashAfter(std::uint64_t bytes) { crashLimit_ = bytes; }
    // Called at the start of every replaceFile(), e.g. to arm a failure for one file.
    std::function<void(const std::filesystem::path&)> beforeReplace;
    // Called with the name an output is about to take in commitNew(): another writer can
    // take it meanwhile.
    std::function<void(const std::filesystem::path&)> beforeCommitNew;
    // Back to a disk that works; the counters stay.
    void heal() {
        writeLimit_.reset();
        crashLimit_.reset();
        failCommit_ = failAllReads_ = failLocked_ = failReplace_ = failAppend_ = false;
        failedReads_.clear();
    }

    int openReadCalls() const { return openReadCalls_; }
    int replaceFileCalls() const { return replaceFileCalls_; }
    int commits() const { return commits_; }
    int openLockedCalls() const { return openLockedCalls_; }
    int lockedReplaces() const { return lockedReplaces_; }
    // Bytes that reached temporary files through replaceFile() outputs.
    std::uint64_t bytesWritten() const { return bytesWritten_; }

    LocalFileSystem& disk() { return disk_; }

    std::unique_ptr<InputFile> openRead(const std::filesystem::path& path,
                                        std::string& error) override {
        ++openReadCalls_;
        if (failAllReads_ || failedReads_.count(path)) {
            error = systemErrorText(EACCES);
            return nullptr;
        }
        return disk_.openRead(path, error);
    }

    std::unique_ptr<OutputFile> replaceFile(const std::filesystem::path& path,
                                            std::string& error) override {
        ++replaceFileCalls_;
        if (beforeReplace) beforeReplace(path);
        if (crashLimit_) return std::make_unique<CrashingOutput>(*this, path);
        std::unique_ptr<OutputFile> inner = disk_.replaceFile(path, error);
        if (!inner) return nullptr;
        return std::make_unique<Output>(*this, std::move(inner));
    }

    std::unique_ptr<LockedFile> openLocked(const std::filesystem::path& path, OpenMode mode,
                                           std::string& error) override {
        ++openLockedCalls_;
        if (failLocked_) {
            error = systemErrorText(EAGAIN);
            return nullptr;
        }
        std::unique_ptr<LockedFile> inner = disk_.openLocked(path, mode, error);
        if (!inner) return nullptr;
        return std::make_unique<Locked>(*this, std::move(inner));
    }

    std::vector<std::string> list(const std::filesystem::path& folder,
                                  std::string_view extension) override {
        return disk_.list(folder, extension);
    }
    bool exists(const std::filesystem::path& path) override { return disk_.exists(path); }
    bool isDirectory(const std::filesystem::path& path) override { return disk_.isDirectory(path); }
    bool remove(const std::filesystem::path& path, std::string& error) override {
        return disk_.remove(path, error);
    }
    bool createFolder(const std::filesystem::path& path) override {
        return disk_.createFolder(path);
    }
    std::optional<std::int64_t> lastWriteTime(const std::filesystem::path& path) override {
        return disk_.lastWriteTime(path);
    }
    bool setLastWriteTime(const std::filesystem::path& path, std::int64_t seconds) override {
        return disk_.setLastWriteTime(path, seconds);
    }

  private:
    // How many of `size` bytes may still be written before `limit` (none: all of them).
    std::size_t allowance(const std::optional<std::uint64_t>& limit, std::size_t size) const {
        if (!limit) return size;
        if (bytesWritten_ >= *limit) return 0;
        return static_cast<std::size_t>(std::min<std::uint64_t>(size, *limit - bytesWritten_));
    }

    class Output final : public OutputFile {
      public:
        Output(FailingFileSystem& owner, std::unique_ptr<OutputFile> inner)
            : owner_(owner), inner_(std::move(inner)) {}
        bool write(std::span<const std::uint8_t> bytes) override {
            if (failed_) return false;
            const std::size_t allowed = owner_.allowance(owner_.writeLimit_, bytes.size());
            if (allowed > 0 && !inner_->write(bytes.first(allowed))) return false;
            owner_.bytesWritten_ += allowed;
            if (allowed == bytes.size()) return true;
            // A failed write poisons the real output too, as the disk would.
            failed_ = true;
            return false;
        }
        bool commit() override {
            if (failed_ || owner_.failCommit_) return false;
            if (!inner_->commit()) return false;
            ++owner_.commits_;
            return true;
        }
        NewFileResult commitNew(const std::filesystem::path& target) override {
            if (failed_ || owner_.failCommit_) return NewFileResult::Failed;
            if (owner_.beforeCommitNew) owner_.beforeCommitNew(target);
            const NewFileResult result = inner_->commitNew(target);
            if (result == NewFileResult::Created) ++owner_.commits_;
            return result;
        }
        // A refused write or commit is a full disk.
        std::string error() const override {
            return failed_ || owner_.failCommit_ ? systemErrorText(ENOSPC) : inner_->error();
        }

      private:
        FailingFileSystem& owner_;
        std::unique_ptr<OutputFile> inner_;
        bool failed_ = false;
    };

    // Leaves what a crashed writer leaves: a partly written temporary file beside the
    // target, named as the real ones are.
    class CrashingOutput final : public OutputFile {
      public:
        CrashingOutput(FailingFileSystem& owner, const std::filesystem::path& target)
            : owner_(owner) {
            std::mt19937_64 random(std::random_device{}());
            std::uint64_t bits = random();
            std::string suffix = ".tmp";
            for (int i = 0; i < 16; ++i, bits >>= 4)
                suffix.push_back("0123456789abcdef"[bits & 0xF]);
            std::filesystem::path temporary = target;
            temporary += suffix;
            out_.open(temporary, std::ios::binary);
        }
        bool write(std::span<const std::uint8_t> bytes) override {
            const std::size_t allowed = owner_.allowance(owner_.crashLimit_, bytes.size());
            out_.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(allowed));
            out_.flush();
            owner_.bytesWritten_ += allowed;
            return allowed == bytes.size();
        }
        bool commit() override { return false; }
        NewFileResult commitNew(const std::filesystem::path&) override {
            return NewFileResult::Failed;
        }
        std::string error() const override { return systemErrorText(EIO); }

      private:
        FailingFileSystem& owner_;
        std::ofstream out_;
    };

    class Locked final : public LockedFile {
      public:
        Locked(FailingFileSystem& owner, std::unique_ptr<LockedFile> inner)
            : owner_(owner), inner_(std::move(inner)) {}
        bool readAll(std::string& content, std::uint64_t limit) override {
            return inner_->readAll(content, limit);
        }
        bool readChunks(const std::function<bool(std::string_view)>& sink,
                        std::uint64_t limit) override {
            return inner_->readChunks(sink, limit);
        }
        bool append(std::string_view bytes) override {
            return !owner_.failAppend_ && inner_->append(bytes);
        }
        bool replace(std::string_view content) override {
            if (owner_.failReplace_) return false;
            ++owner_.lockedReplaces_;
            return inner_->replace(content);
        }
        std::string error() const override {
            return owner_.failAppend_ || owner_.failReplace_ ? systemErrorText(ENOSPC)
                                                             : inner_->error();
        }

      private:
        FailingFileSystem& owner_;
        std::unique_ptr<LockedFile> inner_;
    };

    LocalFileSystem disk_;
    std::optional<std::uint64_t> writeLimit_;
    std::optional<std::uint64_t> crashLimit_;
    bool failCommit_ = false;
    bool failAllReads_ = false;
    std::set<std::filesystem::path> failedReads_;
    bool failLocked_ = false;
    bool failReplace_ = false;
    bool failAppend_ = false;

    int openReadCalls_ = 0;
    int replaceFileCalls_ = 0;
    int commits_ = 0;
    int openLockedCalls_ = 0;
    int lockedReplaces_ = 0;
    std::uint64_t bytesWritten_ = 0;
};

}  // namespace loom::test
