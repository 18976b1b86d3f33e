#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace loom {

// The items of a compiled template exactly as they stand in the file: every integer
// with all its 32 bits, every text as its code page 1252 bytes. The parser builds a
// Form from them; kqform writes and reads them losslessly.

inline constexpr std::uint32_t kAbsentLimit = 0x80000000u;
inline constexpr std::size_t kMaxTemplateText = 699;
// Groups nest; a real template nests a handful deep. Deeper nesting is refused as
// malformed so that nothing that walks the tree (listings, JSON, the tree view) can be
// driven into unbounded recursion by a crafted file.
inline constexpr std::size_t kMaxGroupDepth = 256;

enum class TemplateTag : std::uint8_t {
    End = 1,
    Group = 2,
    GroupEnd = 3,
    Page = 4,
    PageEnd = 5,
    Label = 6,
    Frame = 7,
    Button = 8,
    CheckBox = 9,
    Edit = 10,
    Choice = 11,
    Option = 12,
    OptionGroup = 13,
    ValueList = 14,
    Caption = 15,
    Picture = 16,
    IdAddress = 17,
    ProductAddress = 18,
    Help = 19,
    Events = 20,
    EventCode = 21,
    EventsEnd = 29,
    NoErase = 31,
};

struct RawRect {
    std::uint32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const RawRect&) const = default;
};

struct RawField {
    std::uint32_t address = 0, size = 0, type = 0, flags = 0;
    std::string defaultValue;
    bool operator==(const RawField&) const = default;
};

// One control record (tags 6-13 and 16). Members that the kind does not have stay at
// their defaults and are neither read nor written.
struct RawControl {
    TemplateTag tag = TemplateTag::Label;
    std::string text;
    RawRect rect;  // not for option groups
    std::uint32_t flags = 0;
    RawField field;               // check box, edit, choice, option group
    std::string onChar, offChar;  // check box: texts of exactly one character
    std::uint32_t filter = 0;     // edit
    std::uint32_t maxChars = kAbsentLimit, minChars = kAbsentLimit;
    std::uint32_t maxValue = kAbsentLimit, minValue = kAbsentLimit;
    std::uint32_t valueList = 0;  // choice
    std::string optionValue;      // option button
    std::uint32_t optionGroup = 0;
    bool operator==(const RawControl&) const = default;
};

constexpr bool isDataControl(TemplateTag t) {
    return t == TemplateTag::CheckBox || t == TemplateTag::Edit || t == TemplateTag::Choice ||
           t == TemplateTag::OptionGroup;
}
constexpr bool isControlTag(TemplateTag t) {
    auto v = static_cast<std::uint8_t>(t);
    return (v >= 6 && v <= 13) || v == 16;
}

using RawValueList = std::vector<std::pair<std::string, std::string>>;  // shown, stored

struct RawEventEntry {
    std::uint8_t tag = 0;  // any value but 21 and 29
    std::string text;
    bool operator==(const RawEventEntry&) const = default;
};
struct RawEventCode {
    std::uint32_t code = 0;  // the low 16 bits are the event code
    std::vector<RawEventEntry> entries;
    bool operator==(const RawEventCode&) const = default;
};

// A condition (codes 42-59) or an action (codes 60-74) with its operands. `control` and
// `control2` are control numbers (for 73, 74 `control` holds the page number); `text`
// holds a text operand.
struct RawCondition {
    std::uint32_t code = 0;
    std::uint32_t control = 0;
    std::uint32_t control2 = 0;
    std::string text;
    bool operator==(const RawCondition&) const = default;
};
struct RawAction {
    std::uint32_t code = 0;
    std::uint32_t target = 0;    // control, or page for 73 and 74
    std::uint32_t argument = 0;  // second control for 66, 67, 69, 70
    std::string text;
    bool operator==(const RawAction&) const = default;
};
struct RawRule {
    RawCondition condition;
    std::vector<RawAction> actions;
    bool operator==(const RawRule&) const = default;
};

// The operands that follow a condition or action code in the rule section.
enum class RuleOperands : std::uint8_t {
    Unknown,         // not a valid code
    Control,         // one control number
    ControlControl,  // two control numbers
    ControlText,     // a control number, then a text
    Text,            // one text
    Page,            // one page number
};

constexpr RuleOperands conditionOperands(std::uint32_t code) {
    if (code >= 42 && code <= 52) return RuleOperands::Control;
    if (code == 53 || code == 54 || code == 56 || code == 57) return RuleOperands::ControlControl;
    if (code == 55 || code == 58) return RuleOperands::ControlText;
    if (code == 59) return RuleOperands::Text;
    return RuleOperands::Unknown;
}
constexpr RuleOperands actionOperands(std::uint32_t code) {
    if (code >= 60 && code <= 64) return RuleOperands::Control;
    if (code == 65 || code == 68) return RuleOperands::ControlText;
    if (code == 66 || code == 67 || code == 69 || code == 70) return RuleOperands::ControlControl;
    if (code == 71 || code == 72) return RuleOperands::Text;
    if (code == 73 || code == 74) return RuleOperands::Page;
    return RuleOperands::Unknown;
}

}  // namespace loom
