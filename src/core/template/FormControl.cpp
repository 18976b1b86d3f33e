#include "template/FormControl.h"

namespace loom {

const std::string& FormControl::value() const {
    if (kind == ControlKind::Option && group != nullptr) return group->value();
    if (isData() && field != nullptr) return field->value;
    return text;
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
