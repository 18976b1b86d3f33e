#pragma once

#include <cstdint>
#include <string>

namespace loom {

class PromImage;

// The names the installation keeps in its own PROM for the event log: the 64 area names
// and two tables of unit texts. Without an image every name is empty, so that decoding
// prints only the numbers.
class LogNameTables {
  public:
    static constexpr std::uint32_t kAreaNames = 0x1D000;
    static constexpr std::uint32_t kUnitTexts = 0x13000;
    static constexpr std::uint32_t kSecondUnitTexts = 0x1B000;

    explicit LogNameTables(const PromImage* image) : image_(image) {}

    bool available() const { return image_ != nullptr; }
    const PromImage* image() const { return image_; }
    // Area 1-64.
    std::string areaName(unsigned area) const;
    // Bit i (0-7) of unit u (0-15) on line l (0-3), half 0 or 1.
    std::string unitText(unsigned line, unsigned unit, unsigned bit, unsigned half) const;
    std::string secondUnitText(unsigned line, unsigned unit, unsigned bit) const;

  private:
    std::string textAt(std::uint64_t address) const;

    const PromImage* image_;
};

}  // namespace loom
