#include "template/FormControl.h"

namespace loom {

const std::string& FormControl::value() const {
    if (kind == ControlKind::Option && group != nullptr) return group->value();
    if (isData() && field != nullptr) return field->value;
    return text;
}

}  // namespace loom
