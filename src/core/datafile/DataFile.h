#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fields/FieldStore.h"

namespace loom {

class AppContext;

// One system's data file: magic, version, the system password it was saved under, its
// template's name and one record per value, enciphered with a fixed key stream and
// closed by a checksum. Each call opens, processes and closes the file; a write replaces
// the file only once the whole new content is on the disk.
class DataFile {
  public:
    // The key stream's seed. Every data file ever written depends on it: never change it.
    static constexpr std::uint32_t kKeySeed = 0x4B514441;
    static constexpr std::size_t kKeyLength = 128;
    static constexpr std::size_t kPasswordField = 128;  // password, 0x00, filler
    static constexpr std::size_t kMaxText = 699;
    static constexpr std::size_t kBufferSize = 16384;

    // The 128 key bytes: the low bytes of the first 128 values of PseudoRandom(kKeySeed).
    static const std::array<std::uint8_t, kKeyLength>& keyStream();

    // Messages, the label table, the clock (filler), the file system and the index come
    // from the context.
    explicit DataFile(AppContext& context);

    // Header only: the template name and the password recorded in the file.
    bool ReadHeader(const std::filesystem::path& path, std::string& templateName,
                    std::string& password, bool reportErrors);
    // The whole file into Store(); checks the checksum, builds the display name and
    // refills the label table.
    bool Read(const std::filesystem::path& path, bool reportErrors);
    // The whole file from `source`; on success the display name goes into DATA.KQI. A
    // failed write leaves the previous file as it was.
    bool Write(const std::filesystem::path& path, std::string_view templateName,
               std::string_view password, const FieldStore& source, bool reportErrors);

    FieldStore& Store() { return store_; }
    const FieldStore& Store() const { return store_; }
    std::string DisplayName() const { return displayName_; }
    // Clears `target`, then copies every record (address, size, type, flags, value).
    void CopyStoreTo(FieldStore& target) const;

    // With it set, Read also keeps every record as the file holds it, in file order and
    // with repeated addresses (the store keeps one record per address). For showing a
    // file as it is; off by default, since it doubles what a read holds.
    void keepFileOrder(bool on) { keepFileOrder_ = on; }
    const std::vector<FieldRecord>& recordsInFileOrder() const { return fileOrder_; }

    // The template name read by the last Read (empty before).
    const std::string& templateName() const { return templateName_; }

    // The file's title: its name without folder and from its first "." on.
    static std::string fileTitle(const std::filesystem::path& path);

  private:
    AppContext& context_;
    FieldStore store_;
    std::string displayName_;
    std::string templateName_;
    bool keepFileOrder_ = false;
    std::vector<FieldRecord> fileOrder_;
};

}  // namespace loom
