#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "template/TemplateItems.h"

namespace loom::kqform {

// The source words for control kinds and control flags.
std::optional<TemplateTag> controlKind(std::string_view word);
std::string_view kindWord(TemplateTag kind);  // "control" for a tag without a word
std::optional<std::uint32_t> flagWord(std::string_view word);

}  // namespace loom::kqform
