#pragma once

#include <string>
#include <vector>

namespace loom {

class Form;

// A rectangle given by its edges (right and bottom outside), in whatever units its owner
// says.
struct EdgeRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const EdgeRect&) const = default;
};

// One control of a form page as the printout draws it, in the page's screen pixels.
struct PrintItem {
    enum Kind : int { Label = 0, Frame = 1, Edit = 2, Option = 3, CheckBox = 4, Choice = 5 };
    EdgeRect rect;
    int kind = Label;
    std::string text;  // code page 1252, printed as it stands ('&' included)
    bool on = false;   // option buttons and check boxes
};

// A form page to print: its size in screen pixels (as the form view scrolls it) and its
// items in page order.
struct PrintPage {
    int width = 0;
    int height = 0;
    std::vector<PrintItem> items;
};

// The page `index` of `form` with the values its controls hold now. Labels, frames, edit
// fields (masked ones as stars), option buttons, check boxes and choice lists that are
// shown contribute; push buttons, pictures and hidden controls do not.
PrintPage printPageOf(const Form& form, int index);

}  // namespace loom
