#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

class FileSystem;
class PromImage;
class UserPrompt;

// One loaded conversion file: which model's images it converts into which, and its
// conversion program (the bytes after the text area).
struct ConversionEntry {
    std::filesystem::path file;
    std::string sourceModel;
    std::string sourceText2;
    std::uint32_t sourceNumber1 = 0;
    std::uint32_t sourceNumber2 = 0;
    std::string targetModel;
    std::string targetText2;
    std::uint32_t blankAddress = 0;
    std::uint32_t productAddress = 0;
    std::vector<std::uint8_t> program;
};

// The conversions between product models, loaded once at start-up from Convert/*.cnv.
class ConversionList {
  public:
    static constexpr std::size_t kHeaderSize = 40;
    static constexpr std::uint32_t kMaxTextArea = 512;
    static constexpr std::size_t kModelLength = 13;  // models compare on this many characters
    // The model part of a product or template name: its first kModelLength characters.
    static std::string_view modelOf(std::string_view name) { return name.substr(0, kModelLength); }
    // A larger file is not a conversion file; it is skipped without being read.
    static constexpr std::uint64_t kMaxFileSize = std::uint64_t{16} << 20;

    // Every readable, well-formed file of `folder`, each put at the front of the list.
    // Malformed files are skipped without a word; a missing folder loads nothing.
    void LoadConversions(FileSystem& files, const std::filesystem::path& folder);
    void FreeConversions() { entries_.clear(); }
    const ConversionEntry* FindConversion(std::string_view templateModel,
                                          std::string_view panelModel) const;
    // Before a write: true when the models agree on 13 characters, or a conversion exists
    // and the user agrees (the image is converted then). Otherwise message 79 or a refused
    // question, and false.
    bool CheckProductModel(std::string_view panelProduct, std::string_view templateName,
                           PromImage& image, UserPrompt& prompt) const;
    // Returns whether the conversion program ran to its end; the product text, the blank
    // area and the copy back are done either way.
    static bool Convert(PromImage& image, const ConversionEntry& entry);

    // One file's entry from its bytes, or nothing when it is malformed.
    static std::optional<ConversionEntry> parse(std::span<const std::uint8_t> bytes,
                                                const std::filesystem::path& file);

    const std::vector<ConversionEntry>& entries() const { return entries_; }

  private:
    std::vector<ConversionEntry> entries_;  // the last loaded first
};

}  // namespace loom
