#pragma once

#include <string>
#include <string_view>

#include "template/FormControl.h"

namespace loom {

class Form;
class FormRules;
class FormView;
class UserPrompt;

// The behaviour of a form's controls, kept in the model so that the widgets stay thin:
// the widgets report what the user did, rules act through the same operations, and the
// model tells the view and fires the rules. Attaches itself to the rule set for its
// lifetime.
//
// A value entry (typed, toggled, chosen, or entered by a rule) stores the value in the
// control's record, tells the view the system is modified (once until valuesSaved()),
// and reports event 51 with the value.
class FormInteraction {
  public:
    FormInteraction(Form& form, FormRules& rules, FormView& view, UserPrompt& prompt);
    ~FormInteraction();
    FormInteraction(const FormInteraction&) = delete;
    FormInteraction& operator=(const FormInteraction&) = delete;

    // --- What the widgets report ---

    // The widgets of the shown page exist: each visible control with a window reports
    // 45, then every control of the page reports 42, both in page order.
    void pageShown();

    // Edit fields. A keystroke's resulting text must pass the typing check; a refused
    // keystroke beeps and returns false (the widget drops it). An accepted text is
    // stored at once and reported as a value entry.
    bool textTyped(FormControl& edit, std::string_view text);
    // Cut, paste or clear: checked as typing, but a refusal is silent; on false the
    // widget puts the previous text back.
    bool textReplaced(FormControl& edit, std::string_view text);
    // Backspace or Delete: not checked.
    void textErased(FormControl& edit, std::string_view text);

    void focusGained(FormControl& control);
    // An edit field applies its filter's correction (a changed text is a value entry) and
    // runs the final check, showing the first failure in a stop box; then the control
    // reports 44. False when a failure was shown: the widget keeps the focus.
    bool focusLost(FormControl& control);

    void checkBoxToggled(FormControl& box, bool checked);
    // `index` into the choice list's value list; the entry's stored value is entered.
    void choiceSelected(FormControl& choice, int index);
    // Nothing when the button is already the group's value; else its value is entered
    // into its option group (the group reports 51).
    void optionClicked(FormControl& option);
    // Left button released (or, on a push button, the space key): 49. A check box or an
    // option button calls this before checkBoxToggled / optionClicked.
    void clicked(FormControl& control);
    void rightClicked(FormControl& control);

    // After a save or load: the next value entry tells the view again.
    void valuesSaved() { changeNotified_ = false; }

    // --- What rules do ---

    // State changes happen whether or not the page is shown. Events 45-48 come from the
    // window, so they are reported only when it exists and its state really changes.
    void setVisible(FormControl& control, bool visible);
    void setEnabled(FormControl& control, bool enabled);
    void setPageEnabled(int page, bool enabled);
    // Only a shown, visible window takes the focus.
    void focus(FormControl& control);
    // Sets the shown text and reports 52. An edit field's record is not touched: that
    // takes a value entry.
    void setText(FormControl& control, std::string text);
    // Enters a value as the user would. An edit field takes the text when it passes the
    // typing check, stored as it stands (the correction comes when the user leaves the
    // field); a check box takes its on or
    // off character, a choice list one of its stored values, an option group (or one of
    // its buttons) one of its buttons' values. Anything else is refused quietly (false):
    // nothing is stored, nothing reported, no beep or message, since the user did not do
    // it and could not mend it. The minimum limits are checked when the user leaves the
    // field, as for typed text.
    bool enterValue(FormControl& control, std::string_view value);
    void message(std::string_view text);

  private:
    bool hasWindow(const FormControl& control) const;
    void windowEnabledChange(FormControl& control, bool wasEnabled);
    // Stores an accepted value and reports it; `show` tells the view (the user's own
    // widget already shows what he did).
    void entered(FormControl& control, std::string value, bool show);

    Form& form_;
    FormRules& rules_;
    FormView& view_;
    UserPrompt& prompt_;
    bool changeNotified_ = false;
};

}  // namespace loom
