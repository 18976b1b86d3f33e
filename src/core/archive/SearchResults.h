#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

// The three result lists that the search dialog shows on its tabs and that export reads.
enum class ResultList : std::size_t { Found = 0, Copied = 1, NotCopied = 2 };

// Each element of "Sökta" is a whole DATA.KQI line. "Kopierade" and "Ej kopierade", when
// not empty, hold first the folder in which their files lie (with a trailing separator),
// then whole DATA.KQI lines.
class SearchResults {
  public:
    std::vector<std::string>& list(ResultList which) {
        return lists_[static_cast<std::size_t>(which)];
    }
    const std::vector<std::string>& list(ResultList which) const {
        return lists_[static_cast<std::size_t>(which)];
    }
    // The folder that heads "Kopierade" or "Ej kopierade", as the file system names it: the
    // head's text is code page 1252, which cannot name every folder a user may choose.
    void setFolder(ResultList which, std::filesystem::path folder) {
        folders_[static_cast<std::size_t>(which)] = std::move(folder);
    }
    // The folder set for the list while its head still names it, otherwise the folder the
    // head's text names; empty for an empty list.
    std::filesystem::path folder(ResultList which) const;
    // The tab's name, code page 1252: "Sökta", "Kopierade", "Ej kopierade".
    static std::string_view tabName(ResultList which);

  private:
    std::array<std::vector<std::string>, 3> lists_;
    std::array<std::filesystem::path, 3> folders_;
};

}  // namespace loom
