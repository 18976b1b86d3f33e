// Writes the demo home's LOGIN.KEY: the system password and one user, both documented in
// the README. The command line tool deliberately never creates a password file, so the
// demo gets its own small maker.
#include <filesystem>
#include <iostream>
#include <string>

#include "archive/PasswordFile.h"
#include "context/AppContext.h"
#include "document/ProgramState.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: make_demo_login HOME SYSTEMPASSWORD USER PASSWORD\n";
        return 2;
    }
    loom::SilentPrompt prompt;
    loom::ProgramState app(prompt);
    app.setProgramDirectory(loom::ProgramDirectory(std::filesystem::path(argv[1])));
    loom::PasswordFile passwords(app);
    if (!passwords.WriteSystemPassword(argv[2]) || !passwords.WriteUsers({argv[3]}, {argv[4]})) {
        std::cerr << "make_demo_login: cannot write " << passwords.path().string() << "\n";
        return 1;
    }
    return 0;
}
