#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fields/FieldStore.h"

namespace loom {

class AppContext;
class OutputFile;

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

    // Messages, the label table, the clock (filler) and the file system come from the
    // context.
    explicit DataFile(AppContext& context);

    // Header only: the template name and the password recorded in the file.
    bool ReadHeader(const std::filesystem::path& path, std::string& templateName,
                    std::string& password, bool reportErrors);
    // The whole file into Store(); checks the checksum, builds the display name and
    // refills the label table.
    bool Read(const std::filesystem::path& path, bool reportErrors);
    // The whole file from `source`; on success DisplayName() is the written file's. A failed
    // write leaves the previous file as it was; its report gives the reason. The archive
    // saves its systems through SaveSystem, which also updates the index.
    bool Write(const std::filesystem::path& path, std::string_view templateName,
               std::string_view password, const FieldStore& source, bool reportErrors);
    // Write for a new file, which never replaces one: it is written once and takes the
    // first of the names nameFor(0), nameFor(1), ... (up to `names` of them, all in one
    // folder) that no file has, claimed in one step against any other writer. The path
    // taken; empty after a failure.
    std::filesystem::path WriteNew(const std::function<std::filesystem::path(int)>& nameFor,
                                   int names, std::string_view templateName,
                                   std::string_view password, const FieldStore& source,
                                   bool reportErrors);

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
    // Checks and writes the content to an output for `path`, ready to be committed; null
    // after a report. `indexedValues` gets the display name's part after the title.
    std::unique_ptr<OutputFile> writeOut(const std::filesystem::path& path,
                                         std::string_view templateName, std::string_view password,
                                         const FieldStore& source, bool reportErrors,
                                         std::string& indexedValues);
    void saved(const std::filesystem::path& path, std::string_view indexedValues);

    AppContext& context_;
    FieldStore store_;
    std::string displayName_;
    std::string templateName_;
    bool keepFileOrder_ = false;
    std::vector<FieldRecord> fileOrder_;
};

}  // namespace loom
