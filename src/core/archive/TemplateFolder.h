#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace loom {

class AppContext;

// The two header texts of one template file in FORMS.
struct TemplateFileHeader {
    std::string file;   // the name as found in the folder, with its extension
    std::string name;   // the template name that data files record (code page 1252)
    std::string title;  // code page 1252
};

// Reads the header of every template in FORMS, in the folder's order, without a message.
// `visit` gets each readable header and returns false to stop; `cannotOpen` (optional)
// gets each file that could not be opened, with the system's error text. Files that open
// but are no template are passed over.
void scanTemplateHeaders(
    AppContext& context, const std::function<bool(const TemplateFileHeader&)>& visit,
    const std::function<void(const std::filesystem::path&, std::string_view)>& cannotOpen = {});

}  // namespace loom
