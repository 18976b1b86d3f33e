#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "template/FormControl.h"

namespace loom {

class Form;
class FormView;
class UserPrompt;

// One action of a rule: code 60-74 with its operands.
struct RuleAction {
    int code = 0;
    FormControl* target = nullptr;    // none for 71, 72, 73, 74
    FormControl* control = nullptr;   // second control of 66, 67, 69, 70
    int page = -1;                    // 73, 74
    std::string text;                 // 65, 68, 71, 72
};

struct FormRule {
    FormControl* trigger = nullptr;  // none for condition 59
    int condition = 0;               // 42-59
    FormControl* argument = nullptr;  // 53, 54, 56, 57
    std::string text;                 // 55, 58, 59
    std::size_t firstAction = 0;      // index into the action list
};

// The rule set of the loaded template. The parser fills it; the controls fire it.
class FormRules {
public:
    void clear();
    // A rule without actions is dropped; otherwise its actions are appended to the action
    // list with an end entry and the trigger control gets has-rules.
    void registerRule(FormControl* trigger, int condition, FormControl* argument,
                      std::string text, std::vector<RuleAction> actions);

    const std::vector<FormRule>& rules() const { return rules_; }
    // The action list: each rule's actions followed by an end entry (code 0).
    const std::vector<RuleAction>& actions() const { return actions_; }

    // Implemented with the rule engine (FormRules.cpp); declared here so that the parser
    // only needs the registration side.
    void fire(FormControl* control, int event, std::string_view value);
    void attach(Form* form, FormView* view, UserPrompt* prompt);

private:
    std::vector<FormRule> rules_;
    std::vector<RuleAction> actions_;
    Form* form_ = nullptr;
    FormView* view_ = nullptr;
    UserPrompt* prompt_ = nullptr;
    int depth_ = 0;
};

}  // namespace loom
