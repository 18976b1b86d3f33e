#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "fields/FieldRecord.h"

namespace loom {

class Form;
struct FormControl;

// A field as a person finds it in the form: the page that shows it and its caption.
struct FieldCaption {
    FieldAddress address = 0;
    int page = -1;                         // the first page that shows the field
    std::string caption;                   // code page 1252; empty when nothing names it
    const FormControl* control = nullptr;  // the first data control that shows it
};

// Names for the fields of a form, for listings and messages outside the window. A field's
// caption is the template's caption attached to its control, else the control's own
// text (a check box's), else the text of the label nearest to its left on the same row.
class FieldCaptions {
  public:
    explicit FieldCaptions(const Form& form);

    // Every field a data control shows, once, in template order.
    const std::vector<FieldCaption>& all() const { return fields_; }
    // Null when no control shows the field.
    const FieldCaption* find(FieldAddress address) const;

  private:
    std::vector<FieldCaption> fields_;
    std::unordered_map<FieldAddress, std::size_t> index_;
};

}  // namespace loom
