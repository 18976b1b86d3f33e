// Feeds arbitrary bytes to the conversion loader as the one file of the folder and, when
// they make an entry, finds it and runs its program over a small image: nothing in a
// conversion file may read or write outside the buffers, and a program's work is bounded
// by its length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "conversion/ConversionList.h"
#include "fields/PromImage.h"
#include "platform/FileSystem.h"

namespace {

// A folder holding the fuzz input as its only conversion file; everything else fails.
class OneFileSystem final : public loom::FileSystem {
  public:
    explicit OneFileSystem(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::unique_ptr<loom::InputFile> openRead(const std::filesystem::path&, std::string&) override {
        return std::make_unique<Input>(bytes_);
    }
    std::unique_ptr<loom::OutputFile> replaceFile(const std::filesystem::path&,
                                                  std::string&) override {
        return nullptr;
    }
    std::unique_ptr<loom::LockedFile> openLocked(const std::filesystem::path&, loom::OpenMode,
                                                 std::string&) override {
        return nullptr;
    }
    std::vector<std::string> list(const std::filesystem::path&, std::string_view) override {
        return {"fuzz.cnv"};
    }
    bool exists(const std::filesystem::path&) override { return true; }
    bool remove(const std::filesystem::path&, std::string&) override { return false; }
    bool createFolder(const std::filesystem::path&) override { return false; }
    std::optional<std::int64_t> lastWriteTime(const std::filesystem::path&) override {
        return std::nullopt;
    }
    bool setLastWriteTime(const std::filesystem::path&, std::int64_t) override { return false; }

  private:
    class Input final : public loom::InputFile {
      public:
        explicit Input(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
        std::size_t read(std::span<std::uint8_t> out) override {
            const std::size_t n = std::min(out.size(), bytes_.size() - at_);
            std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), n, out.begin());
            at_ += n;
            return n;
        }
        bool failed() const override { return false; }
        std::uint64_t size() const override { return bytes_.size(); }

      private:
        std::span<const std::uint8_t> bytes_;
        std::size_t at_ = 0;
    };

    std::span<const std::uint8_t> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    OneFileSystem files(std::span<const std::uint8_t>(data, size));
    loom::ConversionList list;
    list.LoadConversions(files, "Convert");
    if (list.entries().empty()) return 0;
    const loom::ConversionEntry& entry = list.entries().front();
    if (list.FindConversion(entry.sourceModel, entry.targetModel) != &entry) std::abort();
    if (list.FindConversion(entry.sourceModel + "\x01", entry.targetModel) &&
        entry.sourceModel.size() < loom::ConversionList::kModelLength)
        std::abort();

    loom::PromImage image;
    const std::uint8_t sample[] = {0x47, 0x4C, 0x20, 0x32, 0x30, 0x30, 0x00, 0xFF,
                                   0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    for (std::uint32_t address : {0x0u, 0x100u, 0x7F0u, 0x1D000u, 0xFFFF8u, 0x100000u})
        image.write(address, sample);
    loom::ConversionList::Convert(image, entry);
    // What comes back lies below 1 MB, in blocks that are not all erased.
    for (const loom::PromBlock& block : image.blocks()) {
        if (block.address >= 0x100000) std::abort();
        if (std::all_of(block.data.begin(), block.data.end(),
                        [](std::uint8_t b) { return b == 0xFF; }))
            std::abort();
    }
    return 0;
}
