#pragma once

#include <string>
#include <string_view>

namespace loom {

// What an edit field's text becomes by a keystroke or an editing command, worked out
// before the field changes so that the whole result can be checked first. Positions count
// characters of the text as the field shows it; a selection runs from `selStart` to
// `selEnd` in either order, and an empty selection is the caret.
struct EditResult {
    std::string text;
    int caret = 0;  // after the inserted text
    bool operator==(const EditResult&) const = default;
};

class EditKeystroke {
  public:
    // A typed character (or several, from an input method). Without a selection and out
    // of insert mode the character after the caret is replaced, unless it ends a line.
    static EditResult typed(std::string_view text, int selStart, int selEnd, std::string_view typed,
                            bool insertMode);
    // Paste replaces the selection by the clipboard's text; cut and clear by nothing.
    static EditResult replaced(std::string_view text, int selStart, int selEnd,
                               std::string_view inserted);

    // A several-line field's stored text breaks lines with CR LF; the field shows LF.
    static std::string shownLines(std::string_view stored);
    static std::string storedLines(std::string_view shown);
};

}  // namespace loom
