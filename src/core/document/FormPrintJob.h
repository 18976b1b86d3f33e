#pragma once

#include <filesystem>

#include "template/DialogUnits.h"
#include "template/FormPrintLayout.h"

namespace loom {

class Clock;
class FileSystem;
class Form;

// A print job of `form`'s pages first ... end - 1, with the file information of `file`
// (empty for a system never saved); `units` are the dialog base units the form's pixels
// were laid out with, the screen font the printer fonts are measured against. The
// printer's metrics are the painter's to fill in.
FormPrintLayout::Input formPrintJob(const Form& form, const std::filesystem::path& file,
                                    const Clock& clock, FileSystem& files, const DialogUnits& units,
                                    int first, int end);

}  // namespace loom
