#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "CliCommand.h"
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

// The template a command works with: the one `typed` names (a path, a file in FORMS or a
// template name) or, when nothing was typed, the one in FORMS that `systemTemplate` (code
// page 1252, a data file's template name) names. Null, with the reason printed and the
// exit code set, when there is none or it is refused.
std::unique_ptr<LoadedForm> loadTemplateFor(CliContext& ctx, AppContext& app,
                                            std::string_view typed,
                                            std::string_view systemTemplate = {});

}  // namespace loom::cli
