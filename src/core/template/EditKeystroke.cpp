#include "template/EditKeystroke.h"

#include <algorithm>

namespace loom {
namespace {

int clampTo(int position, std::string_view text) {
    return std::clamp(position, 0, static_cast<int>(text.size()));
}

bool endsLine(char c) {
    return c == '\n' || c == '\r';
}

}  // namespace

EditResult EditKeystroke::replaced(std::string_view text, int selStart, int selEnd,
                                   std::string_view inserted) {
    int from = clampTo(std::min(selStart, selEnd), text);
    int to = clampTo(std::max(selStart, selEnd), text);
    EditResult r;
    r.text.reserve(text.size() + inserted.size());
    r.text.append(text.substr(0, static_cast<std::size_t>(from)));
    r.text.append(inserted);
    r.text.append(text.substr(static_cast<std::size_t>(to)));
    r.caret = from + static_cast<int>(inserted.size());
    return r;
}

EditResult EditKeystroke::typed(std::string_view text, int selStart, int selEnd,
                                std::string_view typed, bool insertMode) {
    int from = clampTo(std::min(selStart, selEnd), text);
    int to = clampTo(std::max(selStart, selEnd), text);
    const bool lineBreakTyped = typed.find_first_of("\r\n") != std::string_view::npos;
    if (from == to && !insertMode && !lineBreakTyped && to < static_cast<int>(text.size()) &&
        !endsLine(text[static_cast<std::size_t>(to)])) {
        ++to;  // overwrite: the character after the caret is replaced
    }
    return replaced(text, from, to, typed);
}

std::string EditKeystroke::shownLines(std::string_view stored) {
    std::string shown;
    shown.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\r' && i + 1 < stored.size() && stored[i + 1] == '\n') continue;
        shown.push_back(stored[i]);
    }
    return shown;
}

std::string EditKeystroke::storedLines(std::string_view shown) {
    std::string stored;
    stored.reserve(shown.size() + 8);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == '\n' && (i == 0 || shown[i - 1] != '\r')) stored.push_back('\r');
        stored.push_back(shown[i]);
    }
    return stored;
}

}  // namespace loom
