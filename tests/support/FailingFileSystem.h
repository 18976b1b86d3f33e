#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace loom::test {

// The local disk, with operations that fail on demand (its files must not outlive it).
class FailingFileSystem final : public FileSystem {
  public:
    using Path = std::filesystem::path;

    // replaceFile() outputs fail once their total passes `bytes` (a short write).
    void failWritesAfter(std::uint64_t bytes) { writeLimit_ = bytes; }
    void failCommit(bool on = true) { failCommit_ = on; }
    void failOpenRead(const Path& path) { failedReads_.insert(path); }
    void failReplace(bool on = true) { failReplace_ = on; }
    void failAppend(bool on = true) { failAppend_ = on; }
    // The process "dies" after `bytes`, leaving its temporary file behind.
    void crashAfter(std::uint64_t bytes) { crashLimit_ = bytes; }
    std::function<void(const Path&)> beforeReplace;
    std::function<void(const Path&)> beforeCommitNew;
    // Back to a disk that works; the counters stay.
    void heal() {
        writeLimit_.reset();
        crashLimit_.reset();
        failCommit_ = failReplace_ = failAppend_ = false;
        failedReads_.clear();
    }

    int openReadCalls() const { return openReadCalls_; }
    int replaceFileCalls() const { return replaceFileCalls_; }
    int lockedReplaces() const { return lockedReplaces_; }
    // Bytes that reached temporary files through replaceFile() outputs.
    std::uint64_t bytesWritten() const { return bytesWritten_; }
    LocalFileSystem& disk() { return disk_; }

    std::unique_ptr<InputFile> openRead(const Path& path, std::string& error) override {
        ++openReadCalls_;
        if (!failedReads_.count(path)) return disk_.openRead(path, error);
        error = systemErrorText(EACCES);
        return nullptr;
    }
    std::unique_ptr<OutputFile> replaceFile(const Path& path, std::string& error) override {
        ++replaceFileCalls_;
        if (beforeReplace) beforeReplace(path);
        if (crashLimit_) return std::make_unique<CrashingOutput>(*this, path);
        std::unique_ptr<OutputFile> inner = disk_.replaceFile(path, error);
        return inner ? std::make_unique<Output>(*this, std::move(inner)) : nullptr;
    }
    std::unique_ptr<LockedFile> openLocked(const Path& path, OpenMode mode,
                                           std::string& error) override {
        std::unique_ptr<LockedFile> inner = disk_.openLocked(path, mode, error);
        return inner ? std::make_unique<Locked>(*this, std::move(inner)) : nullptr;
    }
    std::vector<std::string> list(const Path& folder, std::string_view extension) override {
        return disk_.list(folder, extension);
    }
    bool exists(const Path& path) override { return disk_.exists(path); }
    bool isDirectory(const Path& path) override { return disk_.isDirectory(path); }
    bool remove(const Path& path, std::string& error) override { return disk_.remove(path, error); }
    bool createFolder(const Path& path) override { return disk_.createFolder(path); }
    std::optional<std::int64_t> lastWriteTime(const Path& path) override {
        return disk_.lastWriteTime(path);
    }
    bool setLastWriteTime(const Path& path, std::int64_t seconds) override {
        return disk_.setLastWriteTime(path, seconds);
    }

  private:
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
            failed_ = allowed != bytes.size();  // poisons the real output too, as a disk would
            return !failed_;
        }
        bool commit() override { return !failed_ && !owner_.failCommit_ && inner_->commit(); }
        NewFileResult commitNew(const Path& target) override {
            if (failed_ || owner_.failCommit_) return NewFileResult::Failed;
            if (owner_.beforeCommitNew) owner_.beforeCommitNew(target);
            return inner_->commitNew(target);
        }
        // A refused write or commit is a full disk.
        std::string error() const override {
            return failed_ || owner_.failCommit_ ? systemErrorText(ENOSPC) : inner_->error();
        }
        FailingFileSystem& owner_;
        std::unique_ptr<OutputFile> inner_;
        bool failed_ = false;
    };

    // A partly written temporary file beside the target, named as the real ones are.
    class CrashingOutput final : public OutputFile {
      public:
        CrashingOutput(FailingFileSystem& owner, const Path& target) : owner_(owner) {
            char suffix[24];
            std::snprintf(
                suffix, sizeof suffix, ".tmp%016llx",
                static_cast<unsigned long long>(std::mt19937_64(std::random_device{}())()));
            out_.open(target.string() + suffix, std::ios::binary);
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
        NewFileResult commitNew(const Path&) override { return NewFileResult::Failed; }
        std::string error() const override { return systemErrorText(EIO); }
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
        FailingFileSystem& owner_;
        std::unique_ptr<LockedFile> inner_;
    };

    LocalFileSystem disk_;
    std::optional<std::uint64_t> writeLimit_, crashLimit_;
    std::set<std::filesystem::path> failedReads_;
    bool failCommit_ = false, failReplace_ = false, failAppend_ = false;
    int openReadCalls_ = 0, replaceFileCalls_ = 0, lockedReplaces_ = 0;
    std::uint64_t bytesWritten_ = 0;
};

}  // namespace loom::test
