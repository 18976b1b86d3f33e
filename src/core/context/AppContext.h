#pragma once

#include "platform/UserPrompt.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"

namespace loom {

// The process-wide state of one running program (or CLI invocation), held in one place
// rather than in globals so that tests can run several side by side. Each subsystem adds
// its own part here as it arrives; the document and the views borrow from it.
class AppContext {
  public:
    explicit AppContext(UserPrompt& prompt) : prompt_(&prompt) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    UserPrompt& prompt() { return *prompt_; }
    void setPrompt(UserPrompt& prompt) { prompt_ = &prompt; }

    // Rule set of the loaded template; each template load replaces it.
    FormRules& rules() { return rules_; }
    // Event texts and event names of the loaded template; each load replaces them.
    EventTexts& eventTexts() { return eventTexts_; }

  private:
    UserPrompt* prompt_;
    FormRules rules_;
    EventTexts eventTexts_;
};

}  // namespace loom
