#include "template/EventTexts.h"

#include <utility>

namespace loom {

void EventTexts::clear() {
    codes_.clear();
    names_.clear();
}

void EventTexts::setCode(std::uint16_t code, std::vector<EventText> entries) {
    if (!entries.empty()) {
        std::string name = entries.front().text;
        if (!name.empty() && name.back() == '\n') name.pop_back();
        names_.push_back(std::move(name));
    }
    codes_[code] = std::move(entries);
}

const std::vector<EventText>* EventTexts::find(std::uint16_t code) const {
    auto it = codes_.find(code);
    return it == codes_.end() ? nullptr : &it->second;
}

}  // namespace loom
