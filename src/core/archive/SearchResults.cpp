#include "archive/SearchResults.h"

#include "archive/FolderCheck.h"
#include "common/Cp1252.h"

namespace loom {

std::filesystem::path SearchResults::folder(ResultList which) const {
    const std::vector<std::string>& heads = list(which);
    if (heads.empty() || heads.front().empty()) return {};
    const std::filesystem::path& set = folders_[static_cast<std::size_t>(which)];
    if (!set.empty() && folderText(set) == heads.front()) return set;
    return pathFromText(heads.front());
}

std::string_view SearchResults::tabName(ResultList which) {
    static const std::array<std::string, 3> names = {utf8ToCp1252("Sökta"), "Kopierade",
                                                     "Ej kopierade"};
    return names[static_cast<std::size_t>(which)];
}

}  // namespace loom
