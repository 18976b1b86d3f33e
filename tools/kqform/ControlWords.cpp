#include "ControlWords.h"

#include <utility>

namespace loom::kqform {

namespace {

constexpr std::pair<std::string_view, TemplateTag> kKinds[] = {
    {"label", TemplateTag::Label},     {"frame", TemplateTag::Frame},
    {"button", TemplateTag::Button},   {"checkbox", TemplateTag::CheckBox},
    {"edit", TemplateTag::Edit},       {"choice", TemplateTag::Choice},
    {"option", TemplateTag::Option},   {"optiongroup", TemplateTag::OptionGroup},
    {"picture", TemplateTag::Picture},
};

}  // namespace

std::optional<TemplateTag> controlKind(std::string_view word) {
    for (const auto& [w, tag] : kKinds) {
        if (w == word) return tag;
    }
    return std::nullopt;
}

std::string_view kindWord(TemplateTag kind) {
    for (const auto& [w, tag] : kKinds) {
        if (tag == kind) return w;
    }
    return "control";
}

std::optional<std::uint32_t> flagWord(std::string_view word) {
    static constexpr std::pair<std::string_view, std::uint32_t> kFlags[] = {
        {"numbered", 0x1}, {"disabled", 0x2},   {"hidden", 0x4},
        {"noscroll", 0x8}, {"multiline", 0x10}, {"password", 0x200},
    };
    for (const auto& [w, bit] : kFlags) {
        if (w == word) return bit;
    }
    return std::nullopt;
}

}  // namespace loom::kqform
