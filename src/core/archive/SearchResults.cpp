#include "archive/SearchResults.h"

#include "common/Cp1252.h"

namespace loom {

std::string_view SearchResults::tabName(ResultList which) {
    static const std::array<std::string, 3> names = {utf8ToCp1252("Sökta"), "Kopierade",
                                                     "Ej kopierade"};
    return names[static_cast<std::size_t>(which)];
}

}  // namespace loom
