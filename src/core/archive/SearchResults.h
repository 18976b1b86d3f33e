#pragma once

#include <array>
#include <cstddef>
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
    // The tab's name, code page 1252: "Sökta", "Kopierade", "Ej kopierade".
    static std::string_view tabName(ResultList which);

  private:
    std::array<std::vector<std::string>, 3> lists_;
};

}  // namespace loom
