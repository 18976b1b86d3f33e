#include "archive/KeywordParser.h"

#include "common/Messages.h"
#include "platform/UserPrompt.h"

namespace loom {

KeywordParser::Result KeywordParser::parse(std::string_view text) {
    Result result;
    std::string padded(text);
    padded += ' ';  // ends the last word
    std::string word;
    bool quoted = false;
    for (std::size_t i = 0; i < padded.size(); ++i) {
        const char c = padded[i];
        if (c == ' ' && !quoted) {
            if (!word.empty()) result.keywords.push_back(std::move(word));
            word.clear();
        } else if (c == '"' && !quoted) {
            if (!word.empty()) result.keywords.push_back(std::move(word));
            word.clear();
            quoted = true;
        } else if (c == '"' && i + 1 < padded.size() && padded[i + 1] == '"') {
            word += '"';
            ++i;
        } else if (c == '"') {
            result.keywords.push_back(std::move(word));
            word.clear();
            quoted = false;
        } else {
            word += c;
        }
    }
    result.missingQuote = quoted;
    return result;
}

std::vector<std::string> KeywordParser::parse(std::string_view text, UserPrompt& prompt) {
    Result result = parse(text);
    if (result.missingQuote)
        prompt.show(missingQuoteMessage(result.keywords), MessageKind::Warning);
    return std::move(result.keywords);
}

std::string KeywordParser::missingQuoteMessage(const std::vector<std::string>& keywords) {
    std::string list;
    for (const std::string& k : keywords) {
        list += k;
        list += '\n';
    }
    return formatMessage(MessageId::MissingClosingQuote, {std::string_view(list)});
}

}  // namespace loom
