#pragma once

#include <string>

#include "template/DialogUnits.h"

namespace loom {

class BitmapLookup;
class EventTexts;
class FormRules;
class TreeSink;
class UserPrompt;

// What a template load fills and uses besides the file: the process-wide tree, event
// texts and rule set it replaces, the prompt for its messages, the platform's units and
// pictures, and the program directory below which HELP and PICTURES lie.
struct ParserEnvironment {
    TreeSink& tree;
    EventTexts& events;
    FormRules& rules;
    UserPrompt& prompt;
    DialogUnits units;
    BitmapLookup* bitmaps = nullptr;  // none: no picture is found
    std::string programDirectory;     // UTF-8 path; empty means the current directory
};

}  // namespace loom
