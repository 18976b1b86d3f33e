#pragma once

#include <string>
#include <vector>

#include "template/DialogUnits.h"
#include "template/FormPrintLayout.h"

namespace loom {

class Form;

// A print job of `form`'s pages first ... end - 1 with the texts of the file information
// (code page 1252); `units` are the dialog base units the form's pixels were laid out
// with, the screen font the printer fonts are measured against. The printer's metrics
// are the painter's to fill in.
FormPrintLayout::Input formPrintJob(const Form& form, const std::vector<std::string>& fileInfo,
                                    const DialogUnits& units, int first, int end);

}  // namespace loom
