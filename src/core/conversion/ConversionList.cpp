#include "conversion/ConversionList.h"

#include <algorithm>
#include <array>

#include "common/Messages.h"
#include "conversion/ConversionBuffer.h"
#include "conversion/ConversionProgram.h"
#include "fields/PromBlock.h"
#include "fields/PromImage.h"
#include "fields/PromImageBuilder.h"
#include "platform/FileSystem.h"
#include "platform/ProgramDirectory.h"
#include "platform/UserPrompt.h"

namespace loom {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'c', 'n', 'v', 0};
constexpr std::size_t kBlankLength = 8;

std::uint32_t littleEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
           std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

// The zero-terminated text at `offset`; one that runs to the end of the area ends there.
std::string areaText(std::span<const std::uint8_t> area, std::uint32_t offset) {
    const auto begin = area.begin() + offset;
    const auto end = std::find(begin, area.end(), std::uint8_t{0});
    return std::string(begin, end);
}

}  // namespace

std::optional<ConversionEntry> ConversionList::parse(std::span<const std::uint8_t> bytes,
                                                     const std::filesystem::path& file) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    if (!std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) return std::nullopt;
    const std::uint32_t areaSize = littleEndian32(bytes, 4);
    if (areaSize > kMaxTextArea || bytes.size() - kHeaderSize < areaSize) return std::nullopt;
    const auto area = bytes.subspan(kHeaderSize, areaSize);

    const std::uint32_t sourceAt = littleEndian32(bytes, 8);
    const std::uint32_t source2At = littleEndian32(bytes, 12);
    const std::uint32_t targetAt = littleEndian32(bytes, 24);
    const std::uint32_t target2At = littleEndian32(bytes, 28);
    for (std::uint32_t offset : {sourceAt, source2At, targetAt, target2At})
        if (offset >= areaSize) return std::nullopt;

    ConversionEntry entry;
    entry.file = file;
    entry.sourceModel = areaText(area, sourceAt);
    entry.sourceText2 = areaText(area, source2At);
    entry.sourceNumber1 = littleEndian32(bytes, 16);
    entry.sourceNumber2 = littleEndian32(bytes, 20);
    entry.targetModel = areaText(area, targetAt);
    entry.targetText2 = areaText(area, target2At);
    entry.blankAddress = littleEndian32(bytes, 32);
    entry.productAddress = littleEndian32(bytes, 36);
    const auto program = bytes.subspan(kHeaderSize + areaSize);
    entry.program.assign(program.begin(), program.end());
    return entry;
}

void ConversionList::LoadConversions(FileSystem& files, const std::filesystem::path& folder) {
    for (const std::string& name : files.list(folder, ProgramDirectory::kConversionExtension)) {
        const std::filesystem::path path = folder / std::filesystem::path(name);
        std::string content, error;
        if (!files.readWhole(path, content, error, kMaxFileSize)) continue;
        const std::span<const std::uint8_t> bytes(
            reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
        if (std::optional<ConversionEntry> entry = parse(bytes, path))
            entries_.insert(entries_.begin(), std::move(*entry));  // the last loaded wins
    }
}

const ConversionEntry* ConversionList::FindConversion(std::string_view templateModel,
                                                      std::string_view panelModel) const {
    for (const ConversionEntry& entry : entries_) {
        if (modelOf(entry.sourceModel) == modelOf(templateModel) &&
            modelOf(entry.targetModel) == modelOf(panelModel))
            return &entry;
    }
    return nullptr;
}

bool ConversionList::CheckProductModel(std::string_view panelProduct, std::string_view templateName,
                                       PromImage& image, UserPrompt& prompt) const {
    const std::string_view panelModel = modelOf(panelProduct);
    const std::string_view templateModel = modelOf(templateName);
    if (panelModel == templateModel) return true;
    if (const ConversionEntry* entry = FindConversion(templateName, panelProduct)) {
        const Answer answer = prompt.ask(MessageId::ConvertQuestion, Buttons::YesNoCancel,
                                         MessageKind::Question, {panelModel, templateModel});
        if (answer != Answer::Yes) return false;
        Convert(image, *entry);
        return true;
    }
    prompt.show(MessageId::ModelMismatch, {panelProduct, templateName}, MessageKind::Warning);
    return false;
}

bool ConversionList::Convert(PromImage& image, const ConversionEntry& entry) {
    PromImageBuilder::writeProductText(image, entry.productAddress, entry.targetModel);

    ConversionBuffer source;
    for (const PromBlock& block : image.blocks())
        for (std::uint32_t i = 0; i < PromBlock::kSize; ++i)
            source.set(std::uint64_t{block.address} + i, block.data[i]);

    ConversionBuffer target;
    const bool ran = ConversionProgram::run(entry.program, source, target);
    ConversionBuffer& result = ran ? target : source;

    for (std::uint64_t i = 0; i < kBlankLength; ++i)
        result.set(std::uint64_t{entry.blankAddress} + i, ConversionBuffer::kErased);

    image.clear();
    for (const PromBlock& block : result.blocks())
        image.write(block.address, block.data);
    return ran;
}

}  // namespace loom
