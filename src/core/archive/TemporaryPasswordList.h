#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

// System passwords typed for files saved under another one. Grows for the whole run,
// never saved; each text once (the empty text included).
class TemporaryPasswordList {
  public:
    bool contains(std::string_view password) const {
        return std::find(items_.begin(), items_.end(), password) != items_.end();
    }
    void add(std::string_view password) {
        if (!contains(password)) items_.emplace_back(password);
    }
    const std::vector<std::string>& items() const { return items_; }

  private:
    std::vector<std::string> items_;
};

}  // namespace loom
