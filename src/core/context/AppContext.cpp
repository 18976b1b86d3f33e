#include "context/AppContext.h"

namespace loom {

AppContext::AppContext(UserPrompt& prompt, const State& state) : prompt_(&prompt), state_(state) {}

}  // namespace loom
