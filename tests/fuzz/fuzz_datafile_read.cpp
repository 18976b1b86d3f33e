// Feeds arbitrary bytes to the data file reader as the content of a data file: both the
// full read and the header read must refuse or accept without crashing, and whatever a
// full read accepts must save and read back to the same records.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Files in memory, so that the fuzzer is not bound by the disk. Locked files (the index)
// cannot be opened: a save then reports the index and goes on.
class MemoryFileSystem final : public loom::FileSystem {
  public:
    std::map<std::filesystem::path, Bytes> files;

    std::unique_ptr<loom::InputFile> openRead(const std::filesystem::path& path,
                                              std::string& error) override {
        const auto found = files.find(path);
        if (found == files.end()) {
            error = "missing";
            return nullptr;
        }
        return std::make_unique<Input>(found->second);
    }
    std::unique_ptr<loom::OutputFile> replaceFile(const std::filesystem::path& path,
                                                  std::string&) override {
        return std::make_unique<Output>(files[path]);
    }
    std::unique_ptr<loom::LockedFile> openLocked(const std::filesystem::path&, loom::OpenMode,
                                                 std::string& error) override {
        error = "held";
        return nullptr;
    }
    std::vector<std::string> list(const std::filesystem::path&, std::string_view) override {
        return {};
    }
    bool exists(const std::filesystem::path& path) override { return files.count(path) != 0; }
    bool remove(const std::filesystem::path& path, std::string&) override {
        return files.erase(path) != 0;
    }
    bool createFolder(const std::filesystem::path&) override { return true; }
    std::optional<std::int64_t> lastWriteTime(const std::filesystem::path&) override {
        return std::nullopt;
    }
    bool setLastWriteTime(const std::filesystem::path&, std::int64_t) override { return false; }

  private:
    // Hands out odd-sized pieces so that values and numbers straddle chunk ends.
    class Input final : public loom::InputFile {
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
    class Output final : public loom::OutputFile {
      public:
        explicit Output(Bytes& target) : target_(target) {}
        bool write(std::span<const std::uint8_t> bytes) override {
            content_.insert(content_.end(), bytes.begin(), bytes.end());
            return true;
        }
        bool commit() override {
            target_ = content_;
            return true;
        }

      private:
        Bytes& target_;
        Bytes content_;
    };
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    loom::SilentPrompt prompt;
    loom::FixedClock clock{1'700'000'000};
    MemoryFileSystem files;
    loom::AppContext context(prompt);
    context.setFileSystem(files);
    context.setClock(clock);
    const std::filesystem::path path = "FILES/A1B2C3D0.KQD";
    const std::filesystem::path copy = "FILES/COPY.KQD";
    files.files[path] = Bytes(data, data + size);

    loom::DataFile file(context);
    std::string templateName, password;
    const bool header = file.ReadHeader(path, templateName, password, true);
    if (!file.Read(path, true)) return 0;
    if (!header || templateName != file.templateName()) std::abort();

    // Whatever was read saves and reads back the same.
    if (!file.Write(copy, templateName, password, file.Store(), true)) std::abort();
    loom::DataFile again(context);
    std::string templateAgain, passwordAgain;
    if (!again.ReadHeader(copy, templateAgain, passwordAgain, false) ||
        templateAgain != templateName || passwordAgain != password)
        std::abort();
    if (!again.Read(copy, false) || again.Store().size() != file.Store().size()) std::abort();
    for (const loom::FieldRecord* record : file.Store().ordered()) {
        const loom::FieldRecord* back = again.Store().find(record->address);
        if (back == nullptr || !(*back == *record)) std::abort();
    }
    return 0;
}
