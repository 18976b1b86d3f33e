#pragma once

#include <string>
#include <string_view>

namespace loom {

// An edit field's input filter: a check that the whole text must pass on every keystroke
// and a correction applied when the field is left. Filters 0-5 exist; any other number
// means no filter (no check, no correction).
class InputFilter {
  public:
    explicit InputFilter(int number) : number_(number) {}

    int number() const { return number_; }

    // True when every character of the text is one the filter allows (an empty text
    // always passes).
    bool accepts(std::string_view text) const;

    // The text as the field shows it after it was left: hexadecimal filters write a-f as
    // A-F; the scale filter moves the number to the nearest value-scale entry, and a text
    // that is not a number becomes "0". Other filters return the text unchanged.
    std::string corrected(std::string_view text) const;

  private:
    int number_;
};

}  // namespace loom
