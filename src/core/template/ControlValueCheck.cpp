#include "template/ControlValueCheck.h"

#include "common/Cp1252.h"
#include "common/Messages.h"
#include "template/EditValidator.h"
#include "template/Form.h"
#include "template/InputFilter.h"

namespace loom {
namespace {

// A refusal message names what would have been taken; a long value list is cut short,
// since a message box (or a terminal line) cannot hold hundreds of entries.
constexpr std::size_t kListedValues = 20;

// The characters an input filter lets through, in words (code page 1252).
std::string filterCharacters(int filter) {
    switch (filter) {
        case 1:
        case 5:
            return "0-9";
        case 2:
            return utf8ToCp1252("0-9 och A-F");
        case 3:
            return utf8ToCp1252("0 och 1");
        case 4:
            return utf8ToCp1252("0-4 och F");
        default:
            return {};
    }
}

// "stored (shown), ..." for the refusal of a value outside a list of choices.
std::string listOf(const std::vector<std::pair<std::string, std::string>>& shownStored) {
    std::string out;
    for (std::size_t i = 0; i < shownStored.size(); ++i) {
        if (i == kListedValues) return out + ", ...";
        if (i > 0) out += ", ";
        out += shownStored[i].second;
        if (!shownStored[i].first.empty() && shownStored[i].first != shownStored[i].second)
            out += " (" + shownStored[i].first + ")";
    }
    return out;
}

ControlValueResult accept(std::string value) {
    return {true, std::move(value), {}};
}

ControlValueResult refuse(std::string message) {
    return {false, {}, std::move(message)};
}

}  // namespace

ControlValueResult ControlValueCheck::check(const FormControl& control,
                                            std::string_view value) const {
    switch (control.kind) {
        case ControlKind::Edit:
            return checkEdit(control, value);
        case ControlKind::Choice:
            return checkChoice(control, value);
        case ControlKind::CheckBox:
            if (value.size() == 1 && (value[0] == control.onChar || value[0] == control.offChar))
                return accept(std::string(value));
            return refuse(formatMessage(
                MessageId::ValueNotOnOff,
                {std::string_view(&control.onChar, 1), std::string_view(&control.offChar, 1)}));
        case ControlKind::Option:
            if (control.group != nullptr) return check(*control.group, value);
            break;
        case ControlKind::OptionGroup: {
            std::vector<std::pair<std::string, std::string>> options;
            for (const FormControl* o : control.options) {
                if (o->optionValue == value) return accept(std::string(value));
                options.emplace_back(o->caption, o->optionValue);
            }
            return refuse(formatMessage(MessageId::ValueNotAnOption, {listOf(options)}));
        }
        default:
            break;
    }
    return refuse(formatMessage(MessageId::ValueNotAnOption, {std::string_view()}));
}

ControlValueResult ControlValueCheck::checkEdit(const FormControl& edit,
                                                std::string_view value) const {
    // The window lets no character past the filter; what it corrects on leaving the field
    // is then checked against the limits.
    const InputFilter filter(edit.filter);
    if (!filter.accepts(value))
        return refuse(formatMessage(MessageId::ValueBadCharacter, {filterCharacters(edit.filter)}));
    std::string corrected = filter.corrected(value);
    if (auto failure = EditValidator(edit).finalCheck(corrected))
        return refuse(formatMessage(failure->message, {failure->limit}));
    return accept(std::move(corrected));
}

ControlValueResult ControlValueCheck::checkChoice(const FormControl& choice,
                                                  std::string_view value) const {
    const auto& lists = form_.valueLists();
    if (choice.valueList >= 0 && choice.valueList < static_cast<int>(lists.size())) {
        const RawValueList& list = lists[static_cast<std::size_t>(choice.valueList)];
        for (const auto& [shown, stored] : list) {
            if (stored == value) return accept(std::string(value));
        }
        return refuse(formatMessage(MessageId::ValueNotInList, {listOf(list)}));
    }
    return refuse(formatMessage(MessageId::ValueNotInList, {std::string_view()}));
}

std::vector<const FormControl*> ControlValueCheck::controlsOf(FieldAddress address) const {
    std::vector<const FormControl*> found;
    for (const FormControl* c : form_.controls()) {
        if (c->isData() && c->field != nullptr && c->field->address == address) found.push_back(c);
    }
    return found;
}

ControlValueResult ControlValueCheck::checkField(FieldAddress address,
                                                 std::string_view value) const {
    ControlValueResult result = accept(std::string(value));
    for (const FormControl* c : controlsOf(address)) {
        result = check(*c, result.stored);
        if (!result.accepted) break;
    }
    return result;
}

}  // namespace loom
