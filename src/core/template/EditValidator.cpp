#include "template/EditValidator.h"

namespace loom {

std::optional<std::int64_t> EditValidator::wholeNumber(std::string_view text) {
    bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    constexpr std::int64_t kSaturated = 1'000'000'000'000'000LL;
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        if (v < kSaturated) v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

bool EditValidator::acceptsTyping(std::string_view text) const {
    if (!InputFilter(filter_).accepts(text)) return false;
    if (limits_.maxChars && static_cast<std::int64_t>(text.size()) > *limits_.maxChars) {
        return false;
    }
    if (limits_.maxValue) {
        auto v = wholeNumber(text);
        if (v && *v > *limits_.maxValue) return false;
    }
    return true;
}

std::optional<EditCheckFailure> EditValidator::finalCheck(std::string_view text) const {
    const auto length = static_cast<std::int64_t>(text.size());
    if (limits_.maxChars && length > *limits_.maxChars) {
        return EditCheckFailure{MessageId::TooManyChars, *limits_.maxChars};
    }
    if (auto v = wholeNumber(text)) {
        if (limits_.maxValue && *v > *limits_.maxValue) {
            return EditCheckFailure{MessageId::ValueTooLarge, *limits_.maxValue};
        }
        if (limits_.minValue && *v < *limits_.minValue) {
            return EditCheckFailure{MessageId::ValueTooSmall, *limits_.minValue};
        }
    }
    if (limits_.minChars && length < *limits_.minChars) {
        return EditCheckFailure{MessageId::TooFewChars, *limits_.minChars};
    }
    return std::nullopt;
}

}  // namespace loom
