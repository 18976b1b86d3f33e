#pragma once

#include <ostream>

#include "template/EventTexts.h"
#include "template/Form.h"
#include "template/TreeOutline.h"

namespace loom::cli {

// A loaded template as readable text (UTF-8): header, pages with their controls, value
// lists, captions, rules, event texts and the tree.
void writeFormListing(std::ostream& out, const Form& form, const EventTexts& events,
                      const TreeOutline& tree);

}  // namespace loom::cli
