#include "template/TemplateWriter.h"

#include <numeric>
#include <utility>

namespace loom {
namespace {

constexpr std::string_view kMagic{"<KQ_FORM>\0", 10};

std::uint8_t tagByte(TemplateTag tag) {
    return static_cast<std::uint8_t>(tag);
}

}  // namespace

TemplateWriter& TemplateWriter::header(std::string_view name, std::string_view title,
                                       std::uint8_t version) {
    rawBytes(kMagic);
    rawByte(version);
    rawText(name);
    return rawText(title);
}

TemplateWriter& TemplateWriter::group(std::string_view name) {
    rawByte(tagByte(TemplateTag::Group));
    return rawText(name);
}

TemplateWriter& TemplateWriter::groupEnd() {
    return rawByte(tagByte(TemplateTag::GroupEnd));
}

TemplateWriter& TemplateWriter::page(std::string_view name) {
    rawByte(tagByte(TemplateTag::Page));
    return rawText(name);
}

TemplateWriter& TemplateWriter::control(const RawControl& c) {
    rawByte(tagByte(c.tag));
    rawText(c.text);
    if (c.tag != TemplateTag::OptionGroup) {
        rawInt(c.rect.x);
        rawInt(c.rect.y);
        rawInt(c.rect.width);
        rawInt(c.rect.height);
    }
    rawInt(c.flags);
    if (isDataControl(c.tag)) {
        rawInt(c.field.address);
        rawInt(c.field.size);
        rawInt(c.field.type);
        rawInt(c.field.flags);
        rawText(c.field.defaultValue);
    }
    switch (c.tag) {
        case TemplateTag::CheckBox:
            rawText(c.onChar);
            rawText(c.offChar);
            break;
        case TemplateTag::Edit:
            rawInt(c.filter);
            rawInt(c.maxChars);
            rawInt(c.minChars);
            rawInt(c.maxValue);
            rawInt(c.minValue);
            break;
        case TemplateTag::Choice:
            rawInt(c.valueList);
            break;
        case TemplateTag::Option:
            rawText(c.optionValue);
            rawInt(c.optionGroup);
            break;
        default:
            break;
    }
    return *this;
}

TemplateWriter& TemplateWriter::valueList(const RawValueList& list) {
    rawByte(tagByte(TemplateTag::ValueList));
    rawInt(static_cast<std::uint32_t>(list.size()));
    for (const auto& [shown, stored] : list) {
        rawText(shown);
        rawText(stored);
    }
    return *this;
}

TemplateWriter& TemplateWriter::caption(std::string_view text) {
    rawByte(tagByte(TemplateTag::Caption));
    return rawText(text);
}

TemplateWriter& TemplateWriter::pageEnd() {
    return rawByte(tagByte(TemplateTag::PageEnd));
}

TemplateWriter& TemplateWriter::idAddress(std::uint32_t address) {
    rawByte(tagByte(TemplateTag::IdAddress));
    return rawInt(address);
}

TemplateWriter& TemplateWriter::productAddress(std::uint32_t address) {
    rawByte(tagByte(TemplateTag::ProductAddress));
    return rawInt(address);
}

TemplateWriter& TemplateWriter::help(std::string_view name) {
    rawByte(tagByte(TemplateTag::Help));
    return rawText(name);
}

TemplateWriter& TemplateWriter::events(const std::vector<RawEventCode>& codes) {
    rawByte(tagByte(TemplateTag::Events));
    for (const auto& code : codes) {
        rawByte(tagByte(TemplateTag::EventCode));
        rawInt(code.code);
        for (const auto& entry : code.entries) {
            rawByte(entry.tag);
            rawText(entry.text);
        }
    }
    return rawByte(tagByte(TemplateTag::EventsEnd));
}

TemplateWriter& TemplateWriter::noErase(std::uint32_t value) {
    rawByte(tagByte(TemplateTag::NoErase));
    return rawInt(value);
}

TemplateWriter& TemplateWriter::end() {
    return rawByte(tagByte(TemplateTag::End));
}

TemplateWriter& TemplateWriter::rules(std::uint32_t count, const std::vector<RawRule>& list) {
    rawInt(count);
    for (const auto& r : list)
        rule(r);
    return *this;
}

void TemplateWriter::operands(RuleOperands kind, std::uint32_t first, std::uint32_t second,
                              const std::string& text) {
    switch (kind) {
        case RuleOperands::Control:
        case RuleOperands::Page:
            rawInt(first);
            break;
        case RuleOperands::ControlControl:
            rawInt(first);
            rawInt(second);
            break;
        case RuleOperands::ControlText:
            rawInt(first);
            rawText(text);
            break;
        case RuleOperands::Text:
            rawText(text);
            break;
        case RuleOperands::Unknown:
            break;
    }
}

TemplateWriter& TemplateWriter::rule(const RawRule& r) {
    const RawCondition& c = r.condition;
    rawInt(c.code);
    operands(conditionOperands(c.code), c.control, c.control2, c.text);
    rawInt(static_cast<std::uint32_t>(r.actions.size()));
    for (const auto& a : r.actions) {
        rawInt(a.code);
        operands(actionOperands(a.code), a.target, a.argument, a.text);
    }
    return *this;
}

std::uint64_t TemplateWriter::entryCount(const std::vector<RawRule>& rules) {
    std::uint64_t n = 0;
    for (const auto& r : rules)
        n += 1 + r.actions.size();
    return n;
}

TemplateWriter& TemplateWriter::rawByte(std::uint8_t value) {
    bytes_.push_back(value);
    return *this;
}

TemplateWriter& TemplateWriter::rawInt(std::uint32_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value >> 24));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 16));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes_.push_back(static_cast<std::uint8_t>(value));
    return *this;
}

TemplateWriter& TemplateWriter::rawText(std::string_view text) {
    rawBytes(text);
    return rawByte(0);
}

TemplateWriter& TemplateWriter::rawBytes(std::string_view bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

std::uint32_t TemplateWriter::checksum() const {
    if (bytes_.size() <= kChecksumStart) return 0;
    return std::accumulate(bytes_.begin() + kChecksumStart, bytes_.end(), std::uint32_t{0},
                           [](std::uint32_t sum, std::uint8_t b) { return sum + b; });
}

std::vector<std::uint8_t> TemplateWriter::finish() {
    return finishWithWrongChecksum(0);
}

std::vector<std::uint8_t> TemplateWriter::finishWithWrongChecksum(std::uint32_t delta) {
    rawInt(checksum() + delta);
    return std::exchange(bytes_, {});
}

}  // namespace loom
