#include "link/PromLink.h"

#include "context/AppContext.h"

namespace loom {

PromLink::PromLink(AppContext& context) : context_(context) {}

PromLink::~PromLink() = default;

}  // namespace loom
