#pragma once

#include "archive/SearchResults.h"
#include "archive/TemporaryPasswordList.h"
#include "context/AppContext.h"
#include "conversion/ConversionList.h"
#include "datafile/LabelTable.h"
#include "link/PromLink.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"

namespace loom {

// The composition root's state: the context together with the process-wide objects it
// refers to. The program and the CLI own one through their shared start-up (ProgramStart);
// a test owns its own, so several can run side by side.
class ProgramState final : public AppContext {
  public:
    explicit ProgramState(UserPrompt& prompt)
        : AppContext(prompt, {rules_, eventTexts_, labels_, conversions_, temporaryPasswords_,
                              searchResults_, link_}) {}

  private:
    FormRules rules_;
    EventTexts eventTexts_;
    LabelTable labels_;
    ConversionList conversions_;
    TemporaryPasswordList temporaryPasswords_;
    SearchResults searchResults_;
    // Last: it keeps a reference to the context.
    PromLink link_{*this};
};

}  // namespace loom
