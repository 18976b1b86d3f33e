#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fields/FieldRecord.h"

namespace loom {

class Form;
struct FormControl;

// What a control makes of a value given to it without its window: the value it would
// store, or the message the window would have shown instead.
struct ControlValueResult {
    bool accepted = false;
    std::string stored;   // the value as the control stores it (code page 1252)
    std::string refusal;  // the message, when not accepted (code page 1252)
};

// The checks a value passes before it is stored through a form's control, as the window
// applies them when the user leaves the control: an edit field's filter and limits (the
// filter's correction included, so "ab" in a hexadecimal field is stored as "AB"), a
// choice list's stored values, a check box's on and off characters, an option group's
// option values. For everything that sets values without a window: the command line,
// import tools, scripts.
class ControlValueCheck {
  public:
    explicit ControlValueCheck(const Form& form) : form_(form) {}

    // The value through one data control (an option button stands for its group); a
    // control that takes no values refuses every one.
    ControlValueResult check(const FormControl& control, std::string_view value) const;

    // The value through every data control that shows the field at `address`, each given
    // what the one before stored. A field no control shows is accepted as it stands: its
    // value type's codec is then its only check.
    ControlValueResult checkField(FieldAddress address, std::string_view value) const;

    // The data controls showing the field at `address`, in template order.
    std::vector<const FormControl*> controlsOf(FieldAddress address) const;

  private:
    ControlValueResult checkEdit(const FormControl& edit, std::string_view value) const;
    ControlValueResult checkChoice(const FormControl& choice, std::string_view value) const;

    const Form& form_;
};

}  // namespace loom
