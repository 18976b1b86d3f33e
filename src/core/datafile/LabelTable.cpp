#include "datafile/LabelTable.h"

#include <utility>

namespace loom {
namespace {

constexpr std::uint32_t kFirstNumber = 10000;
constexpr std::uint32_t kStep = 25;

}  // namespace

void LabelTable::clear() {
    for (std::string& text : texts_)
        text.clear();
}

std::optional<std::size_t> LabelTable::indexFor(FieldAddress address) {
    if (!isAddressless(address) || bitOffset(address) != 0) return std::nullopt;
    const std::uint32_t number = byteAddress(address);
    if (number < kFirstNumber || number % kStep != 0) return std::nullopt;
    const std::size_t index = (number - kFirstNumber) / kStep;
    if (index >= kSize) return std::nullopt;
    return index;
}

void LabelTable::set(std::size_t index, std::string text) {
    if (index < kSize) texts_[index] = std::move(text);
}

const std::string& LabelTable::text(std::size_t index) const {
    static const std::string kEmpty;
    return index < kSize ? texts_[index] : kEmpty;
}

std::string LabelTable::nameOf(std::size_t index) const {
    const std::string& name = text(index);
    return name.empty() ? std::to_string(index) : name;
}

}  // namespace loom
