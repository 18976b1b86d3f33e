#include "fields/PromImageBuilder.h"

#include <array>
#include <string>
#include <vector>

#include "fields/FieldCodec.h"

namespace loom {

void PromImageBuilder::addFields(const FieldStore& store, PromImage& image) {
    store.forEach([&image](const FieldRecord& r) {
        if (!isAddressless(r.address))
            FieldCodec::encode(r.type, r.value, r.address, r.size, image);
    });
}

PromImage PromImageBuilder::build(const FieldStore& store) {
    PromImage image;
    addFields(store, image);
    return image;
}

void PromImageBuilder::writeText8(PromImage& image, std::int64_t address, std::string_view text) {
    if (address < 0 || address > 0xFFFFFFFF) return;
    std::array<std::uint8_t, 8> bytes;
    bytes.fill(0x20);
    for (std::size_t i = 0; i < bytes.size() && i < text.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(text[i]);
    image.write(static_cast<std::uint32_t>(address), bytes);
}

void PromImageBuilder::writeProductText(PromImage& image, std::int64_t address,
                                        std::string_view productText) {
    writeText8(image, address, productText.size() > 8 ? productText.substr(8) : std::string_view());
}

std::size_t PromImageBuilder::fillStore(FieldStore& store, const PromImage& image) {
    std::vector<FieldAddress> addressless;
    std::size_t changed = 0;
    std::string text;
    for (FieldRecord* r : store.ordered()) {
        if (isAddressless(r->address)) {
            addressless.push_back(r->address);
            continue;
        }
        if (FieldCodec::decode(r->type, r->address, r->size, image, text) != CodecResult::Ok)
            continue;
        if (text != r->value) {
            r->value = text;
            ++changed;
        }
    }
    for (FieldAddress a : addressless)
        store.remove(a);
    return changed;
}

}  // namespace loom
