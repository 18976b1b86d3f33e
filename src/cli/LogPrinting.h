#pragma once

#include <filesystem>
#include <ostream>
#include <span>
#include <string_view>

#include "fields/FieldStore.h"

namespace loom {
class AppContext;
class Form;
class LogSearch;
class PromImage;
}  // namespace loom

namespace loom::cli {

// The template's fields with the file's values over them: what the program holds once a
// system is open. File records the template does not know are kept as they are.
FieldStore systemValues(const Form& form, const FieldStore& fileValues);

// The PROM image and label table of a system, as the program holds them when it opens
// the file with its template: the template's defaults with the file's values over them.
// False (the reader's message shown) when the file cannot be read.
bool loadSystemImage(AppContext& app, const Form& form, const std::filesystem::path& path,
                     PromImage& image);

// Prints log file lines (oldest first, as the file holds them) decoded with the context's
// event texts and labels, newest first as the log window lists them: each entry's lines,
// entries separated by an empty line; with `json` one array of {text, date, lines, color,
// background}. `image` names areas and sections when given; `search` (when given) leaves
// out the entries it does not match.
void printLogEntries(std::ostream& out, AppContext& app, std::span<const std::string_view> lines,
                     const PromImage* image, const LogSearch* search, bool json);

}  // namespace loom::cli
