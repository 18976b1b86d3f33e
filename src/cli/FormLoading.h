#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "template/Form.h"
#include "template/TreeOutline.h"

namespace loom {
class AppContext;
}

namespace loom::cli {

// A template loaded for a command, with the tree it filled.
struct LoadedForm {
    TreeOutline tree;
    std::unique_ptr<Form> form;
};

// Loads a template with the context's messages, rule set and event texts; null (the
// messages shown) when it is refused.
std::unique_ptr<LoadedForm> loadForm(AppContext& app, const std::filesystem::path& path);

// The template in FORMS whose name is `templateName`; a template whose name agrees on
// the first 13 characters is taken when none has the exact name.
std::optional<std::filesystem::path> findTemplateByName(AppContext& app,
                                                        std::string_view templateName);

}  // namespace loom::cli
