#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "template/FormControl.h"

namespace loom {

class FormInteraction;

// The events rules watch, by the numbers of the conditions that watch them: 42-52 are
// reported by the controls of the loaded form, 59 by a "signal" action.
namespace rule_event {
inline constexpr int kLaidOut = 42;
inline constexpr int kFocusGained = 43;
inline constexpr int kFocusLost = 44;
inline constexpr int kShown = 45;
inline constexpr int kHidden = 46;
inline constexpr int kEnabled = 47;
inline constexpr int kDisabled = 48;
inline constexpr int kClicked = 49;
inline constexpr int kRightClicked = 50;
inline constexpr int kEntered = 51;
inline constexpr int kTextSet = 52;
inline constexpr int kSignal = 59;
}  // namespace rule_event

// One action of a rule: code 60-74 with its operands.
struct RuleAction {
    int code = 0;
    FormControl* target = nullptr;   // none for 71, 72, 73, 74
    FormControl* control = nullptr;  // second control of 66, 67, 69, 70
    int page = -1;                   // 73, 74
    std::string text;                // 65, 68, 71, 72
};

struct FormRule {
    FormControl* trigger = nullptr;   // none for condition 59
    int condition = 0;                // 42-59
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
    void registerRule(FormControl* trigger, int condition, FormControl* argument, std::string text,
                      std::vector<RuleAction> actions);

    const std::vector<FormRule>& rules() const { return rules_; }
    // The action list: each rule's actions followed by an end entry (code 0).
    const std::vector<RuleAction>& actions() const { return actions_; }

    // Runs the rules that watch `control` for `event` (42-52, with the value or text
    // that goes with 51 and 52), or, with no control and event 59, the rules of the
    // signal named `value`. A control without rules reports nothing. Does nothing while
    // no form is attached.
    void fire(FormControl* control, int event, std::string_view value = {});

    // The controls of the loaded form act through `interaction` (none detaches).
    void attach(FormInteraction* interaction) { interaction_ = interaction; }

    // Rules fire rules through the events of their actions. A template whose rules form
    // a cycle would recurse without end, so a top-level event gives up quietly (no
    // message) on the first of: more than kMaxDepth nested fire calls, or more than
    // kMaxActions actions in all. Sensible templates chain a few levels and a few dozen
    // actions; a small depth also keeps a cycle that shows a message box from burying the
    // user under boxes. The action budget stops cycles that branch out instead of going
    // deep. After giving up, the rest of that top-level event does nothing.
    static constexpr int kMaxDepth = 16;
    static constexpr int kMaxActions = 4096;

  private:
    void run(std::size_t firstAction);
    void perform(const RuleAction& action);
    bool stopped(unsigned generation) const { return halted_ || generation != generation_; }

    std::vector<FormRule> rules_;
    std::vector<RuleAction> actions_;

    FormInteraction* interaction_ = nullptr;
    int depth_ = 0;
    int actionsRun_ = 0;
    bool halted_ = false;
    unsigned generation_ = 0;  // changes with clear(): a running event stops
};

}  // namespace loom
