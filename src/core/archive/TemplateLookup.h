#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace loom {

class AppContext;

// A template picked from FORM.KQI: its file in FORMS and its template name.
struct ChosenTemplate {
    std::string file;
    std::string name;
    bool operator==(const ChosenTemplate&) const = default;
};

// "Välj system": the templates of FORM.KQI whose name or title holds `searchText` (all of
// them when it is empty) for the user to choose from. Nothing, after message 32, when
// none is found, and when the user cancels.
std::optional<ChosenTemplate> chooseSystem(AppContext& context, std::string_view searchText);

// The template file for a data file's system name: looked up by the name's first 13
// characters; none found asks message 34 whether to choose another, several let the user
// choose among them.
std::optional<std::string> findTemplateForSystem(AppContext& context, std::string_view systemName);

}  // namespace loom
