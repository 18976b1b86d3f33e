#pragma once

namespace loom {

// The program: start-up, login, the main window and the event loop. Returns the exit code.
int runProgram(int argc, char** argv);

}  // namespace loom
