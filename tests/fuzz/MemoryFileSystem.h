#pragma once

// Files in memory for the fuzz targets, so that they are not bound by the disk. Locked
// files (the index, LOGIN.KEY) cannot be opened unless `lockedFiles` is set: a save then
// reports the index and goes on.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace loom::fuzz {

using Bytes = std::vector<std::uint8_t>;

class MemoryFileSystem final : public FileSystem {
  public:
    std::map<std::filesystem::path, Bytes> files;
    // Lets openLocked() hand out the files above (created empty when absent and allowed).
    bool lockedFiles = false;

    std::unique_ptr<InputFile> openRead(const std::filesystem::path& path,
                                        std::string& error) override {
        const auto found = files.find(path);
        if (found != files.end()) return std::make_unique<Input>(found->second);
        error = "missing";
        return nullptr;
    }
    std::unique_ptr<OutputFile> replaceFile(const std::filesystem::path& path,
                                            std::string&) override {
        return std::make_unique<Output>(*this, path);
    }
    std::unique_ptr<LockedFile> openLocked(const std::filesystem::path& path, OpenMode mode,
                                           std::string& error) override {
        if (!lockedFiles || (mode == OpenMode::Existing && files.count(path) == 0)) {
            error = "held";
            return nullptr;
        }
        return std::make_unique<Locked>(files[path]);
    }
    // Exact extension match is enough here: the targets name their own files.
    std::vector<std::string> list(const std::filesystem::path& folder,
                                  std::string_view extension) override {
        std::vector<std::string> names;
        for (const auto& [path, bytes] : files)
            if (path.parent_path() == folder && path.extension() == extension)
                names.push_back(path.filename().string());
        return names;
    }
    bool exists(const std::filesystem::path& path) override { return files.count(path) != 0; }
    bool isDirectory(const std::filesystem::path&) override { return false; }
    bool remove(const std::filesystem::path& path, std::string&) override {
        return files.erase(path) != 0;
    }
    bool createFolder(const std::filesystem::path&) override { return true; }
    std::optional<std::int64_t> lastWriteTime(const std::filesystem::path&) override {
        return std::nullopt;
    }
    bool setLastWriteTime(const std::filesystem::path&, std::int64_t) override { return false; }

  private:
    class Locked final : public LockedFile {
      public:
        explicit Locked(Bytes& bytes) : bytes_(bytes) {}
        bool readAll(std::string& content, std::uint64_t limit) override {
            if (bytes_.size() > limit) return false;
            content.assign(bytes_.begin(), bytes_.end());
            return true;
        }
        bool append(std::string_view bytes) override {
            bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
            return true;
        }
        bool replace(std::string_view content) override {
            bytes_.assign(content.begin(), content.end());
            return true;
        }
        std::string error() const override { return {}; }

      private:
        Bytes& bytes_;
    };
    // Hands out odd-sized pieces so that values and numbers straddle chunk ends.
    class Input final : public InputFile {
      public:
        explicit Input(const Bytes& bytes) : bytes_(bytes) {}
        std::size_t read(std::span<std::uint8_t> out) override {
            const std::size_t n = std::min({out.size(), bytes_.size() - at_, std::size_t{4093}});
            std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), n, out.begin());
            at_ += n;
            return n;
        }
        bool failed() const override { return false; }
        std::uint64_t size() const override { return bytes_.size(); }

      private:
        const Bytes& bytes_;
        std::size_t at_ = 0;
    };
    class Output final : public OutputFile {
      public:
        Output(MemoryFileSystem& owner, std::filesystem::path target)
            : owner_(owner), target_(std::move(target)) {}
        bool write(std::span<const std::uint8_t> bytes) override {
            content_.insert(content_.end(), bytes.begin(), bytes.end());
            return true;
        }
        bool commit() override {
            owner_.files[target_] = content_;
            return true;
        }
        NewFileResult commitNew(const std::filesystem::path& target) override {
            if (!owner_.files.emplace(target, content_).second) return NewFileResult::NameTaken;
            return NewFileResult::Created;
        }
        std::string error() const override { return {}; }

      private:
        MemoryFileSystem& owner_;
        std::filesystem::path target_;
        Bytes content_;
    };
};

}  // namespace loom::fuzz
