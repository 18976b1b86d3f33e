#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

namespace loom {
class Form;
}

namespace loom::cli {

// Every field the template's controls show, once, in template order: where it is (page
// and caption), how it is shown and typed, and the checks a value must pass. The listing
// has one TAB-separated line per field: address, page, caption, control, type, size in
// bits, checks in words.
void writeFieldListing(std::ostream& out, const Form& form);
// The same as JSON: [{address, page, caption, control, type, size, default, ...}] with the
// checks of the control's kind (see `form fields --help`).
nlohmann::ordered_json fieldsToJson(const Form& form);

}  // namespace loom::cli
