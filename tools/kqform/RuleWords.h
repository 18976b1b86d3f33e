#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace loom::kqform {

// The source words for rule condition and action codes, both directions.
std::optional<std::uint32_t> conditionCode(std::string_view word);
std::optional<std::uint32_t> actionCode(std::string_view word);
std::string_view conditionWord(std::uint32_t code);  // empty when the code has no word
std::string_view actionWord(std::uint32_t code);

}  // namespace loom::kqform
