#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace loom {

class PromImage;

// What an empty PROM text shows.
inline constexpr std::string_view kNoPromText = "[ingen text]";

// A text field of the PROM in the panel's character set, as code page 1252: at most 16
// bytes, the panel's six Swedish letters mapped, erased bytes (0xFF) dropped, a zero byte
// ending the text as it ends every text of the program, trailing blanks removed; an empty
// result shows as "[ingen text]".
std::string PromTextToDisplay(std::span<const std::uint8_t> bytes);

// The PROM text of `length` bytes (at most 16) at `address` of the image. Addresses past
// the 32-bit PROM space read as erased, so a text computed from record bytes can point
// anywhere.
std::string ReadPromText(const PromImage& image, std::uint64_t address, std::size_t length = 16);

}  // namespace loom
