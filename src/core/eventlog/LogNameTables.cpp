#include "eventlog/LogNameTables.h"

#include "eventlog/PromText.h"

namespace loom {

std::string LogNameTables::textAt(std::uint64_t address) const {
    if (image_ == nullptr) return {};
    return ReadPromText(*image_, address);
}

std::string LogNameTables::areaName(unsigned area) const {
    return textAt(kAreaNames + (std::uint64_t{area} - 1) * 16);
}

std::string LogNameTables::unitText(unsigned line, unsigned unit, unsigned bit,
                                    unsigned half) const {
    return textAt(kUnitTexts + (std::uint64_t{line} << 12) + (std::uint64_t{unit} << 8) +
                  std::uint64_t{bit} * 16 + (std::uint64_t{half} << 7));
}

std::string LogNameTables::secondUnitText(unsigned line, unsigned unit, unsigned bit) const {
    return textAt(kSecondUnitTexts + (std::uint64_t{line} << 11) + (std::uint64_t{unit} << 7) +
                  std::uint64_t{bit} * 16);
}

}  // namespace loom
