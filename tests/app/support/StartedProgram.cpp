#include "support/StartedProgram.h"

#include "QtPrompt.h"
#include "QtText.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "template/Form.h"

namespace loom::test {

std::unique_ptr<Program> startedProgram(const DemoArchive& home, UserPrompt& prompt,
                                        const QString& file) {
    ProgramOptions options;
    options.home = pathToQt(home.home());
    options.login = QStringLiteral("demo");
    options.file = file;
    auto program = std::make_unique<Program>(options);
    program->prompt().setStandIn(&prompt);
    qputenv("LOOMCRAFT_PASSWORD", "demo");
    const bool in = program->login();
    qunsetenv("LOOMCRAFT_PASSWORD");
    if (!in) return nullptr;
    program->start();
    return program;
}

bool openFirstSystemOf(Program& program, const DemoArchive& home, std::string_view model) {
    PromDocument& core = program.document().core();
    for (const auto& file : home.systems())
        if (program.document().openFile(file) && core.form() && core.form()->name() == model)
            return true;
    return false;
}

}  // namespace loom::test
