#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace loom {

class AppContext;
class MainFrame;
class ProgramDocument;
class QtPrompt;

// What the command line asks of the program.
struct ProgramOptions {
    QString home;        // --home: the program directory
    QString file;        // a data file to open after the login
    QString login;       // --login: log in as this user with LOOMCRAFT_PASSWORD, no dialog
    QString screenshot;  // --screenshot: save a picture of the window and end
    int page = -1;       // --page: the page shown after the file is opened
};

// Reads the command line of the running QApplication. An exit code when the program must
// end at once (--help, --version, a usage fault).
std::optional<int> parseProgramOptions(ProgramOptions& options);

// The running program: context, settings, conversions, the main window and its document,
// started in the order the program has always used. Tests build it on a demo home.
class Program {
  public:
    explicit Program(const ProgramOptions& options);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Dialog 169 (or --login): false ends the program with exit code 0.
    bool login();
    // The first new document (silent, no template), the file of the command line, then
    // the window is shown.
    void start();

    AppContext& context();
    // The message boxes (tests give it a stand-in).
    QtPrompt& prompt();
    MainFrame& frame();
    ProgramDocument& document();

  private:
    struct Parts;
    ProgramOptions options_;
    std::unique_ptr<Parts> parts_;
};

// The program from main(): returns its exit code.
int runProgram(int argc, char** argv);

}  // namespace loom
