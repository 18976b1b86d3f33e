#include "LoomApplication.h"

#include <QApplication>

#include "ProgramStart.h"
#include "QtPrompt.h"
#include "context/AppContext.h"

namespace loom {

int runProgram(int argc, char** argv) {
    QApplication application(argc, argv);
    QtPrompt prompt;
    AppContext app(prompt);
    ProgramStart start(app, {});
    start.loadConversions();
    return 0;
}

}  // namespace loom
