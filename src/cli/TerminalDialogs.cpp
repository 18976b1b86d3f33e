#include "TerminalDialogs.h"

#include <iostream>

#include "TerminalInput.h"
#include "common/Cp1252.h"

namespace loom::cli {

std::optional<std::array<std::string, 3>> TerminalDialogs::temporaryPasswords() {
    if (!standardInputIsTerminal()) return std::nullopt;
    std::cerr << "En fil med felaktigt systemlösen har hittats. För att filen ska kunna läsas "
                 "måste filens systemlösen anges.\n";
    std::optional<std::string> typed = readLine("Möjligt systemlösen: ", true);
    if (!typed) return std::nullopt;
    // One text is asked for; repeating it in the other two fields keeps them from adding
    // the empty password, which an untouched field of the dialog would.
    const std::string text = utf8ToCp1252(*typed);
    return std::array<std::string, 3>{text, text, text};
}

std::optional<std::string> TerminalDialogs::computerId(std::string_view shown) {
    if (!standardInputIsTerminal()) return std::nullopt;
    std::string prompt = "Ange en bokstav mellan A och Z";
    if (!shown.empty()) prompt += " [" + cp1252ToUtf8(shown) + "]";
    std::optional<std::string> typed = readLine(prompt + ": ", false);
    if (!typed) return std::nullopt;
    return utf8ToCp1252(*typed);
}

std::optional<std::size_t> TerminalDialogs::chooseSystem(const std::vector<std::string>& rows) {
    if (!standardInputIsTerminal() || rows.empty()) return std::nullopt;
    std::cerr << "Välj system\n";
    for (std::size_t i = 0; i < rows.size(); ++i)
        std::cerr << "  " << i + 1 << ". " << cp1252ToUtf8(rows[i]) << '\n';
    std::optional<std::string> typed = readLine("Nummer [1]: ", false);
    if (!typed) return std::nullopt;
    if (typed->empty()) return 0;  // the first row is selected when the dialog opens
    std::size_t number = 0;
    for (const char c : *typed) {
        if (c < '0' || c > '9' || number > rows.size()) return std::nullopt;
        number = number * 10 + static_cast<std::size_t>(c - '0');
    }
    if (number < 1 || number > rows.size()) return std::nullopt;
    return number - 1;
}

}  // namespace loom::cli
