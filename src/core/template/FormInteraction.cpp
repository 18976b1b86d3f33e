#include "template/FormInteraction.h"

#include <utility>

#include "platform/UserPrompt.h"
#include "template/ControlValueCheck.h"
#include "template/EditValidator.h"
#include "template/Form.h"
#include "template/FormRules.h"
#include "template/FormView.h"
#include "template/InputFilter.h"

namespace loom {
namespace {

using namespace rule_event;

const RawValueList* valueListOf(const Form& form, const FormControl& choice) {
    const auto& lists = form.valueLists();
    if (choice.valueList < 0 || choice.valueList >= static_cast<int>(lists.size())) {
        return nullptr;
    }
    return &lists[static_cast<std::size_t>(choice.valueList)];
}

}  // namespace

FormInteraction::FormInteraction(Form& form, FormRules& rules, FormView& view, UserPrompt& prompt)
    : form_(form), rules_(rules), view_(view), prompt_(prompt) {
    rules_.attach(this);
}

FormInteraction::~FormInteraction() {
    rules_.attach(nullptr);
}

bool FormInteraction::hasWindow(const FormControl& c) const {
    return c.kind != ControlKind::OptionGroup && c.page >= 0 && c.page == form_.shownPage();
}

void FormInteraction::pageShown() {
    const int index = form_.shownPage();
    if (index < 0 || index >= form_.pageCount()) return;
    // Copies: rules may not add controls, but the page is looked up once for both passes.
    const std::vector<FormControl*> controls = form_.page(index).allControls;
    for (FormControl* c : controls) {
        if (c->visible && hasWindow(*c)) rules_.fire(c, kShown);
    }
    for (FormControl* c : controls)
        rules_.fire(c, kLaidOut);
}

bool FormInteraction::textTyped(FormControl& edit, std::string_view text) {
    if (!EditValidator(edit).acceptsTyping(text)) {
        prompt_.beep();
        return false;
    }
    entered(edit, std::string(text), false);
    return true;
}

bool FormInteraction::textReplaced(FormControl& edit, std::string_view text) {
    if (!EditValidator(edit).acceptsTyping(text)) return false;
    entered(edit, std::string(text), false);
    return true;
}

void FormInteraction::textErased(FormControl& edit, std::string_view text) {
    entered(edit, std::string(text), false);
}

void FormInteraction::focusGained(FormControl& control) {
    rules_.fire(&control, kFocusGained);
}

bool FormInteraction::focusLost(FormControl& control) {
    bool passed = true;
    if (control.kind == ControlKind::Edit) {
        std::string corrected = InputFilter(control.filter).corrected(control.text);
        if (corrected != control.text) entered(control, std::move(corrected), true);
        if (auto failure = EditValidator(control).finalCheck(control.text)) {
            prompt_.show(failure->message, {failure->limit}, MessageKind::Stop);
            passed = false;
        }
    }
    rules_.fire(&control, kFocusLost);
    return passed;
}

void FormInteraction::checkBoxToggled(FormControl& box, bool checked) {
    entered(box, std::string(1, checked ? box.onChar : box.offChar), false);
}

void FormInteraction::choiceSelected(FormControl& choice, int index) {
    const RawValueList* list = valueListOf(form_, choice);
    if (list == nullptr || index < 0 || index >= static_cast<int>(list->size())) return;
    choice.selected = index;
    entered(choice, (*list)[static_cast<std::size_t>(index)].second, false);
}

void FormInteraction::optionClicked(FormControl& option) {
    FormControl* group = option.group;
    if (group == nullptr || group->field == nullptr) return;
    if (group->field->value == option.optionValue) return;
    // The other buttons of the group lose their check; the clicked one shows it already.
    entered(*group, option.optionValue, true);
}

void FormInteraction::clicked(FormControl& control) {
    rules_.fire(&control, kClicked);
}

void FormInteraction::rightClicked(FormControl& control) {
    rules_.fire(&control, kRightClicked);
}

void FormInteraction::setVisible(FormControl& control, bool visible) {
    if (control.visible == visible) return;
    control.visible = visible;
    if (!hasWindow(control)) return;
    view_.showControl(control);
    rules_.fire(&control, visible ? kShown : kHidden);
}

void FormInteraction::windowEnabledChange(FormControl& control, bool wasEnabled) {
    const bool now = control.windowEnabled();
    if (now == wasEnabled || !hasWindow(control)) return;
    view_.enableControl(control);
    rules_.fire(&control, now ? kEnabled : kDisabled);
}

void FormInteraction::setEnabled(FormControl& control, bool enabled) {
    const bool was = control.windowEnabled();
    control.enabled = enabled;
    windowEnabledChange(control, was);
}

void FormInteraction::setPageEnabled(int page, bool enabled) {
    if (page < 0 || page >= form_.pageCount()) return;
    const std::vector<FormControl*> controls = form_.page(page).allControls;
    for (FormControl* c : controls) {
        const bool was = c->windowEnabled();
        c->pageEnabled = enabled;
        windowEnabledChange(*c, was);
    }
}

void FormInteraction::focus(FormControl& control) {
    if (hasWindow(control) && control.visible) view_.focus(control);
}

void FormInteraction::setText(FormControl& control, std::string text) {
    control.text = std::move(text);
    if (hasWindow(control)) view_.showText(control);
    // The event's value is a copy: rules it runs may set this text again.
    const std::string value = control.text;
    rules_.fire(&control, kTextSet, value);
}

bool FormInteraction::enterValue(FormControl& control, std::string_view value) {
    if (control.kind == ControlKind::Option) {
        return control.group != nullptr && enterValue(*control.group, value);
    }
    if (!control.isData() || control.field == nullptr) return false;
    if (control.kind == ControlKind::Edit) {
        // As if typed: the text passes the typing check and is stored as it stands; the
        // filter's correction belongs to leaving the field, so rules comparing the entered
        // value see the text the rule entered.
        if (!EditValidator(control).acceptsTyping(value)) return false;
    } else if (!ControlValueCheck(form_).check(control, value).accepted) {
        return false;
    }
    if (control.kind == ControlKind::Choice) {
        const RawValueList& list = *valueListOf(form_, control);
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].second == value) {
                control.selected = static_cast<int>(i);
                break;
            }
        }
    }
    entered(control, std::string(value), true);
    return true;
}

void FormInteraction::message(std::string_view text) {
    prompt_.show(text, MessageKind::Warning);
}

void FormInteraction::entered(FormControl& control, std::string value, bool show) {
    if (control.field == nullptr) return;
    control.field->value = value;
    if (control.kind == ControlKind::Edit) {
        control.text = value;
    } else if (control.kind == ControlKind::Choice) {
        const RawValueList* list = valueListOf(form_, control);
        if (list != nullptr && control.selected >= 0 &&
            control.selected < static_cast<int>(list->size())) {
            control.text = (*list)[static_cast<std::size_t>(control.selected)].first;
        }
    }
    if (show) {
        if (control.kind == ControlKind::OptionGroup) {
            for (const FormControl* o : control.options) {
                if (hasWindow(*o)) view_.showValue(*o);
            }
        } else if (hasWindow(control)) {
            view_.showValue(control);
        }
    }
    if (!changeNotified_) {
        changeNotified_ = true;
        view_.systemModified();
    }
    rules_.fire(&control, kEntered, value);
}

}  // namespace loom
