#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fields/FieldRecord.h"
#include "template/TemplateItems.h"

namespace loom {

enum class ControlKind : std::uint8_t {
    Label = 6,
    Frame = 7,
    Button = 8,
    CheckBox = 9,
    Edit = 10,
    Choice = 11,
    Option = 12,
    OptionGroup = 13,
    Picture = 16,
};

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Edit-field limits; an absent limit (0x80000000 in the file) is not checked. Values are
// the file's 32-bit integers read as signed, as the messages show them with %d.
struct EditLimits {
    std::optional<std::int32_t> maxChars, minChars, maxValue, minValue;
};

inline constexpr int kNoSelection = 255;

// One control of a page. The model holds its state; a view (when its page is shown)
// follows the model through FormView.
struct FormControl {
    ControlKind kind = ControlKind::Label;
    int number = -1;          // control number, -1 when the control has none
    int page = -1;            // index of the page that holds it
    std::uint32_t flags = 0;  // control flags as stored
    RawRect dialogRect;       // as stored, in dialog units (none for option groups)
    PixelRect rect;           // in pixels (pictures: with their edges)
    std::string caption;      // as stored; for pictures the bitmap name
    std::string text;         // the text the control shows now (rules set and compare it)

    // State (rules and the view follow it). The window is enabled only when both
    // `enabled` and `pageEnabled` are set.
    bool visible = true;
    bool enabled = true;
    bool pageEnabled = true;
    bool hasRules = false;

    // Data controls: the record in the form's store and the value they were created with.
    FieldRecord* field = nullptr;
    std::string initialValue;

    // Check boxes.
    char onChar = 0, offChar = 0;
    // Edit fields: filter 0-5, or -1 for none; maxChars -1 for none.
    int filter = -1;
    int maxChars = -1;
    EditLimits limits;
    bool multiline = false, noHorizontalScroll = false, masked = false;
    // Choice lists.
    int valueList = -1;
    int selected = kNoSelection;
    // Option buttons and their groups.
    std::string optionValue;
    FormControl* group = nullptr;
    std::vector<FormControl*> options;

    bool isData() const {
        return kind == ControlKind::CheckBox || kind == ControlKind::Edit ||
               kind == ControlKind::Choice || kind == ControlKind::OptionGroup;
    }
    bool windowEnabled() const { return enabled && pageEnabled; }
    // Whether a check box (its on character first) or an option button (its value) shows
    // checked for `value`.
    bool checkedBy(std::string_view value) const;
    // The value a rule compares and copies: the field's value for data controls, the
    // group's for option buttons, else the text.
    const std::string& value() const;
};

// A button's caption as it reads on screen: each '&' that marks the next character as the
// access key gone, "&&" one '&'.
std::string withoutAccessKeys(std::string_view caption);

// The kind's word in listings and JSON: label, frame, button, checkbox, edit, choice,
// option, group, picture.
const char* controlKindName(ControlKind kind);

}  // namespace loom
