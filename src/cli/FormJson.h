#pragma once

#include <nlohmann/json.hpp>

#include "template/EventTexts.h"
#include "template/Form.h"
#include "template/TreeOutline.h"

namespace loom::cli {

// A loaded template as one JSON object (texts in UTF-8). The layout is described in the
// help of `form show`; scripts rely on it, so keys only ever get added.
nlohmann::ordered_json formToJson(const Form& form, const EventTexts& events,
                                  const TreeOutline& tree);

// A check box's "on" and "off" characters, an edit field's "filter" (null: none) and its
// four limits (null: absent) as keys of `j`; nothing for other kinds.
void addValueChecks(nlohmann::ordered_json& j, const FormControl& control);

}  // namespace loom::cli
