#include "template/FormControl.h"

namespace loom {

const std::string& FormControl::value() const {
    if (kind == ControlKind::Option && group != nullptr) return group->value();
    if (isData() && field != nullptr) return field->value;
    return text;
}

bool FormControl::checkedBy(std::string_view v) const {
    if (kind == ControlKind::CheckBox) return !v.empty() && v.front() == onChar;
    return kind == ControlKind::Option && v == optionValue;
}

std::string withoutAccessKeys(std::string_view caption) {
    std::string out;
    out.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

const char* controlKindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return "label";
        case ControlKind::Frame:
            return "frame";
        case ControlKind::Button:
            return "button";
        case ControlKind::CheckBox:
            return "checkbox";
        case ControlKind::Edit:
            return "edit";
        case ControlKind::Choice:
            return "choice";
        case ControlKind::Option:
            return "option";
        case ControlKind::OptionGroup:
            return "group";
        case ControlKind::Picture:
            return "picture";
    }
    return "?";
}

}  // namespace loom
