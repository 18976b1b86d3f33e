#pragma once

#include <memory>
#include <string_view>

#include "Program.h"
#include "support/DemoArchive.h"

namespace loom {
class UserPrompt;
}

namespace loom::test {

// The program on `home`, logged in as its user "demo" and started (with `file` as the
// command line's file, when given), its message boxes going to `prompt`; null when the
// login failed.
std::unique_ptr<Program> startedProgram(const DemoArchive& home, UserPrompt& prompt,
                                        const QString& file = {});

// Opens the archive's systems in name order until one of template `model` is open.
bool openFirstSystemOf(Program& program, const DemoArchive& home, std::string_view model);

}  // namespace loom::test
