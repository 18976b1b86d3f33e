#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/Messages.h"
#include "template/FormControl.h"
#include "template/InputFilter.h"

namespace loom {

// The final check's first failure: the message to show and the limit it names.
struct EditCheckFailure {
    MessageId message = MessageId::TooManyChars;
    std::int64_t limit = 0;
    bool operator==(const EditCheckFailure&) const = default;
};

// Checks an edit field's text against its input filter and limits, while typing and when
// the field is left.
//
// Value limits apply only to a whole number: an optional '-' followed by one or more
// digits 0-9 and nothing else. No '+', no blanks; leading zeros are allowed ("007" is 7,
// "-0" is 0). A number of any length is a whole number and compares by its true size, so
// "99999999999" is above every 32-bit limit.
class EditValidator {
  public:
    EditValidator(int filter, const EditLimits& limits) : filter_(filter), limits_(limits) {}
    explicit EditValidator(const FormControl& edit) : EditValidator(edit.filter, edit.limits) {}

    // The check of the text a keystroke (or a paste) would leave: the filter must accept
    // it, it must not exceed the maximum characters nor, as a whole number, the maximum
    // value. Minimum limits are not checked here, so that a value can be typed digit by
    // digit.
    bool acceptsTyping(std::string_view text) const;

    // The check on leaving the field (after the filter's correction): the first failure
    // of, in order, too many characters, a whole number above the maximum else below the
    // minimum value, too few characters.
    std::optional<EditCheckFailure> finalCheck(std::string_view text) const;

    // The whole number the text spells, saturated far beyond the 32-bit range (which
    // keeps every comparison with a limit exact); nothing when the text is not one.
    static std::optional<std::int64_t> wholeNumber(std::string_view text);

  private:
    int filter_;
    EditLimits limits_;
};

}  // namespace loom
