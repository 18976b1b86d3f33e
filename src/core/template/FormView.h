#pragma once

#include "template/FormControl.h"

namespace loom {

// What the widgets of the shown page implement so that they follow the model. The model
// changes first and then tells the view; the view reads the new state from the control.
//
// Calls come only for controls of the shown page that have a window (option groups have
// none). A call may come for a control whose widget is not created yet while the page is
// being built; the view ignores it, as a widget takes the model's state when it is
// created. Nothing is called back for what the user did in a widget himself (a typed
// character, a toggled check box): the widget already shows it.
//
// Messages and beeps go through UserPrompt.
class FormView {
  public:
    virtual ~FormView() = default;

    // `visible` changed.
    virtual void showControl(const FormControl& control) = 0;
    // `windowEnabled()` changed (enabled and page-enabled together).
    virtual void enableControl(const FormControl& control) = 0;
    // `text` was set by a rule: the caption, or an edit field's shown text.
    virtual void showText(const FormControl& control) = 0;
    // The value changed from the model's side: an edit field shows `text`, a check box is
    // checked when value() is its on character, a choice list selects `selected`, an
    // option button is checked when value() equals its optionValue.
    virtual void showValue(const FormControl& control) = 0;
    // Give the widget the keyboard focus (it is shown).
    virtual void focus(const FormControl& control) = 0;
    // The first value entry since the values were last saved: the system is modified.
    virtual void systemModified() = 0;
};

}  // namespace loom
