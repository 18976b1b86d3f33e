#pragma once

// What the fuzz targets share: failures libFuzzer reports, files in memory, a program home.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Decompiler.h"
#include "SourceCompiler.h"
#include "SourceError.h"
#include "document/ProgramState.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"

namespace loom::fuzz {

using Bytes = std::vector<std::uint8_t>;
using Path = std::filesystem::path;

inline void check(bool condition) {
    if (!condition) std::abort();
}

// The fuzz input taken from the front; what runs out reads as zeros (or `missing`).
struct Input {
    std::span<const std::uint8_t> left;

    std::uint8_t byte(std::uint8_t missing = 0) {
        if (left.empty()) return missing;
        const std::uint8_t b = left[0];
        left = left.subspan(1);
        return b;
    }
    std::string_view text(std::size_t length) {
        const auto taken = left.first(std::min(length, left.size()));
        left = left.subspan(taken.size());
        return {reinterpret_cast<const char*>(taken.data()), taken.size()};
    }
    std::string_view rest() { return text(left.size()); }
    // A length byte and that many bytes.
    Bytes chunk() {
        const std::string_view t = text(byte());
        return {t.begin(), t.end()};
    }
};

// False when the template tool's decompiler refuses the template; what it accepts must
// compile back to exactly the same bytes.
inline bool roundTrips(std::span<const std::uint8_t> bytes) {
    std::string source;
    try {
        source = kqform::Decompiler::decompile(bytes);
    } catch (const kqform::TemplateRefused&) {
        return false;
    }
    try {
        const std::vector<std::uint8_t> again = kqform::SourceCompiler::compile(source);
        if (std::equal(again.begin(), again.end(), bytes.begin(), bytes.end())) return true;
        std::fprintf(stderr, "round trip changed the bytes:\n%s", source.c_str());
    } catch (const kqform::SourceError& e) {
        std::fprintf(stderr, "decompiled source does not compile: %d: %s\n%s", e.line(), e.what(),
                     source.c_str());
    }
    std::abort();
}

// Locked files (the index, LOGIN.KEY) open only with `lockedFiles` set (created when
// allowed); without it a save reports the index and goes on.
class MemoryFileSystem final : public FileSystem {
  public:
    std::map<Path, Bytes> files;
    bool lockedFiles = false;

    std::unique_ptr<InputFile> openRead(const Path& path, std::string& error) override {
        const auto found = files.find(path);
        if (found != files.end()) return std::make_unique<Input>(found->second);
        error = "missing";
        return nullptr;
    }
    std::unique_ptr<OutputFile> replaceFile(const Path& path, std::string&) override {
        return std::make_unique<Output>(*this, path);
    }
    std::unique_ptr<LockedFile> openLocked(const Path& path, OpenMode mode,
                                           std::string& error) override {
        if (lockedFiles && (mode != OpenMode::Existing || files.count(path)))
            return std::make_unique<Locked>(files[path]);
        error = "held";
        return nullptr;
    }
    // Exact extension match is enough here: the targets name their own files.
    std::vector<std::string> list(const Path& folder, std::string_view extension) override {
        std::vector<std::string> names;
        for (const auto& [path, bytes] : files)
            if (path.parent_path() == folder && path.extension() == extension)
                names.push_back(path.filename().string());
        return names;
    }
    bool exists(const Path& path) override { return files.count(path) != 0; }
    bool isDirectory(const Path&) override { return false; }
    bool remove(const Path& path, std::string&) override { return files.erase(path) != 0; }
    bool createFolder(const Path&) override { return true; }
    std::optional<std::int64_t> lastWriteTime(const Path&) override { return std::nullopt; }
    bool setLastWriteTime(const Path&, std::int64_t) override { return false; }

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
        const Bytes& bytes_;
        std::size_t at_ = 0;
    };
    class Output final : public OutputFile {
      public:
        Output(MemoryFileSystem& owner, Path target) : owner_(owner), target_(std::move(target)) {}
        bool write(std::span<const std::uint8_t> bytes) override {
            content_.insert(content_.end(), bytes.begin(), bytes.end());
            return true;
        }
        bool commit() override {
            owner_.files[target_] = content_;
            return true;
        }
        NewFileResult commitNew(const Path& target) override {
            return owner_.files.emplace(target, content_).second ? NewFileResult::Created
                                                                 : NewFileResult::NameTaken;
        }
        std::string error() const override { return {}; }
        MemoryFileSystem& owner_;
        Path target_;
        Bytes content_;
    };
};

// A program directory "home" in memory, a fixed clock and a prompt that answers nothing.
struct MemoryHome {
    SilentPrompt prompt;
    FixedClock clock{1'700'000'000};
    MemoryFileSystem files;
    ProgramState context{prompt};

    explicit MemoryHome(bool lockedFiles) {
        files.lockedFiles = lockedFiles;
        context.setFileSystem(files);
        context.setClock(clock);
        context.setProgramDirectory(ProgramDirectory("home"));
    }
};

}  // namespace loom::fuzz
