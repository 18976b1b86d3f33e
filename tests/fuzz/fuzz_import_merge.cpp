// Imports two arbitrary data files: the first into an archive that already holds the
// second under the same name, once merging and once replacing, and one more that is new
// to the archive. Whatever the bytes, the import must end, count each file at most once,
// and leave in the archive only files that read back whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/Importer.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "document/ProgramState.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"

#include "MemoryFileSystem.h"

using loom::fuzz::Bytes;
using loom::fuzz::MemoryFileSystem;

namespace {

// The memory file system with folders that exist, file times kept, and listing that does
// not mind the trailing separator the folder check adds.
class ImportFiles final : public loom::FileSystem {
  public:
    MemoryFileSystem memory;
    std::map<std::filesystem::path, std::int64_t> times;

    std::unique_ptr<loom::InputFile> openRead(const std::filesystem::path& path,
                                              std::string& error) override {
        return memory.openRead(path.lexically_normal(), error);
    }
    std::unique_ptr<loom::OutputFile> replaceFile(const std::filesystem::path& path,
                                                  std::string& error) override {
        return memory.replaceFile(path.lexically_normal(), error);
    }
    std::unique_ptr<loom::LockedFile> openLocked(const std::filesystem::path& path,
                                                 loom::OpenMode mode, std::string& error) override {
        return memory.openLocked(path.lexically_normal(), mode, error);
    }
    std::vector<std::string> list(const std::filesystem::path& folder,
                                  std::string_view extension) override {
        return memory.list(folder.lexically_normal().parent_path(), extension);
    }
    bool exists(const std::filesystem::path& path) override {
        return memory.exists(path.lexically_normal());
    }
    bool isDirectory(const std::filesystem::path&) override { return true; }
    bool remove(const std::filesystem::path& path, std::string& error) override {
        return memory.remove(path.lexically_normal(), error);
    }
    bool createFolder(const std::filesystem::path&) override { return true; }
    std::optional<std::int64_t> lastWriteTime(const std::filesystem::path& path) override {
        const auto found = times.find(path.lexically_normal());
        if (found == times.end()) return std::nullopt;
        return found->second;
    }
    bool setLastWriteTime(const std::filesystem::path& path, std::int64_t seconds) override {
        times[path.lexically_normal()] = seconds;
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t split = std::min<std::size_t>(size - 1, data[0] * 16u);
    const Bytes incoming(data + 1, data + 1 + split);
    const Bytes archived(data + 1 + split, data + size);

    for (const bool replace : {false, true}) {
        loom::SilentPrompt prompt;
        loom::FixedClock clock{1'700'000'000};
        ImportFiles files;
        files.memory.lockedFiles = true;
        loom::ProgramState context(prompt);
        context.setFileSystem(files);
        context.setClock(clock);
        context.setSystemPassword("sys");
        files.memory.files["DISK/AAA.KQD"] = incoming;
        files.memory.files["DISK/BBB.KQD"] = archived;
        files.memory.files["FILES/AAA.KQD"] = archived;
        files.times["DISK/AAA.KQD"] = 200;
        files.times["DISK/BBB.KQD"] = 200;
        files.times["FILES/AAA.KQD"] = 100;

        loom::Importer importer(context);
        importer.folder = "DISK";
        importer.replaceCustomerInfo = replace;
        const loom::CopyRunResult result = importer.ok();
        if (!result.ran || result.copied + result.notCopied > 2) std::abort();
        for (const char* name : {"FILES/AAA.KQD", "FILES/BBB.KQD"}) {
            if (files.memory.files.count(name) == 0) continue;
            const bool unchanged =
                name == std::string("FILES/AAA.KQD") && files.memory.files[name] == archived;
            loom::DataFile check(context);
            if (!unchanged && !check.Read(name, false)) std::abort();
        }
    }
    return 0;
}
