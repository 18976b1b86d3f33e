#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/RecordingFormView.h"
#include "support/RecordingPrompt.h"
#include "template/Form.h"
#include "template/FormInteraction.h"
#include "template/FormRules.h"

namespace loom::test {

using Limit = std::optional<std::int32_t>;
inline constexpr std::nullopt_t none = std::nullopt;

inline EditLimits limits(Limit maxChars, Limit minChars, Limit maxValue, Limit minValue) {
    return EditLimits{maxChars, minChars, maxValue, minValue};
}

// A form built control by control, showing page 0. Rules that show a message box (71)
// serve as probes: the prompt's texts tell which rules ran, in which order.
struct HandBuiltForm {
    Form form{"Test"};
    FormRules rules;
    RecordingFormView view;
    RecordingPrompt prompt;
    FormInteraction ui{form, rules, view, prompt};
    std::uint32_t nextAddress = 0x100 << 3;

    explicit HandBuiltForm(int pages = 2) {
        for (int i = 0; i < pages; ++i)
            form.addPage("Sida " + std::to_string(i));
        form.setShownPageIndex(0);
    }

    FormControl& add(ControlKind kind, int page = 0, std::string caption = {}) {
        auto c = std::make_unique<FormControl>();
        c->kind = kind;
        c->page = page;
        c->number = static_cast<int>(form.numbered().size());
        c->text = c->caption = std::move(caption);
        if (c->isData())
            c->field =
                &form.store().findOrCreate(std::exchange(nextAddress, nextAddress + (8 << 3)));
        FormControl& ref = form.addControl(std::move(c));
        form.addNumbered(ref);
        return ref;
    }
    FormControl& edit(int filter = 0, EditLimits limits = {}, int page = 0) {
        FormControl& c = add(ControlKind::Edit, page);
        c.filter = filter;
        c.limits = limits;
        return c;
    }
    FormControl& checkBox(int page = 0) {
        FormControl& c = add(ControlKind::CheckBox, page, "Aktiv");
        c.onChar = 'J';
        c.offChar = 'N';
        c.field->value = "N";
        return c;
    }
    FormControl& choice(RawValueList list, int page = 0) {
        FormControl& c = add(ControlKind::Choice, page);
        c.valueList = static_cast<int>(form.valueLists().size());
        form.addValueList(std::move(list));
        return c;
    }
    FormControl& option(FormControl& group, std::string value) {
        FormControl& c = add(ControlKind::Option, group.page, "Val " + value);
        c.optionValue = std::move(value);
        c.group = &group;
        group.options.push_back(&c);
        return c;
    }

    void rule(FormControl* trigger, int condition, std::vector<RuleAction> actions,
              FormControl* argument = nullptr, std::string text = {}) {
        rules.registerRule(trigger, condition, argument, std::move(text), std::move(actions));
    }
    static RuleAction act(int code, FormControl* target, std::string text = {},
                          FormControl* control = nullptr) {
        return RuleAction{code, target, control, -1, std::move(text)};
    }
    static RuleAction onPage(int code, int page) { return {code, nullptr, nullptr, page, {}}; }
    static RuleAction say(std::string text) { return act(71, nullptr, std::move(text)); }
    static RuleAction signal(std::string name) { return act(72, nullptr, std::move(name)); }

    std::vector<std::string> said() const { return prompt.texts(); }
};

}  // namespace loom::test
