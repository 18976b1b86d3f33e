#include "RuleWords.h"

#include <array>
#include <utility>

namespace loom::kqform {
namespace {

using Entry = std::pair<std::uint32_t, std::string_view>;

constexpr std::array<Entry, 18> kConditions = {{
    {42, "layout"},
    {43, "focus"},
    {44, "blur"},
    {45, "shown"},
    {46, "hidden"},
    {47, "enabled"},
    {48, "disabled"},
    {49, "clicked"},
    {50, "rightclicked"},
    {51, "entered"},
    {52, "textset"},
    {53, "entered-value"},
    {54, "entered-text"},
    {55, "entered-is"},
    {56, "textset-value"},
    {57, "textset-text"},
    {58, "textset-is"},
    {59, "signal"},
}};

constexpr std::array<Entry, 15> kActions = {{
    {60, "show"},
    {61, "hide"},
    {62, "enable"},
    {63, "disable"},
    {64, "focus"},
    {65, "settext"},
    {66, "settext-value"},
    {67, "settext-text"},
    {68, "enter"},
    {69, "enter-value"},
    {70, "enter-text"},
    {71, "message"},
    {72, "raise"},
    {73, "enablepage"},
    {74, "disablepage"},
}};

template <std::size_t N>
std::optional<std::uint32_t> codeOf(const std::array<Entry, N>& table, std::string_view word) {
    for (const auto& [code, w] : table) {
        if (w == word) return code;
    }
    return std::nullopt;
}

template <std::size_t N>
std::string_view wordOf(const std::array<Entry, N>& table, std::uint32_t code) {
    for (const auto& [c, word] : table) {
        if (c == code) return word;
    }
    return {};
}

}  // namespace

std::optional<std::uint32_t> conditionCode(std::string_view word) {
    return codeOf(kConditions, word);
}
std::optional<std::uint32_t> actionCode(std::string_view word) {
    return codeOf(kActions, word);
}
std::string_view conditionWord(std::uint32_t code) {
    return wordOf(kConditions, code);
}
std::string_view actionWord(std::uint32_t code) {
    return wordOf(kActions, code);
}

}  // namespace loom::kqform
