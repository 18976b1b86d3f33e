#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace loom {

struct EventText {
    std::uint8_t tag = 0;
    std::string text;  // code page 1252
    bool operator==(const EventText&) const = default;
};

// The event texts of the loaded template: per event code its (tag, text) entries for
// decoding log records, and the event names the log window offers. Each template load
// replaces them.
class EventTexts {
  public:
    void clear();
    // A later list for the same code replaces the earlier one; every list with a first
    // text adds that text, less one trailing line feed, to the names.
    void setCode(std::uint16_t code, std::vector<EventText> entries);

    const std::vector<EventText>* find(std::uint16_t code) const;
    const std::map<std::uint16_t, std::vector<EventText>>& codes() const { return codes_; }
    const std::vector<std::string>& names() const { return names_; }

  private:
    std::map<std::uint16_t, std::vector<EventText>> codes_;
    std::vector<std::string> names_;
};

}  // namespace loom
