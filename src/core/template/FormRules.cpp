#include "template/FormRules.h"

#include <utility>

#include "template/FormInteraction.h"

namespace loom {
namespace {

using namespace rule_event;

// Conditions 53-55 watch 51 and 56-58 watch 52, comparing the event's value with another
// control's value, another control's text or the rule's own text.
bool comparisonMatches(const FormRule& rule, int event, const std::string& value) {
    const int base = event == kEntered ? 53 : event == kTextSet ? 56 : 0;
    if (base == 0) return false;
    switch (rule.condition - base) {
        case 0:
            return rule.argument != nullptr && value == rule.argument->value();
        case 1:
            return rule.argument != nullptr && value == rule.argument->text;
        case 2:
            return value == rule.text;
        default:
            return false;
    }
}

}  // namespace

void FormRules::clear() {
    rules_.clear();
    actions_.clear();
    ++generation_;
}

void FormRules::registerRule(FormControl* trigger, int condition, FormControl* argument,
                             std::string text, std::vector<RuleAction> actions) {
    if (actions.empty()) return;
    FormRule rule{trigger, condition, argument, std::move(text), actions_.size()};
    for (RuleAction& a : actions)
        actions_.push_back(std::move(a));
    actions_.push_back(RuleAction{});
    rules_.push_back(std::move(rule));
    if (trigger != nullptr) trigger->hasRules = true;
}

void FormRules::fire(FormControl* control, int event, std::string_view value) {
    if (interaction_ == nullptr) return;
    if (control == nullptr ? event != kSignal : !control->hasRules) return;
    if (depth_ == 0) {
        halted_ = false;
        actionsRun_ = 0;
    }
    if (halted_) return;
    if (depth_ >= kMaxDepth) {
        halted_ = true;
        return;
    }
    struct Nesting {
        int& depth;
        explicit Nesting(int& d) : depth(++d) {}
        ~Nesting() { --depth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
    } nesting(depth_);

    // The value may be a control's text that the actions below replace.
    const std::string v(value);
    const unsigned generation = generation_;
    for (std::size_t i = 0; i < rules_.size() && !stopped(generation); ++i) {
        const FormRule& rule = rules_[i];
        if (rule.trigger != control) continue;
        if (rule.condition == event) {
            if (event == kSignal && rule.text != v) continue;
            run(rule.firstAction);
            if (event != kEntered && event != kTextSet) break;
        } else if (comparisonMatches(rule, event, v)) {
            run(rule.firstAction);
        }
    }
}

void FormRules::run(std::size_t firstAction) {
    const unsigned generation = generation_;
    for (std::size_t i = firstAction; i < actions_.size() && actions_[i].code != 0; ++i) {
        if (stopped(generation)) return;
        if (++actionsRun_ > kMaxActions) {
            halted_ = true;
            return;
        }
        perform(actions_[i]);
    }
}

void FormRules::perform(const RuleAction& a) {
    FormInteraction& form = *interaction_;
    switch (a.code) {
        case 60:
        case 61:
            if (a.target != nullptr) form.setVisible(*a.target, a.code == 60);
            break;
        case 62:
        case 63:
            if (a.target != nullptr) form.setEnabled(*a.target, a.code == 62);
            break;
        case 64:
            if (a.target != nullptr) form.focus(*a.target);
            break;
        case 65:
            if (a.target != nullptr) form.setText(*a.target, a.text);
            break;
        case 66:
        case 67:
            if (a.target != nullptr && a.control != nullptr) {
                form.setText(*a.target, a.code == 66 ? a.control->value() : a.control->text);
            }
            break;
        case 68:
            if (a.target != nullptr) form.enterValue(*a.target, a.text);
            break;
        case 69:
        case 70:
            if (a.target != nullptr && a.control != nullptr) {
                // A copy: entering may change the very text it came from.
                std::string v = a.code == 69 ? a.control->value() : a.control->text;
                form.enterValue(*a.target, v);
            }
            break;
        case 71:
            form.message(a.text);
            break;
        case 72:
            fire(nullptr, kSignal, a.text);
            break;
        case 73:
        case 74:
            form.setPageEnabled(a.page, a.code == 73);
            break;
        default:
            break;
    }
}

}  // namespace loom
