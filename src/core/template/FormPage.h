#pragma once

#include <string>
#include <vector>

#include "template/FormControl.h"

namespace loom {

struct FormPage {
    std::string name;
    int index = -1;
    // Controls laid out on the page, in file order (option buttons live in their group).
    std::vector<FormControl*> controls;
    // Every control read inside the page, in file order, option buttons included.
    std::vector<FormControl*> allControls;
    // Bounding size of the page's controls in pixels; empty for a page without controls.
    int extentWidth = 0, extentHeight = 0;
};

}  // namespace loom
