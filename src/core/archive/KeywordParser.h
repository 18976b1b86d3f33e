#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace loom {

class UserPrompt;

// The keywords of a search text: words separated by blanks; a double-quoted part is one
// keyword (blanks included, "" inside it stands for one double quote, and "" alone is the
// empty keyword, which matches everything).
class KeywordParser {
  public:
    struct Result {
        std::vector<std::string> keywords;
        bool missingQuote = false;  // the text ended inside quotes; that word was dropped
    };

    static Result parse(std::string_view text);
    // As above; a missing closing quote shows message 42 with the keywords found.
    static std::vector<std::string> parse(std::string_view text, UserPrompt& prompt);
    // Message 42's text for `keywords` (code page 1252).
    static std::string missingQuoteMessage(const std::vector<std::string>& keywords);
};

}  // namespace loom
