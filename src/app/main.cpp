#include "Program.h"

int main(int argc, char** argv) {
    return loom::runProgram(argc, argv);
}
