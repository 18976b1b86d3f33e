#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace loom::kqform {

// Loads template bytes with the program's own loader, showing nothing and filling no
// tree. Nothing when the loader accepts them; otherwise its messages in UTF-8 on one
// line. `displayName` stands for the file in those messages.
std::optional<std::string> loaderRefusal(std::span<const std::uint8_t> bytes,
                                         const std::string& displayName);

}  // namespace loom::kqform
